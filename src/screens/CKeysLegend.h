#pragma once

#include <string>

#include "platform/Display.h"

// The game's keys in two small columns below a screen's last child: the
// lines of one language text, the first half on the left, the rest on the right.
class CKeysLegend : public scene::Sprite {
public:
    static constexpr int DISPLACEMENT = 8;
    static constexpr double FONT_SIZE = 15;

    CKeysLegend(const std::string& key, const scene::DisplayObjectContainer* container);
};
