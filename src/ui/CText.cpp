#include "ui/CText.h"

#include "app/CML.h"
#include "ui/CWidget.h"

std::optional<scene::TextFormat> CText::format_text_;

CText::CText(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_text_) format_text_ = scene::TextFormat("Arial", 20, 0x000000, false, scene::TextFormatAlign::LEFT);
    t_ = std::make_shared<scene::TextField>();
    t_->setDefaultTextFormat(*format_text_);
    t_->setText(CML::text(key));
    t_->setWidth(WIDTH);
    // A line longer than the paragraph wraps inside it instead of growing the
    // box past the window's right edge; the height follows the text.
    t_->setWordWrap(true);
    t_->setAutoSize(scene::TextFieldAutoSize::LEFT);
    t_->setFilters({scene::GlowFilter(0xFFFF90, 0.8, 2, 2, 3, 3)});
    addChild(t_);

    setY(CWidget::placeBelowLastChild(container, DISPLACEMENT));
    setX(X);

    s_ = CWidget::cover(t_->width(), t_->height());
    addChild(s_);
}
