#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// A red error line shown just below an input box.
class CInputError : public scene::Sprite {
public:
    static constexpr int DISPLACEMENT = 25;
    // The width of the box it stands under; longer texts wrap within it.
    static constexpr double WIDTH = 350;

    // key goes through CML::text and may carry simple markup; the container is not used.
    explicit CInputError(const std::string& key, const scene::DisplayObjectContainer* container = nullptr);

    std::shared_ptr<scene::TextField> t_;
    std::shared_ptr<scene::Sprite> s_;

    static std::optional<scene::TextFormat> format_text_;
};
