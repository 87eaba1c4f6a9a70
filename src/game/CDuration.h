#pragma once

#include "app/CPictureWarmer.h"
#include "app/CScreen.h"
#include "app/Value.h"
#include "ui/CButton.h"

// The choice of a game's length: 6, 12 or 24 orders, or back to the menu.
class CDuration : public CScreen {
public:
    explicit CDuration(const Value& params = Value());
    void Delete() override { warmer_.reset(); }

private:
    std::shared_ptr<CPictureWarmer> warmer_ = CPictureWarmer::create();
};

// Starts a game of its number of orders on table 1.
class CButtonDurationBase : public CButton {
public:
    CButtonDurationBase(const std::string& key, int orders, scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;

    int orders_;
};

class CButtonDurationCancel : public CButton {
public:
    explicit CButtonDurationCancel(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
