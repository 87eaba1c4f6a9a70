#include "recipes/CPxIcon.h"

#include <cmath>
#include <cstdio>

#include "app/CMain.h"
#include "app/DataFiles.h"
#include "app/MAux.h"

std::string CPxIcon::levels_txt_;
std::vector<std::int64_t> CPxIcon::levels_px_;
std::vector<double> CPxIcon::levels_difficult_factor_;
bool CPxIcon::levels_read_ = false;

void CPxIcon::reset() {
    levels_txt_.clear();
    levels_px_.clear();
    levels_difficult_factor_.clear();
    levels_read_ = false;
}

void CPxIcon::setLevels(const std::string& text) {
    levels_txt_ = text;
    levels_read_ = false;
}

void CPxIcon::aux_read_levels() {
    levels_read_ = true;
    levels_px_.clear();
    levels_difficult_factor_.clear();
    if (levels_txt_.empty()) levels_txt_ = MAux::getText(FILE_NAME);
    std::size_t unusable = 0;
    for (const auto& record : DataFiles::looseRecords(levels_txt_)) {
        const auto fields = DataFiles::tabFields(record);
        if (fields.size() < 2) continue;
        const double factor = fields.size() > 4 ? DataFiles::readDecimal(fields[4]) : std::nan("");
        if (!(std::isfinite(factor) && factor > 0)) ++unusable;
        levels_px_.push_back(fields.size() > 3 ? DataFiles::readInt(fields[3]) : 0);
        levels_difficult_factor_.push_back(factor);
    }
    if (levels_px_.empty() && !levels_txt_.empty())
        std::fprintf(stderr, "Warning : the level table holds no level; every player plays at difficulty 1\n");
    else if (unusable > 0)
        std::fprintf(stderr, "Warning : %zu levels of the level table have no usable difficulty factor; they play at 1\n",
                     unusable);
}

int CPxIcon::aux_decode_px_to_level(std::int64_t px) {
    if (!levels_read_) aux_read_levels();
    int level = -1;
    for (std::size_t i = 0; i < levels_px_.size(); ++i) {
        if (levels_px_[i] > px) break;
        level = static_cast<int>(i);
    }
    return level;
}

double CPxIcon::get_difficult_factor(std::int64_t px) {
    const int level = aux_decode_px_to_level(px);
    if (level < 0 || level >= static_cast<int>(levels_difficult_factor_.size())) return 1;
    const double factor = levels_difficult_factor_[static_cast<std::size_t>(level)];
    return std::isfinite(factor) && factor > 0 ? factor : 1;
}

CPxIcon::CPxIcon(bool clickable) {
    auto badge = MAux::pictureSprite("assets/punti_esperienza.png");
    badge->setX(4);
    badge->setY(4);
    addChild(badge);
    if (!clickable) return;
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CPxIcon::listener_over);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CPxIcon::listener_click);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CPxIcon::listener_out);
}

void CPxIcon::set_px(std::int64_t px) {
    const int level = aux_decode_px_to_level(px);
    if (level == level_) return;
    level_ = level;
    aux_decode_level();
}

void CPxIcon::forceUpdate() { aux_decode_level(); }

void CPxIcon::aux_add_chef(char digit) {
    addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData(std::string("assets/chef") + digit + ".png")));
}

// The last child goes into one of three slots at the lower right of the badge,
// measured against the icon's bounds as they are at this moment.
void CPxIcon::aux_place_last(int slotsFromRight) {
    const auto last = getChildAt(numChildren() - 1);
    const scene::Rect all = localBounds();
    last->setX(all.width - slotsFromRight * last->width() - 4);
    last->setY(all.height - last->height() - 4);
}

void CPxIcon::aux_decode_level() {
    if (level_ < 0 || level_ > MAX_LEVEL) return;
    while (numChildren() > 1) removeChildAt(numChildren() - 1);
    const std::int64_t base3 = Value::parseInt(MAux::decimalToBase(level_, 3));
    if (base3 <= 0) return;
    const std::string digits = std::to_string(base3);
    aux_add_chef(digits[0]);
    aux_place_last(3);
    if (digits.size() > 1) aux_add_chef(digits[1]);
    aux_place_last(2);
    if (digits.size() > 2) aux_add_chef(digits[2]);
    aux_place_last(1);
}

void CPxIcon::listener_click(scene::MouseEvent&) { CMain::Call(CMain::SCREEN_PX); }

void CPxIcon::listener_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    event.stopPropagation();
}

void CPxIcon::listener_out(scene::MouseEvent& event) {
    MAux::mouseCursorToArrow();
    event.stopPropagation();
}
