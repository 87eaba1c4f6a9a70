#pragma once

#include "platform/Display.h"

// Base of every full-screen panel. The screen manager calls Delete exactly
// once when the screen is replaced ("delete" is reserved in C++), and suspend
// and resume around a side screen shown with Call and closed with Return.
class CScreen : public scene::Sprite {
public:
    CScreen() = default;
    // Screens release their frame listeners, timers and outside listeners here.
    virtual void Delete() {}
    // While suspended the screen and everything under it get no "enterFrame"
    // and no input; these hooks are for what the frame does not pause itself.
    virtual void suspend() {}
    virtual void resume() {}

    // Runs Delete the first time only; the screen manager's entry point.
    void deleteOnce() {
        if (deleted_) return;
        deleted_ = true;
        Delete();
    }
    bool deleted() const { return deleted_; }

private:
    bool deleted_ = false;
};
