#pragma once

#include "ui/CButtonSmall.h"

// The small privacy button in the lower right corner of the menus.
class CButtonPrivacy : public CButtonSmall {
public:
    static constexpr double WIDTH = 140;

    explicit CButtonPrivacy(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
