#pragma once

#include "app/Value.h"
#include "screens/CInformation.h"
#include "ui/CButton.h"

// How experience points and levels work. Opened on top of the current screen with CMain::Call.
class CPx : public CInformation {
public:
    explicit CPx(const Value& params = Value());
};

// Brings back the screen that opened this one.
class CButtonPxReturn : public CButton {
public:
    explicit CButtonPxReturn(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonPxMore : public CButton {
public:
    explicit CButtonPxMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
