#include "game/CScore.h"

#include <algorithm>
#include <string>

#include "app/CMain.h"
#include "app/MAux.h"
#include "net/CNetworking.h"
#include "recipes/CPxIcon.h"
#include "ui/CQuitButton.h"

int CScore::px_ = 0;
int CScore::yen_ = 0;
int CScore::actual_px_ = 0;
int CScore::actual_yen_ = 0;
bool CScore::totals_from_service_ = false;
int CScore::pending_px_ = 0;
int CScore::pending_yen_ = 0;

CScore::CScore(int orders) : orders_(orders) {
    const bool variant = orders < 0;
    pximage_ = std::make_shared<CPxIcon>(variant);
    pximage_->set_px(px_);
    pximage_->setX(4);
    pximage_->setY(4);
    addChild(pximage_);
    yenicon_ = MAux::pictureSprite("assets/yen.png");
    yenicon_->setX(748);
    yenicon_->setY(4);
    addChild(yenicon_);
    if (!variant) {
        auto ticket = std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/ordini.png"));
        ticket->setX(375);
        ticket->setY(4);
        addChild(ticket);
    }
    const scene::GlowFilter pink(0xFF6080, 1, 3, 3, 3, 3);
    pxformat_ = scene::TextFormat(MAux::FONTNAME, 64, 0xFFFFFF, true);
    pxtext_ = aux_figure(pxformat_, 154, 4, 400, pink);
    aux_set_text(*pxtext_, px_);
    yenformat_ = scene::TextFormat(MAux::FONTNAME, 64, 0xFFFFFF, true, scene::TextFormatAlign::RIGHT);
    yentext_ = aux_figure(yenformat_, 344, 0, 400, pink);
    aux_set_text(*yentext_, yen_);
    if (!variant) {
        actual_px_ = 0;
        actual_yen_ = 0;
        ordersformat_ = scene::TextFormat(MAux::FONTNAME, 20, 0xFFFFFF, true, scene::TextFormatAlign::CENTER);
        orderstext_ = aux_figure(*ordersformat_, 380, 24, 50, scene::GlowFilter(0x000000, 1, 3, 3, 3, 3));
        aux_set_text(*orderstext_, orders_);
        csoundbutton_ = std::make_shared<CSoundButton>(this);
        addChild(csoundbutton_);
        csoundbutton_->setX(337);
        csoundbutton_->setY(2);
        cquitbutton_ = std::make_shared<CQuitButton>();
        addChild(cquitbutton_);
        cquitbutton_->setX(337);
        cquitbutton_->setY(42);
    } else {
        if (orders == -1) {
            aux_user_name(CNetworking::getUsername());
        } else if (orders == -2) {
            aux_set_text(*yentext_, actual_yen_);
            aux_set_text(*pxtext_, actual_px_);
        }
    }
    // Outside a game the yen figure explains itself; in a game P pauses instead.
    if (variant) {
        yenicon_->addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CScore::listener_over);
        yenicon_->addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CScore::yen_listener_click);
        yenicon_->addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CScore::listener_out);
    }
    auto strip = std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/score.png"));
    // The strip spans the window even where the yen icon stops short of its right edge.
    const double w = std::max(width(), 800.0);
    addChildAt(strip, 0);
    strip->setWidth(w);
    strip->setHeight(HEIGHT);
}

std::shared_ptr<scene::TextField> CScore::aux_figure(const scene::TextFormat& format, double x, double y,
                                                     double width, const scene::GlowFilter& glow) {
    auto field = std::make_shared<scene::TextField>();
    field->setDefaultTextFormat(format);
    field->setSelectable(false);
    // The figures are read, never pressed: the icons and buttons under and beside them take the pointer.
    field->setMouseEnabled(false);
    field->setX(x);
    field->setY(y);
    field->setWidth(width);
    field->setHeight(HEIGHT - y);
    field->setFilters({glow});
    // Totals change as the player plays: drawn from the digits' pictures, made once.
    field->setDrawnByGlyph(true, "-0123456789");
    addChild(field);
    return field;
}

