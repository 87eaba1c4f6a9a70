#pragma once

#include <memory>

#include "app/CPictureSwitch.h"

// The quit sign of the score panel: abandons the game for the welcome screen.
// Exactly one of its two pictures is its child at any time.
class CQuitButton : public CPictureSwitch {
public:
    CQuitButton();

    void listener_mouse_over(scene::MouseEvent& event) override;
    void listener_mouse_out(scene::MouseEvent& event) override;
    void listener_mouse_click(scene::MouseEvent& event) override;

    std::shared_ptr<scene::Sprite> button_;
    std::shared_ptr<scene::Sprite> button_over_;

private:
    void aux_show(const std::shared_ptr<scene::Sprite>& shown);
};
