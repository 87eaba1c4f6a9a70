#include "ui/CWidget.h"

#include <algorithm>
#include <cmath>

#include "app/CML.h"
#include "app/MAux.h"

double CWidget::placeBelowLastChild(const scene::DisplayObjectContainer* container, double displacement) {
    if (!container || container->numChildren() == 0) return displacement;
    const auto last = container->getChildAt(container->numChildren() - 1);
    return last->y() + last->height() + displacement;
}

std::shared_ptr<scene::Sprite> CWidget::cover(double width, double height) {
    auto s = std::make_shared<scene::Sprite>();
    s->addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/b.png")));
    s->setWidth(width);
    s->setHeight(height);
    return s;
}

std::shared_ptr<scene::TextField> CWidget::caption(const std::string& key, const scene::TextFormat& format,
                                                  double width, bool oneLineHigh) {
    auto t = std::make_shared<scene::TextField>();
    t->setDefaultTextFormat(format);
    t->setText(CML::text(key));
    t->setWidth(width);
    if (oneLineHigh) oneLine(*t, format.size.value_or(12));
    t->setFilters({glow()});
    return t;
}

std::shared_ptr<scene::Sprite> CWidget::settle(scene::Sprite& widget, const scene::DisplayObjectContainer* container,
                                               double displacement, double x, const scene::TextField& text) {
    widget.setY(placeBelowLastChild(container, displacement));
    widget.setX(x);
    auto s = cover(text.width(), text.height());
    widget.addChild(s);
    return s;
}

void CWidget::oneLine(scene::TextField& field, double height) {
    field.setHeight(height);
    field.setOverflowVisible(true);
}

void CWidget::fitCaption(scene::TextField& field, double width, double height) {
    // The laid-out text has a 2-pixel gutter on each side.
    const double needed = field.textWidth() + 4;
    const double k = needed > width && needed > 0 ? width / needed : 1.0;
    field.setScaleX(k);
    field.setScaleY(k);
    field.setWidth(width / k);
    field.setX(0);
    field.setY(std::floor(height * (1 - k) / 2));
}
