#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace scene {

class Stage;

struct WindowConfig {
    int width = 800;
    int height = 480;
    double frameRate = 60.0;
    std::uint32_t background = 0x000000;
    bool resizable = true;
    std::string title = "Pelmora";
    // A PNG file shown as the window's icon; none when empty or unreadable.
    std::string icon;
};

// The desktop shell: one window, its stage, and the frame loop.
class Application {
public:
    // Opens the window, calls ready once the stage exists, then runs frames
    // until the window is closed. Returns the process exit status; with no
    // display available it says so on standard error and returns 1.
    static int run(const WindowConfig& config, const std::function<void(Stage&)>& ready);
};

// Maps an SDL key symbol to the classic key code (Enter 13, Left 37, "A" 65 ...); 0 when unknown.
int keyCodeFromSDL(int sdlKey);

}  // namespace scene
