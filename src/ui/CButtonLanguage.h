#pragma once

#include <memory>
#include <string>

#include "app/CPictureSwitch.h"

// A language flag: off, over (under the pointer) or on (the current language).
// A press switches the game to that language and rebuilds the welcome screen.
class CButtonLanguage : public CPictureSwitch {
public:
    // language is a language file's name, such as "inglese".
    explicit CButtonLanguage(const std::string& language);

    void listener_mouse_over(scene::MouseEvent& event) override;
    void listener_mouse_out(scene::MouseEvent& event) override;
    void listener_mouse_click(scene::MouseEvent& event) override;
    virtual void setOn();
    virtual void setOff();
    virtual void setOver();

    const std::string& id() const { return id_; }

    std::shared_ptr<scene::Sprite> button_;
    std::shared_ptr<scene::Sprite> button_over_;
    std::shared_ptr<scene::Sprite> button_on_;
    std::string id_;

private:
    void aux_show(const std::shared_ptr<scene::Sprite>& shown);
};
