#pragma once

#include "platform/Display.h"

#include <memory>

// Held by a screen the player lingers on (the welcome and the duration
// choice), outside its display list: from its third frame on it spends a few
// milliseconds of each frame decoding the package's remaining pictures, so the
// first game screen finds them ready instead of decoding them all in one
// frame. It stops listening once every picture is decoded; it dies with its screen.
class CPictureWarmer : public scene::Sprite {
public:
    static constexpr double BUDGET_MS = 3.0;
    static constexpr int QUIET_FRAMES = 2;

    // A warmer already listening for frames.
    static std::shared_ptr<CPictureWarmer> create();

private:
    void listener_frame(scene::Event& event);

    int frames_ = 0;
};
