#include "ui/CInputError.h"

#include <algorithm>

#include "app/CML.h"
#include "ui/CWidget.h"

std::optional<scene::TextFormat> CInputError::format_text_;

CInputError::CInputError(const std::string& key, const scene::DisplayObjectContainer*) {
    if (!format_text_) format_text_ = scene::TextFormat("Arial", 16, 0xFF0000, false, scene::TextFormatAlign::LEFT);
    t_ = std::make_shared<scene::TextField>();
    t_->setDefaultTextFormat(*format_text_);
    t_->setHtmlText(CML::text(key));
    t_->setWidth(WIDTH);
    t_->setAutoSize(scene::TextFieldAutoSize::CENTER);
    // The box stands at x 410: a line wider than it would run off the window,
    // so it wraps within the box's width and grows downwards instead.
    if (t_->width() > WIDTH) {
        t_->setWordWrap(true);
        t_->setWidth(WIDTH);
    }
    // A short line stands centred under the box.
    t_->setX(std::max(0.0, (WIDTH - t_->width()) / 2));
    t_->setFilters({scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3)});
    addChild(t_);

    setX(0);
    setY(30);

    s_ = CWidget::cover(t_->width(), t_->height());
    addChild(s_);
}
