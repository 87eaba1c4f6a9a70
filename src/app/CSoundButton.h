#pragma once

#include <memory>

#include "app/CPictureSwitch.h"

// The sound on/off switch of the score panel: four pictures, one shown.
class CSoundButton : public CPictureSwitch {
public:
    explicit CSoundButton(void* unused = nullptr);

    void listener_mouse_over(scene::MouseEvent& event) override;
    void listener_mouse_out(scene::MouseEvent& event) override;
    void listener_mouse_click(scene::MouseEvent& event) override;

    std::shared_ptr<scene::Sprite> button_on_;
    std::shared_ptr<scene::Sprite> button_on_over_;
    std::shared_ptr<scene::Sprite> button_off_;
    std::shared_ptr<scene::Sprite> button_off_over_;

private:
    void aux_show(const std::shared_ptr<scene::Sprite>& picture);
};
