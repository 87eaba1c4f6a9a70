#pragma once

// Private to the display layer: the one frame order the window and the
// headless runner both drive.

#include <cstdint>
#include <functional>

namespace scene {
class Stage;
}

namespace scene::detail {

class Renderer;

// A frame is: network completions, "enterFrame", pointer re-check, drawing,
// presenting, the requests and sound set-up that waited for their libraries,
// then pacing. The shell delivers the frame's input to the stage
// before running it.
class FrameLoop {
public:
    enum class Pacing {
        // Every frame takes its share of real time, whatever the display does (the window).
        RealTime,
        // As fast as the machine allows, except while requests are in flight:
        // then frames take their real time, so replies arrive after as many
        // frames as they would in the window (the headless runner).
        WhileRequestsInFlight,
    };

    FrameLoop(Stage& stage, Renderer& renderer, double frameRate, Pacing pacing);

    // One whole frame; the output scale and offset place the stage in the window's pixels.
    void runFrame(double outputScaleX = 1.0, double outputScaleY = 1.0, double offsetX = 0, double offsetY = 0);
    // Draws and presents the current state without advancing it.
    void draw(double outputScaleX = 1.0, double outputScaleY = 1.0, double offsetX = 0, double offsetY = 0);

    // Called after each frame is presented, before the loop waits for the next.
    std::function<void()> drawn;

private:
    void pace();

    Stage& stage_;
    Renderer& renderer_;
    Pacing pacing_;
    std::uint64_t frequency_;
    double period_;
    double next_ = 0;
};

}  // namespace scene::detail
