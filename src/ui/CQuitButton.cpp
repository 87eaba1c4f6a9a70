#include "ui/CQuitButton.h"

#include "app/MAux.h"
#include "app/CMain.h"

CQuitButton::CQuitButton() : CPictureSwitch(scene::MouseEvent::MOUSE_OVER) {
    button_ = MAux::pictureSprite("assets/quit.png");
    button_over_ = MAux::pictureSprite("assets/quit_over.png");
    addChild(button_);
}

void CQuitButton::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    if (numChildren() == 1 && getChildAt(0) == shown) return;
    while (numChildren() > 0) removeChildAt(0);
    addChild(shown);
}

void CQuitButton::listener_mouse_over(scene::MouseEvent& event) {
    tellHost(event);
    aux_show(button_over_);
    event.stopPropagation();
}

void CQuitButton::listener_mouse_out(scene::MouseEvent& event) {
    if (!pointerStillOn(event)) aux_show(button_);
}

void CQuitButton::listener_mouse_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
