#include "game/CSlot.h"

#include <cmath>
#include <string>

#include "app/CSound.h"
#include "app/MAux.h"

std::optional<scene::TextFormat> CSlot::format_;

namespace {
std::string priceText(int yen) { return std::to_string(yen) + " \u00A5"; }
}  // namespace

CSlot::CSlot(int yen) {
    if (!format_) format_ = scene::TextFormat(MAux::FONTNAME, 11, 0x000000, true, scene::TextFormatAlign::CENTER);
    hurry_ = std::make_shared<CCharacterWorried>();
    eated_ = std::make_shared<CCharacterEater>(1 + static_cast<int>(std::floor(MAux::random() * 3)));
    yen_ = yen;
    bg_yen_ = std::make_shared<scene::Sprite>();
    auto& g = bg_yen_->graphics();
    g.beginFill(0xC2BA97, 1);
    g.drawRoundRect(0, 0, 45, 20, 4);
    g.beginFill(0xF2EAB7, 1);
    g.drawRoundRect(1, 1, 43, 18, 4);
    g.endFill();
    bg_yen_->setX(19);
    bg_yen_->setY(44);
    bg_yen_value_ = std::make_shared<scene::TextField>();
    bg_yen_value_->setDefaultTextFormat(*format_);
    bg_yen_value_->setSelectable(false);
    bg_yen_value_->setText(priceText(yen_));
    // A belt shows many prices: drawn from the pictures of their characters, made once.
    bg_yen_value_->setDrawnByGlyph(true, "0123456789\xC2\xA5");
    bg_yen_value_->setWidth(45);
    bg_yen_value_->setHeight(30);
    bg_yen_value_->setX(19);
    bg_yen_value_->setY(46);
    hurry_->setVisible(false);
    eated_->setVisible(false);
}

void CSlot::aux_add_children(const std::shared_ptr<scene::DisplayObject>& picture) {
    addChild(picture);
    addChild(bg_yen_);
    addChild(bg_yen_value_);
    addChild(hurry_);
    addChild(eated_);
}

void CSlot::setLifespan(int frames) {
    lifespan_ = frames;
    countdown_ = COUNTDOWN;
}

void CSlot::decrementLifespan() {
    if (lifespan_ > 0) --lifespan_;
    else if (countdown_ > 0) --countdown_;
}

void CSlot::setYen(int yen) {
    yen_ = yen;
    bg_yen_value_->setText(priceText(yen));
}

void CSlot::hurryUp(int dx, int dy) {
    if (!hurry_->visible()) CSound("slot_in_scadenza");
    hurry_->setVisible(true);
    hurry_->updateDisposition(dx, dy, true);
}

void CSlot::hurryNoMore() { hurry_->setVisible(false); }

void CSlot::eatedUp(int dx, int dy) {
    hurry_->setVisible(false);
    if (!eated_->visible()) CSound("mangiato");
    eated_->setVisible(true);
    eated_->updateDisposition(dx, dy, true);
}
