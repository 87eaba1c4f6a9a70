#include "app/CSoundButton.h"

#include "app/CSound.h"
#include "app/MAux.h"

CSoundButton::CSoundButton(void*) {
    button_on_ = MAux::pictureSprite("assets/music/on.png");
    button_on_over_ = MAux::pictureSprite("assets/music/on_over.png");
    button_off_ = MAux::pictureSprite("assets/music/off.png");
    button_off_over_ = MAux::pictureSprite("assets/music/off_over.png");
    for (auto* p : {&button_on_, &button_on_over_, &button_off_, &button_off_over_}) addChild(*p);
    aux_show(CSound::isEnabled() ? button_on_ : button_off_);
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CSoundButton::listener_mouse_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CSoundButton::listener_mouse_out);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CSoundButton::listener_mouse_click);
}

void CSoundButton::aux_show(const std::shared_ptr<scene::Sprite>& shown) {
    for (auto* p : {&button_on_, &button_on_over_, &button_off_, &button_off_over_}) (*p)->setVisible(*p == shown);
}

void CSoundButton::Delete() {
    removeEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CSoundButton::listener_mouse_over);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CSoundButton::listener_mouse_out);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CSoundButton::listener_mouse_click);
}

void CSoundButton::listener_mouse_over(scene::MouseEvent& event) {
    if (auto* host = dynamic_cast<CSoundButtonHost*>(parent())) host->listener_mouse_over(event);
    aux_show(CSound::isEnabled() ? button_on_over_ : button_off_over_);
    event.stopPropagation();
}

void CSoundButton::listener_mouse_out(scene::MouseEvent&) {
    aux_show(CSound::isEnabled() ? button_on_ : button_off_);
}

void CSoundButton::listener_mouse_click(scene::MouseEvent& event) {
    if (CSound::isEnabled()) CSound::disable();
    else CSound::enable();
    listener_mouse_over(event);
}
