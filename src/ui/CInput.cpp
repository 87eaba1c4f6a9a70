#include "ui/CInput.h"

#include <cmath>

#include "app/CMain.h"
#include "app/MAux.h"
#include "ui/CInputError.h"

std::optional<scene::TextFormat> CInput::format_input_;

namespace {

std::shared_ptr<scene::Sprite> box(std::uint32_t color) {
    auto s = std::make_shared<scene::Sprite>();
    s->graphics().beginFill(color);
    s->graphics().drawRoundRect(0, 0, CInput::WIDTH, CInput::HEIGHT, 20);
    s->graphics().endFill();
    return s;
}

}  // namespace

CInput::CInput(const std::optional<std::string>& text, bool password, scene::DisplayObjectContainer* container) {
    if (!format_input_) format_input_ = scene::TextFormat(MAux::FONTNAME, 24, 0x202020, true, scene::TextFormatAlign::LEFT);
    text_ = std::make_shared<scene::TextField>();
    text_->setDefaultTextFormat(*format_input_);
    text_->setText(text.value_or(""));
    text_->setWidth(WIDTH);
    text_->setFilters({CWidget::glow()});
    text_->setTextFormat(*format_input_);
    text_->setBorder(false);
    CWidget::oneLine(*text_, HEIGHT);
    text_->setDisplayAsPassword(password);
    text_->setType(scene::TextFieldType::INPUT);

    bg_ = box(0xFFFFFF);
    bg_error_ = box(0xFF0000);
    addChild(bg_);
    addChild(bg_error_);
    bg_error_->setVisible(false);
    addChild(text_);

    // The label of this row was added last: line up with it by measuring from
    // the child before it. With only the label there, it sits at the top too.
    if (container && container->numChildren() >= 2) {
        const auto above = container->getChildAt(container->numChildren() - 2);
        setY(above->y() + above->height() + DISPLACEMENT);
    } else {
        setY(DISPLACEMENT);
    }
    setX(X);

    if (container) containerOver_.attach(container, scene::MouseEvent::MOUSE_OVER, this, &CInput::listener_out);
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CInput::listener_over);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CInput::listener_out);
    text_->addEventListener(scene::TextField::INPUT_REFUSED, this, &CInput::listener_refused);
}

CInput::~CInput() = default;

std::string CInput::text() const { return text_->text(); }

std::shared_ptr<scene::TextField> CInput::toTextField() const { return text_; }

void CInput::listener_over(scene::MouseEvent& event) {
    // The screen must not take the pointer as being over its background.
    event.stopPropagation();
}

void CInput::listener_out(scene::MouseEvent&) {}

void CInput::show_error(const std::string& key) {
    error_shown_ = true;
    aux_show_box(true);
    addChild(std::make_shared<CInputError>(key, this));
    aux_stack_errors();
    CMain::setFocus(std::dynamic_pointer_cast<CInput>(weak_from_this().lock()));
}

void CInput::hide_error() {
    error_shown_ = false;
    aux_show_box(false);
    if (numChildren() > 3) removeChildAt(3);
    aux_stack_errors();
}

void CInput::aux_stack_errors() {
    // Error lines go one under the other below the box, so that two of them
    // never print over each other.
    double y = HEIGHT;
    for (int i = 3; i < numChildren(); ++i) {
        auto line = getChildAt(i);
        line->setY(y);
        y += line->height();
    }
}

void CInput::aux_show_box(bool red) {
    bg_->setVisible(!red);
    bg_error_->setVisible(red);
}

void CInput::listener_refused(scene::Event&) {
    if (flash_frames_ == 0) addEventListener(scene::Event::ENTER_FRAME, this, &CInput::listener_flash);
    flash_frames_ = FLASH_FRAMES;
    aux_show_box(true);
}

void CInput::listener_flash(scene::Event&) {
    if (--flash_frames_ > 0) return;
    removeEventListener(scene::Event::ENTER_FRAME, this, &CInput::listener_flash);
    aux_show_box(error_shown_);
}
