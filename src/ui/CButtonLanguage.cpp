#include "ui/CButtonLanguage.h"

#include "app/CSettings.h"
#include "app/MAux.h"
#include "app/CML.h"
#include "app/CMain.h"

CButtonLanguage::CButtonLanguage(const std::string& language)
    : CPictureSwitch(scene::MouseEvent::MOUSE_MOVE), id_(language) {
    const std::string base = "assets/languages/" + language;
    button_ = MAux::pictureSprite(base + "_off.png");
    button_over_ = MAux::pictureSprite(base + "_over.png");
    button_on_ = MAux::pictureSprite(base + "_on.png");
    addChild(button_);
    addChild(button_over_);
    addChild(button_on_);
    setOff();
}

void CButtonLanguage::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    showOnly(shown, {&button_, &button_over_, &button_on_});
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
    if (button_on_->visible() || pointerStillOn(event)) return;
    setOff();
}

void CButtonLanguage::listener_mouse_click(scene::MouseEvent&) {
    CML::setLanguage(id_);
    CSettings::save();
    CMain::Dispatch(CMain::SCREEN_WELCOME);
}
