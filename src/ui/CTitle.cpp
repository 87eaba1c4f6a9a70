#include "ui/CTitle.h"

#include "app/MAux.h"
#include "ui/CWidget.h"

std::optional<scene::TextFormat> CTitle::format_title_;

CTitle::CTitle(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_title_) {
        format_title_ = scene::TextFormat(MAux::FONTNAME, 36, 0x800000, true, scene::TextFormatAlign::CENTER);
    }
    auto t = CWidget::caption(key, *format_title_, 800);
    addChild(t);
    s_ = CWidget::settle(*this, container, DISPLACEMENT, 0, *t);
}
