#include "ui/CText.h"

#include "ui/CWidget.h"

std::optional<scene::TextFormat> CText::format_text_;

CText::CText(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_text_) format_text_ = scene::TextFormat("Arial", 20, 0x000000, false, scene::TextFormatAlign::LEFT);
    t_ = CWidget::caption(key, *format_text_, WIDTH, false);
    // A line longer than the paragraph wraps inside it instead of growing the
    // box past the window's right edge; the height follows the text.
    t_->setWordWrap(true);
    t_->setAutoSize(scene::TextFieldAutoSize::LEFT);
    t_->setFilters({scene::GlowFilter(0xFFFF90, 0.8, 2, 2, 3, 3)});
    addChild(t_);
    s_ = CWidget::settle(*this, container, DISPLACEMENT, X, *t_);
}
