#pragma once

#include "platform/Display.h"

// An empty child of a screen the player lingers on (the welcome and the
// duration choice): from its third frame on it spends a few milliseconds of
// each frame decoding the package's remaining pictures, so the first game
// screen finds them ready instead of decoding them all in one frame. It stops
// listening once every picture is decoded; it dies with its screen.
class CPictureWarmer : public scene::Sprite {
public:
    static constexpr double BUDGET_MS = 3.0;
    static constexpr int QUIET_FRAMES = 2;

    // Starts listening; call once it is owned by a shared_ptr.
    void start();

private:
    void listener_frame(scene::Event& event);

    int frames_ = 0;
};
