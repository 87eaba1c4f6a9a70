#pragma once

#include <optional>
#include <string>

#include "ui/CTextButton.h"

// The small text button (privacy, credits): 18-pixel caption, 25 pixels below
// what precedes it; its screen usually narrows and moves it.
class CButtonSmall : public CTextButton {
public:
    static constexpr int DISPLACEMENT = 25;

    CButtonSmall(const std::string& key, scene::DisplayObjectContainer* container);

    static std::optional<scene::TextFormat> format_button_;
    static std::optional<scene::TextFormat> format_button_over_;

private:
    static Look look();
};
