#include "ui/CQuitButton.h"

#include "app/CMain.h"
#include "app/CSoundButton.h"
#include "app/MAux.h"

CQuitButton::CQuitButton() {
    button_ = MAux::pictureSprite("assets/quit.png");
    button_over_ = MAux::pictureSprite("assets/quit_over.png");
    addChild(button_);
    addEventListener(scene::MouseEvent::MOUSE_OVER, this, &CQuitButton::listener_mouse_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CQuitButton::listener_mouse_out);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CQuitButton::listener_mouse_click);
}

void CQuitButton::Delete() {
    removeEventListener(scene::MouseEvent::MOUSE_OVER, this, &CQuitButton::listener_mouse_over);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CQuitButton::listener_mouse_out);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CQuitButton::listener_mouse_click);
}

void CQuitButton::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    if (numChildren() == 1 && getChildAt(0) == shown) return;
    while (numChildren() > 0) removeChildAt(0);
    addChild(shown);
}

void CQuitButton::listener_mouse_over(scene::MouseEvent& event) {
    // The score panel resets its other picture buttons.
    if (auto* host = dynamic_cast<CSoundButtonHost*>(parent())) host->listener_mouse_over(event);
    aux_show(button_over_);
    event.stopPropagation();
}

void CQuitButton::listener_mouse_out(scene::MouseEvent& event) {
    // Swapping pictures reports the old one as left while the pointer is still here.
    const scene::Point p = globalToLocal({event.stageX, event.stageY});
    if (stage() && localBounds().contains(p.x, p.y)) return;
    aux_show(button_);
}

void CQuitButton::listener_mouse_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
