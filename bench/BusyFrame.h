#pragma once

// The busiest frame of a real game, drawn by the game against raw SDL
// replaying that frame's own draw list (the same textures at the same places)
// on the same renderer, in turns, at the moment the game shows it.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Renderer.h"

namespace scene {
class Headless;
}
namespace robot {
class GameRobot;
}

class BusyFrame {
public:
    // The draw list of each frame, filled while record() is on.
    std::vector<scene::detail::DrawCall>& calls() { return calls_; }

    // After each frame of the game: when it drew more than any frame before,
    // it is timed again, drawn both ways. A shot of it goes to shotPath when set.
    void afterFrame(scene::Headless& h);

    // A new 24-order game made busy: orders gathered on the belt, every free
    // slot filled with plates nobody ordered, then an order pressed and served
    // (its panel fades, texts rise). The frames after that are timed as above;
    // the robot's step must record each frame into calls(). False when there was no such game.
    bool fillAndTime(robot::GameRobot& robot, scene::Headless& h);

    double gameUs() const { return gameUs_; }
    double rawUs() const { return rawUs_; }
    std::size_t drawCalls() const { return best_; }
    std::string shotPath;

private:
    std::vector<scene::detail::DrawCall> calls_;
    std::size_t best_ = 0;
    double gameUs_ = 0;
    double rawUs_ = 0;
};
