#include "ui/CButtonSmall.h"

#include "app/MAux.h"

std::optional<scene::TextFormat> CButtonSmall::format_button_;
std::optional<scene::TextFormat> CButtonSmall::format_button_over_;

CTextButton::Look CButtonSmall::look() {
    if (!format_button_) {
        format_button_ = scene::TextFormat(MAux::FONTNAME, 18, 0x202020, true, scene::TextFormatAlign::CENTER);
        format_button_over_ = scene::TextFormat(MAux::FONTNAME, 18, 0x808020, true, scene::TextFormatAlign::CENTER);
    }
    return {&*format_button_, &*format_button_over_, DISPLACEMENT, false};
}

CButtonSmall::CButtonSmall(const std::string& key, scene::DisplayObjectContainer* container)
    : CTextButton(key, container, look()) {}
