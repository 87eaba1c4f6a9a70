#include "platform/FrameLoop.h"

#include <SDL.h>

#include "platform/Net.h"
#include "platform/Renderer.h"
#include "platform/Runtime.h"
#include "platform/Stage.h"

namespace scene::detail {

FrameLoop::FrameLoop(Stage& stage, Renderer& renderer, double frameRate, Pacing pacing)
    : stage_(stage),
      renderer_(renderer),
      pacing_(pacing),
      frequency_(SDL_GetPerformanceFrequency()),
      period_(static_cast<double>(frequency_) / (frameRate > 0 ? frameRate : 60.0)) {}

void FrameLoop::runFrame(double outputScaleX, double outputScaleY, double offsetX, double offsetY) {
    pollNetwork();
    stage_.enterFrame();
    stage_.recheckPointer();
    draw(outputScaleX, outputScaleY, offsetX, offsetY);
    startWaitingRequests();
    pollSound();
    pace();
}

void FrameLoop::draw(double outputScaleX, double outputScaleY, double offsetX, double offsetY) {
    stage_.renderFrame(renderer_, outputScaleX, outputScaleY, offsetX, offsetY);
    SDL_RenderPresent(renderer_.sdl());
    if (drawn) drawn();
}

void FrameLoop::pace() {
    const double now = static_cast<double>(SDL_GetPerformanceCounter());
    if (pacing_ == Pacing::WhileRequestsInFlight && pendingRequests() == 0) {
        // Nothing to wait for: the next frame may start at once, and a frame
        // that starts a request is timed from its own end.
        next_ = now + period_;
        return;
    }
    if (next_ == 0) next_ = now + period_;
    if (now < next_) {
        const double ms = (next_ - now) * 1000.0 / static_cast<double>(frequency_);
        if (ms >= 1.0) SDL_Delay(static_cast<Uint32>(ms));
        next_ += period_;
    } else {
        // Late: catch up a little, but after a long stall start counting afresh.
        next_ = now - period_ * 4 > next_ ? now + period_ : next_ + period_;
    }
}

}  // namespace scene::detail
