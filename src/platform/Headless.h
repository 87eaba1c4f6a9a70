#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace scene {

class Stage;

// The stage and frame loop without a window: a software renderer draws into
// an off-screen picture, frames advance when asked, input is injected.
class Headless {
public:
    explicit Headless(int width = 800, int height = 480);
    ~Headless();
    Headless(const Headless&) = delete;
    Headless& operator=(const Headless&) = delete;

    Stage& stage();
    std::shared_ptr<Stage> stagePtr();

    // Runs whole frames: network, "enterFrame", drawing.
    void step(int frames = 1);
    // Draws the current state without advancing.
    void render();
    // Called after each frame is drawn (before any wait for the next).
    void onFrameDrawn(std::function<void()> f);

    void mouseMove(double x, double y);
    void mouseDown(double x, double y);
    void mouseUp(double x, double y);
    // Moves there, presses and releases.
    void click(double x, double y);
    void keyDown(int keyCode, unsigned charCode = 0);
    void type(const std::string& utf8);

    // Forgets the pictures the renderer keeps for reuse, so that a measure of
    // the heap sees only what live objects hold.
    void forgetKeptPictures();

    // 0xRRGGBB of a pixel of the last drawn frame.
    std::uint32_t pixel(int x, int y) const;
    bool savePNG(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace scene
