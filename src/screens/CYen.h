#pragma once

#include "app/Value.h"
#include "screens/CInformation.h"
#include "ui/CButton.h"

// How the restaurant's yen are earned and lost. Opened on top of the current screen with CMain::Call.
class CYen : public CInformation {
public:
    explicit CYen(const Value& params = Value());
};

// Brings back the screen that opened this one.
class CButtonYenReturn : public CButton {
public:
    explicit CButtonYenReturn(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonYenMore : public CButton {
public:
    explicit CButtonYenMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
