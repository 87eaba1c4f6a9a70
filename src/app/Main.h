#pragma once

#include <cstdint>
#include <string>

// Start-up once the stage exists: crash logger, version and build from the
// package, then the welcome screen.
class Main {
public:
    static const char* const PLATFORM;
    static std::string VERSION;
    static std::int64_t BUILD;

    static void main();
    static void set_error_mode();

    // Back to the state at program start (tests only).
    static void reset();
};
