#include "game/CFloatingText.h"

#include "app/MAux.h"
#include "game/CGame.h"
#include "game/CIgnoreMouse.h"
#include "ui/CWidget.h"

int CFloatingText::floating_count_ = 0;

CFloatingText::CFloatingText(const std::string& text, std::uint32_t color, scene::DisplayObjectContainer* parent,
                             const std::string& icon) {
    text_ = makeText(text, color);
    format_ = text_->defaultTextFormat();
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

std::shared_ptr<scene::TextField> CFloatingText::makeText(const std::string& text, std::uint32_t color) {
    auto field = std::make_shared<scene::TextField>();
    field->setDefaultTextFormat(scene::TextFormat(MAux::FONTNAME, 100, color, true, scene::TextFormatAlign::RIGHT));
    field->setSelectable(false);
    field->setText(text);
    field->setWidth(300);
    CWidget::oneLine(*field, 100);
    field->setFilters({scene::GlowFilter(0x00FFFF, 1, 3, 3, 3, 3)});
    // A new figure every few moments of play: drawn from its characters' pictures, made once.
    field->setDrawnByGlyph(true, GLYPHS);
    return field;
}

void CFloatingText::prepareGlyphs(std::uint32_t color, const std::string& chars) {
    // One character laid out in the figures' face, the others made ahead in it.
    auto field = makeText("0", color);
    field->setDrawnByGlyph(true, chars);
    field->prepare();
}

void CFloatingText::prepareAheadOfPlay() {
    for (const std::uint32_t color : {CGame::COLOR_PX, CGame::COLOR_WASTED, CGame::COLOR_LEAVING}) {
        for (const char* c = GLYPHS; *c; ++c) {
            if (*c != ' ') MAux::prepareAhead([color, c] { prepareGlyphs(color, std::string(1, *c)); });
        }
    }
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
