#include "ui/CButton.h"

#include "app/MAux.h"

std::optional<scene::TextFormat> CButton::format_button_;
std::optional<scene::TextFormat> CButton::format_button_over_;

CTextButton::Look CButton::look() {
    if (!format_button_) {
        format_button_ = scene::TextFormat(MAux::FONTNAME, 28, 0x202020, true, scene::TextFormatAlign::CENTER);
        format_button_over_ = scene::TextFormat(MAux::FONTNAME, 28, 0x808020, true, scene::TextFormatAlign::CENTER);
    }
    return {&*format_button_, &*format_button_over_, DISPLACEMENT, true};
}

CButton::CButton(const std::string& key, scene::DisplayObjectContainer* container)
    : CTextButton(key, container, look()) {}

void CButton::listener_ignore(scene::MouseEvent& event) { event.stopPropagation(); }

void CButton::listener_click_softkeyboard(scene::MouseEvent& event) {
    listener_click(event);
    event.stopPropagation();
}
