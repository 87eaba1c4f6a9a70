#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"

// Process entry: registers the files beside the program, opens the window and
// hands over to Main once the stage exists.
class ApplicationMain {
public:
    // Runs until the window closes; returns the exit status.
    static int main();
    // Registers the four sound files beside the program (also used by the headless runner).
    static void registerAssets();
    // Raw bytes of "assets.dat" through the same registry; null for other ids.
    static std::shared_ptr<std::vector<std::uint8_t>> getAsset(const std::string& id);
};
