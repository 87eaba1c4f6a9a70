#include "ui/CWidget.h"

#include <algorithm>
#include <cmath>

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

double CWidget::lineHeight(const scene::TextField& field, double nominal) {
    // A line of the field's own format, whatever it holds now: an input may be
    // empty when it is made and get its text later.
    scene::TextField probe;
    probe.setDefaultTextFormat(field.defaultTextFormat());
    probe.setText("Xg");
    const double line = std::max(probe.textHeight(), field.textHeight());
    // 2 pixels of gutter above and below the laid-out text.
    return std::max(nominal, std::ceil(line) + 4);
}
