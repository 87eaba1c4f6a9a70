#pragma once

#include "ui/display.h"

// Base of every full-screen panel. The screen manager calls Delete exactly
// once when the screen stops being current ("delete" is reserved in C++).
class CScreen : public scene::Sprite {
public:
    CScreen() = default;
    // Screens release their frame listeners, timers and outside listeners here.
    virtual void Delete() {}
};
