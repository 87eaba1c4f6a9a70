#include "ui/CButtonLanguage.h"

#include "app/CML.h"
#include "app/CMain.h"
#include "app/MAux.h"

CButtonLanguage::CButtonLanguage(const std::string& language) : id_(language) {
    const std::string base = "assets/languages/" + language;
    button_ = MAux::pictureSprite(base + "_off.png");
    button_over_ = MAux::pictureSprite(base + "_over.png");
    button_on_ = MAux::pictureSprite(base + "_on.png");
    addChild(button_);
    addChild(button_over_);
    addChild(button_on_);
    setOff();
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CButtonLanguage::listener_mouse_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CButtonLanguage::listener_mouse_out);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CButtonLanguage::listener_mouse_click);
}

void CButtonLanguage::Delete() {
    removeEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CButtonLanguage::listener_mouse_over);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CButtonLanguage::listener_mouse_out);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CButtonLanguage::listener_mouse_click);
}

void CButtonLanguage::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    for (auto* p : {&button_, &button_over_, &button_on_}) (*p)->setVisible(*p == shown);
}

void CButtonLanguage::setOn() { aux_show(button_on_); }
void CButtonLanguage::setOff() { aux_show(button_); }
void CButtonLanguage::setOver() { aux_show(button_over_); }

void CButtonLanguage::listener_mouse_over(scene::MouseEvent& event) {
    if (button_on_->visible()) return;
    setOver();
    event.stopPropagation();
}

void CButtonLanguage::listener_mouse_out(scene::MouseEvent& event) {
    if (button_on_->visible()) return;
    // Swapping pictures changes the object under the pointer, which reports the
    // old picture as left although the pointer is still on the flag.
    const scene::Point p = globalToLocal({event.stageX, event.stageY});
    if (stage() && localBounds().contains(p.x, p.y)) return;
    setOff();
}

void CButtonLanguage::listener_mouse_click(scene::MouseEvent&) {
    CML::setLanguage(id_);
    CMain::Dispatch(CMain::SCREEN_WELCOME);
}
