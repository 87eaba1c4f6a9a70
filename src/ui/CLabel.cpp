#include "ui/CLabel.h"

#include "ui/CWidget.h"

std::optional<scene::TextFormat> CLabel::format_label_;

CLabel::CLabel(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_label_) format_label_ = scene::TextFormat("Arial", 24, 0x202020, true, scene::TextFormatAlign::RIGHT);
    t_ = CWidget::caption(key, *format_label_, 400);
    addChild(t_);
    s_ = CWidget::settle(*this, container, DISPLACEMENT, 0, *t_);
}
