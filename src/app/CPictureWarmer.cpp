#include "app/CPictureWarmer.h"

#include "app/MAux.h"

std::shared_ptr<CPictureWarmer> CPictureWarmer::create() {
    auto warmer = std::make_shared<CPictureWarmer>();
    warmer->addEventListener(scene::Event::ENTER_FRAME, warmer.get(), &CPictureWarmer::listener_frame);
    return warmer;
}

void CPictureWarmer::listener_frame(scene::Event&) {
    // The first frames of a screen are left alone: the start's first frame above all.
    if (frames_++ < QUIET_FRAMES) return;
    if (!MAux::decodeAhead(BUDGET_MS)) removeEventListener(scene::Event::ENTER_FRAME, this, &CPictureWarmer::listener_frame);
}
