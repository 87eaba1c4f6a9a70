#pragma once

#include "app/Value.h"
#include "screens/CInformation.h"
#include "ui/CButton.h"

// What the online service keeps about the player. Opened on top of the current screen with CMain::Call.
class CPrivacy : public CInformation {
public:
    explicit CPrivacy(const Value& params = Value());
};

// Brings back the screen that opened this one.
class CButtonPrivacyReturn : public CButton {
public:
    explicit CButtonPrivacyReturn(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonPrivacyMore : public CButton {
public:
    explicit CButtonPrivacyMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
