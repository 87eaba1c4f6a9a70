#include "app/CPictureSwitch.h"

CPictureSwitch::CPictureSwitch(const char* overType) : overType_(overType) {
    addEventListener(overType_, this, &CPictureSwitch::listener_mouse_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CPictureSwitch::listener_mouse_out);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CPictureSwitch::listener_mouse_click);
}

void CPictureSwitch::Delete() {
    removeEventListener(overType_, this, &CPictureSwitch::listener_mouse_over);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CPictureSwitch::listener_mouse_out);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CPictureSwitch::listener_mouse_click);
}

void CPictureSwitch::showOnly(const std::shared_ptr<scene::Sprite>& shown,
                              std::initializer_list<const std::shared_ptr<scene::Sprite>*> pictures) {
    for (const auto* p : pictures) (*p)->setVisible(*p == shown);
}

bool CPictureSwitch::pointerStillOn(const scene::MouseEvent& event) const {
    const scene::Point p = globalToLocal({event.stageX, event.stageY});
    return stage() && localBounds().contains(p.x, p.y);
}

void CPictureSwitch::tellHost(scene::MouseEvent& event) {
    if (auto* host = dynamic_cast<CSoundButtonHost*>(parent())) host->listener_mouse_over(event);
}
