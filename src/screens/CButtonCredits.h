#pragma once

#include "ui/CButtonSmall.h"

// The small credits button in the lower left corner of the menus.
class CButtonCredits : public CButtonSmall {
public:
    static constexpr double WIDTH = 100;

    explicit CButtonCredits(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
