#include "ui/CTitle.h"

#include "app/CML.h"
#include "app/MAux.h"
#include "ui/CWidget.h"

std::optional<scene::TextFormat> CTitle::format_title_;

CTitle::CTitle(const std::string& key, const scene::DisplayObjectContainer* container) {
    if (!format_title_) {
        format_title_ = scene::TextFormat(MAux::FONTNAME, 36, 0x800000, true, scene::TextFormatAlign::CENTER);
    }
    auto t = std::make_shared<scene::TextField>();
    t->setDefaultTextFormat(*format_title_);
    t->setText(CML::text(key));
    t->setWidth(800);
    CWidget::oneLine(*t, *format_title_->size);
    t->setFilters({CWidget::glow()});
    addChild(t);

    setY(CWidget::placeBelowLastChild(container, DISPLACEMENT));
    setX(0);

    s_ = CWidget::cover(t->width(), t->height());
    addChild(s_);
}
