#pragma once

#include <memory>

#include "platform/Display.h"

// A container whose picture buttons the sound switch resets when the pointer
// reaches it (the score panel).
class CSoundButtonHost {
public:
    virtual ~CSoundButtonHost() = default;
    virtual void listener_mouse_over(scene::MouseEvent& event) = 0;
};

// The sound on/off switch of the score panel: four pictures, one shown.
class CSoundButton : public scene::Sprite {
public:
    explicit CSoundButton(void* unused = nullptr);

    // Named "delete" in the game's vocabulary, a reserved word here.
    virtual void Delete();
    virtual void listener_mouse_over(scene::MouseEvent& event);
    virtual void listener_mouse_out(scene::MouseEvent& event);
    virtual void listener_mouse_click(scene::MouseEvent& event);

    std::shared_ptr<scene::Sprite> button_on_;
    std::shared_ptr<scene::Sprite> button_on_over_;
    std::shared_ptr<scene::Sprite> button_off_;
    std::shared_ptr<scene::Sprite> button_off_over_;

private:
    void aux_show(const std::shared_ptr<scene::Sprite>& picture);
};
