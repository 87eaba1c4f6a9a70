#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// A right-aligned caption in the left half of a row, beside an input field.
class CLabel : public scene::Sprite {
public:
    static constexpr int DISPLACEMENT = 25;

    // key goes through CML::text; container is only read, to place the label
    // below its last child: the caller adds it itself.
    CLabel(const std::string& key, const scene::DisplayObjectContainer* container = nullptr);

    std::shared_ptr<scene::TextField> t_;
    std::shared_ptr<scene::Sprite> s_;

    static std::optional<scene::TextFormat> format_label_;
};
