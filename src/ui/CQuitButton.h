#pragma once

#include <memory>

#include "platform/Display.h"

// The quit sign of the score panel: abandons the game for the welcome screen.
// Exactly one of its two pictures is its child at any time.
class CQuitButton : public scene::Sprite {
public:
    CQuitButton();

    // Removes the sign's own listeners.
    virtual void Delete();
    virtual void listener_mouse_over(scene::MouseEvent& event);
    virtual void listener_mouse_out(scene::MouseEvent& event);
    virtual void listener_mouse_click(scene::MouseEvent& event);

    std::shared_ptr<scene::Sprite> button_;
    std::shared_ptr<scene::Sprite> button_over_;

private:
    void aux_show(const std::shared_ptr<scene::Sprite>& shown);
};