void CScore::aux_set_text(scene::TextField& field, int value) {
    // Re-setting the same text would lay it out again for nothing.
    const std::string text = std::to_string(value);
    if (field.text() != text) field.setText(text);
}

void CScore::aux_user_name(const std::string& name) {
    // The paragraphs' size, but the text as typed: a user name is never looked
    // up as a text key, so a player called "PASSWORD" reads "PASSWORD". Light
    // letters in a dark outline read on the strip's red.
    nametext_ = std::make_shared<scene::TextField>();
    nametext_->setDefaultTextFormat(scene::TextFormat(MAux::FONTNAME, 20, 0xFFF6E4, true));
    nametext_->setSelectable(false);
    nametext_->setMouseEnabled(false);
    nametext_->setAutoSize(scene::TextFieldAutoSize::LEFT);
    nametext_->setText(name);
    nametext_->setFilters({scene::GlowFilter(0x2A1208, 1.0, 2, 2, 6, 3)});
    addChild(nametext_);
    aux_place_name();
}

void CScore::aux_place_name() {
    if (!nametext_) return;
    // Between the two figures, which grow towards it: centred on the strip
    // where there is room, otherwise in the gap, smaller when the gap is narrow.
    const double left = pxtext_->x() + pxtext_->textWidth() + NAME_MARGIN;
    const double right = yentext_->x() + yentext_->width() - yentext_->textWidth() - NAME_MARGIN;
    const double natural = nametext_->width() / nametext_->scaleX();
    const double k = std::clamp((right - left) / natural, NAME_MIN_SCALE, 1.0);
    nametext_->setScaleX(k);
    nametext_->setScaleY(k);
    const double w = natural * k;
    nametext_->setX(std::clamp((800 - w) / 2, left, std::max(left, right - w)));
    nametext_->setY(40 - nametext_->height() / 2);
}

void CScore::Delete() {
    if (csoundbutton_) csoundbutton_->Delete();
    if (cquitbutton_) cquitbutton_->Delete();
    yenicon_->removeEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CScore::listener_over);
    yenicon_->removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CScore::yen_listener_click);
    yenicon_->removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CScore::listener_out);
}

void CScore::px_listener_click(scene::MouseEvent&) { CMain::Call(CMain::SCREEN_PX); }

void CScore::yen_listener_click(scene::MouseEvent&) { CMain::Call(CMain::SCREEN_YEN); }

void CScore::listener_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    event.stopPropagation();
}

void CScore::listener_out(scene::MouseEvent& event) {
    MAux::mouseCursorToArrow();
    event.stopPropagation();
}

void CScore::listener_mouse_over(scene::MouseEvent& event) {
    if (csoundbutton_) csoundbutton_->listener_mouse_out(event);
    if (cquitbutton_) cquitbutton_->listener_mouse_out(event);
}

void CScore::aux_print_score() {
    aux_set_text(*pxtext_, px_);
    aux_set_text(*yentext_, yen_);
    if (orderstext_) aux_set_text(*orderstext_, orders_);
    aux_place_name();
}

void CScore::px_increment(int v) {
    actual_px_ += v;
    px_ += v;
    pximage_->set_px(px_);
    aux_print_score();
}

void CScore::yen_increment(int v) {
    actual_yen_ += v;
    yen_ += v;
    aux_print_score();
}

void CScore::yen_decrement(int v) {
    actual_yen_ -= v;
    yen_ -= v;
    aux_print_score();
}

void CScore::prepareFigures() {
    pxtext_->prepare();
    yentext_->prepare();
    if (orderstext_) orderstext_->prepare();
}

void CScore::orders_decrement() {
    if (orders_ > 0) orders_ -= 1;
    aux_print_score();
}

void CScore::setTotalsFromService(int px, int yen) {
    px_ = px + pending_px_;
    yen_ = yen + pending_yen_;
    totals_from_service_ = true;
}

void CScore::keepPending(int px, int yen) {
    pending_px_ += px;
    pending_yen_ += yen;
}

void CScore::reset() {
    px_ = 0;
    yen_ = 0;
    actual_px_ = 0;
    actual_yen_ = 0;
    totals_from_service_ = false;
    pending_px_ = 0;
    pending_yen_ = 0;
}
