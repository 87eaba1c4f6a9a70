#pragma once

#include <optional>
#include <string>

#include "ui/CTextButton.h"

// The standard text button of the menus: 28-pixel caption, 15 pixels below
// what precedes it. Concrete buttons fix the key and override listener_click.
class CButton : public CTextButton {
public:
    static constexpr int DISPLACEMENT = 15;

    // key goes through CML::text; the button places itself below the
    // container's last child, and the caller adds it to the container.
    CButton(const std::string& key, scene::DisplayObjectContainer* container);

    // Swallows the event so nothing beneath sees it.
    virtual void listener_ignore(scene::MouseEvent& event);
    virtual void listener_click_softkeyboard(scene::MouseEvent& event);

    static std::optional<scene::TextFormat> format_button_;
    static std::optional<scene::TextFormat> format_button_over_;

private:
    static Look look();
};
