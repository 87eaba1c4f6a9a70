#pragma once

#include "app/Value.h"
#include "screens/CInformation.h"
#include "ui/CButton.h"

// Who made the game and what it is built on. Opened on top of the current screen with CMain::Call.
class CCredits : public CInformation {
public:
    explicit CCredits(const Value& params = Value());
};

// Brings back the screen that opened this one.
class CButtonCreditsReturn : public CButton {
public:
    explicit CButtonCreditsReturn(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonCreditsMore : public CButton {
public:
    explicit CButtonCreditsMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
