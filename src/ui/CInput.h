#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CMain.h"
#include "ui/CWidget.h"
#include "platform/Display.h"

// A one-line text entry: a rounded white box 350 by 30 with an editable field,
// at the right of its label's row. An error turns the box red and adds a line below.
class CInput : public scene::Sprite, public CFocusable {
public:
    static constexpr int DISPLACEMENT = 25;
    static constexpr double X = 410;
    static constexpr double WIDTH = 350;
    static constexpr double HEIGHT = 30;

    // No text gives an empty field; password masks what is typed. The input
    // lines up with the label that was added to container just before it.
    CInput(const std::optional<std::string>& text, bool password, scene::DisplayObjectContainer* container);
    ~CInput() override;

    // The content in clear, also in password mode.
    virtual std::string text() const;
    // The field that takes the keys (see CMain::setFocus).
    std::shared_ptr<scene::TextField> toTextField() const override;
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);
    // Each call adds one more error line, below the ones shown, and takes the keyboard focus.
    virtual void show_error(const std::string& key);
    // Whites the box again and removes the first error line; the others move up.
    virtual void hide_error();
    // Typing refused by the field's length limit: the box flashes red for
    // FLASH_FRAMES frames, so that no character is dropped unseen.
    void listener_refused(scene::Event& event);
    void listener_flash(scene::Event& event);
    static constexpr int FLASH_FRAMES = 12;

    std::shared_ptr<scene::TextField> text_;
    std::shared_ptr<scene::Sprite> bg_;
    std::shared_ptr<scene::Sprite> bg_error_;

    static std::optional<scene::TextFormat> format_input_;

private:
    void aux_stack_errors();
    void aux_show_box(bool red);

    bool error_shown_ = false;
    int flash_frames_ = 0;

    ContainerListener<CInput, scene::MouseEvent> containerOver_;
};
