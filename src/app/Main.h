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
    // The crash log, "Pelmora.pml" in the user's state folder (set by
    // set_error_mode; empty, so nothing is read or written, until then or
    // when the user has no home folder).
    static std::string CRASH_LOG;

    static void main();
    static void set_error_mode();

    // Back to the state at program start (tests only).
    static void reset();
};
