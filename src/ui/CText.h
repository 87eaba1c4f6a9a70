#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// An explanatory paragraph, 650 pixels wide, as tall as its text.
class CText : public scene::Sprite {
public:
    static constexpr int DISPLACEMENT = 25;
    static constexpr double X = 75;
    static constexpr double WIDTH = 650;

    // key goes through CML::text; container is only read, to place the
    // paragraph below its last child: the caller adds it itself.
    CText(const std::string& key, const scene::DisplayObjectContainer* container = nullptr);

    std::shared_ptr<scene::TextField> t_;
    std::shared_ptr<scene::Sprite> s_;

    static std::optional<scene::TextFormat> format_text_;
};
