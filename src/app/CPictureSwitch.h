#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "platform/Display.h"

// A container whose picture buttons a switch resets when the pointer reaches
// it (the score panel).
class CSoundButtonHost {
public:
    virtual ~CSoundButtonHost() = default;
    virtual void listener_mouse_over(scene::MouseEvent& event) = 0;
};

// What the picture switches share (sound switch, quit sign, language flag):
// a few package pictures of which one shows, and the three pointer listeners
// (over, out, press), added on construction and removed by Delete.
class CPictureSwitch : public scene::Sprite {
public:
    // Named "delete" in the game's vocabulary, a reserved word here.
    virtual void Delete();
    virtual void listener_mouse_over(scene::MouseEvent& event) = 0;
    virtual void listener_mouse_out(scene::MouseEvent& event) = 0;
    virtual void listener_mouse_click(scene::MouseEvent& event) = 0;

protected:
    // overType: the pointer event that counts as reaching the switch
    // ("mouseMove" or "mouseOver").
    explicit CPictureSwitch(const char* overType);

    // Of the given pictures, only the shown one is visible.
    static void showOnly(const std::shared_ptr<scene::Sprite>& shown,
                         std::initializer_list<const std::shared_ptr<scene::Sprite>*> pictures);
    // Swapping pictures changes the object under the pointer, which reports the
    // old picture as left although the pointer is still on the switch.
    bool pointerStillOn(const scene::MouseEvent& event) const;
    // The host panel, when the switch sits on one, resets its other buttons.
    void tellHost(scene::MouseEvent& event);

private:
    const char* overType_;
};
