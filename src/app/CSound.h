#pragma once

#include <string>

// The sound switch, and a request for one effect ("ordine", "mangiato",
// "buttato", "slot_in_scadenza"). An effect plays while the switch is on.
class CSound {
public:
    explicit CSound(const std::string& name);

    static void enable();
    // Opens the audio device and decodes the effects while the switch is on,
    // ahead of the first effect (at start-up and when switched on), at the end
    // of the frame: the start's first frame is not held up by it.
    static void prepare();
    static void disable() { enabled_ = false; }
    static bool isEnabled() { return enabled_; }
    static void soundtrack() {}
    static void stop() {}

    // Effects requested since start (tests only).
    static int requests() { return requests_; }
    static void reset();

private:
    static bool enabled_;
    static int requests_;
};
