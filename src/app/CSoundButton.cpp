#include "app/CSoundButton.h"

#include "app/CSettings.h"
#include "app/MAux.h"
#include "app/CSound.h"

CSoundButton::CSoundButton(void*) : CPictureSwitch(scene::MouseEvent::MOUSE_MOVE) {
    button_on_ = MAux::pictureSprite("assets/music/on.png");
    button_on_over_ = MAux::pictureSprite("assets/music/on_over.png");
    button_off_ = MAux::pictureSprite("assets/music/off.png");
    button_off_over_ = MAux::pictureSprite("assets/music/off_over.png");
    for (auto* p : {&button_on_, &button_on_over_, &button_off_, &button_off_over_}) addChild(*p);
    aux_show(CSound::isEnabled() ? button_on_ : button_off_);
}

void CSoundButton::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    showOnly(shown, {&button_on_, &button_on_over_, &button_off_, &button_off_over_});
}

void CSoundButton::listener_mouse_over(scene::MouseEvent& event) {
    tellHost(event);
    aux_show(CSound::isEnabled() ? button_on_over_ : button_off_over_);
    event.stopPropagation();
}

void CSoundButton::listener_mouse_out(scene::MouseEvent&) {
    aux_show(CSound::isEnabled() ? button_on_ : button_off_);
}

void CSoundButton::listener_mouse_click(scene::MouseEvent& event) {
    if (CSound::isEnabled()) CSound::disable();
    else CSound::enable();
    CSettings::save();
    listener_mouse_over(event);
}
