#pragma once

#include "platform/Display.h"

// Makes an object and everything below it transparent to the pointer, so
// decorations laid over the play area never take a press meant for what lies beneath.
class CIgnoreMouse {
public:
    static void apply(scene::DisplayObject& object) {
        object.setMouseEnabled(false);
        if (auto* container = dynamic_cast<scene::DisplayObjectContainer*>(&object)) {
            for (int i = 0; i < container->numChildren(); ++i) apply(*container->getChildAt(i));
        }
    }
};
