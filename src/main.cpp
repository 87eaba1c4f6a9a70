#include <cstdio>
#include <exception>

#include "app/ApplicationMain.h"
#include "screens/Screens.h"

int main(int argc, char** argv) {
    registerScreens();
    try {
        return ApplicationMain::main(argc, argv);
    } catch (const std::exception& e) {
        // A failure that reaches the entry point ends the game with a clear line and a failing status.
        std::printf("Error : %s\n", e.what());
        std::fflush(stdout);
        return 1;
    }
}
