#include "ui/CLabel.h"

#include "app/CML.h"
#include "ui/CWidget.h"

std::optional<scene::TextFormat> CLabel::format_label_;

CLabel::CLabel(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_label_) format_label_ = scene::TextFormat("Arial", 24, 0x202020, true, scene::TextFormatAlign::RIGHT);
    t_ = std::make_shared<scene::TextField>();
    t_->setDefaultTextFormat(*format_label_);
    t_->setText(CML::text(key));
    t_->setWidth(400);
    CWidget::oneLine(*t_, *format_label_->size);
    t_->setFilters({CWidget::glow()});
    addChild(t_);

    setY(CWidget::placeBelowLastChild(container, DISPLACEMENT));
    setX(0);

    s_ = CWidget::cover(t_->width(), t_->height());
    addChild(s_);
}
