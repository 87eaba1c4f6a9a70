#include "game/CFloatingText.h"

#include "app/MAux.h"
#include "game/CIgnoreMouse.h"
#include "ui/CWidget.h"

int CFloatingText::floating_count_ = 0;

CFloatingText::CFloatingText(const std::string& text, std::uint32_t color, scene::DisplayObjectContainer* parent,
                             const std::string& icon) {
    text_ = std::make_shared<scene::TextField>();
    format_ = scene::TextFormat(MAux::FONTNAME, 100, color, true, scene::TextFormatAlign::RIGHT);
    text_->setDefaultTextFormat(format_);
    text_->setSelectable(false);
    text_->setText(text);
    text_->setWidth(300);
    CWidget::oneLine(*text_, 100);
    text_->setFilters({scene::GlowFilter(0x00FFFF, 1, 3, 3, 3, 3)});
    addChild(text_);
    auto picture = MAux::pictureSprite(icon == "px" ? "assets/punti_esperienza.png" : "assets/yen.png");
    addChild(picture);
    if (!icon.empty()) {
        text_->setX(400 - text_->width());
        picture->setX(405);
        picture->setY((text_->height() - picture->height()) / 2);
    } else if (parent) {
        text_->setX((parent->width() - text_->width()) / 2);
        picture->setX((parent->width() - picture->width()) / 2);
    }
    setY(height() + 480);
    setX(0);
    s_ = MAux::pictureSprite("assets/b.png");
    s_->setWidth(width());
    s_->setHeight(height());
    addChild(s_);
    // Unlike the order panel, a rising figure takes no presses: it sweeps
    // over the strip and the belt in the middle of play, and a press it
    // swallowed would be a pick or a serve the player made and lost.
    CIgnoreMouse::apply(*this);
    addEventListener(scene::Event::ENTER_FRAME, this, &CFloatingText::listener_enter_frame);
    floating_count_ += 1;
    counted_ = true;
}

std::shared_ptr<CFloatingText> CFloatingText::show(const std::string& text, std::uint32_t color,
                                                   scene::DisplayObjectContainer* parent, const std::string& icon) {
    auto floating = std::make_shared<CFloatingText>(text, color, parent, icon);
    if (parent) parent->addChild(floating);
    return floating;
}

CFloatingText::~CFloatingText() {
    if (counted_) floating_count_ -= 1;
}

void CFloatingText::Delete() {
    removeEventListener(scene::Event::ENTER_FRAME, this, &CFloatingText::listener_enter_frame);
    if (counted_) floating_count_ -= 1;
    counted_ = false;
}

void CFloatingText::listener_enter_frame(scene::Event&) {
    setY(y() - RISE_PER_FRAME);
    if (y() >= -height()) return;
    Delete();
    if (auto* p = parent()) p->removeChild(this);
}
