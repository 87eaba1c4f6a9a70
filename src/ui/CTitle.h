#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// A centred heading across the whole width of a screen.
class CTitle : public scene::Sprite {
public:
    static constexpr int DISPLACEMENT = 25;

    // key goes through CML::text; container is only read, to place the title
    // below its last child: the caller adds the title itself.
    CTitle(const std::string& key, const scene::DisplayObjectContainer* container = nullptr);

    std::shared_ptr<scene::Sprite> s_;

    static std::optional<scene::TextFormat> format_title_;
};
