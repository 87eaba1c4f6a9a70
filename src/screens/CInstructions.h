#pragma once

#include "app/Value.h"
#include "screens/CInformation.h"
#include "ui/CButton.h"

// How to play. Replaces the welcome screen and leads back to a new one.
class CInstructions : public CInformation {
public:
    explicit CInstructions(const Value& params = Value());
};

class CButtonInstructionsReturnToWelcome : public CButton {
public:
    explicit CButtonInstructionsReturnToWelcome(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

// Only shown online.
class CButtonInstructionsMore : public CButton {
public:
    explicit CButtonInstructionsMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
