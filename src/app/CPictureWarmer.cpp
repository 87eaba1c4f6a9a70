#include "app/CPictureWarmer.h"

#include "app/MAux.h"

void CPictureWarmer::start() { addEventListener(scene::Event::ENTER_FRAME, this, &CPictureWarmer::listener_frame); }

void CPictureWarmer::listener_frame(scene::Event&) {
    // The first frames of a screen are left alone: the start's first frame above all.
    if (frames_++ < QUIET_FRAMES) return;
    if (!MAux::decodeAhead(BUDGET_MS)) removeEventListener(scene::Event::ENTER_FRAME, this, &CPictureWarmer::listener_frame);
}
