#include "platform/Bitmap.h"

#include "platform/RasterContent.h"

namespace scene {

Bitmap::Bitmap(std::shared_ptr<BitmapData> data, bool smoothing) : data_(std::move(data)), smoothing_(smoothing) {}
Bitmap::~Bitmap() = default;

Rect Bitmap::localBounds() const {
    if (!data_) return {};
    return {0, 0, static_cast<double>(data_->width()), static_cast<double>(data_->height())};
}

void Bitmap::render(detail::Renderer& r, const Transform& pt) {
    if (!visible() || !data_ || alpha() <= 0) return;
    const double a = pt.alpha * alpha();
    const Rect dest{pt.tx + x() * pt.sx, pt.ty + y() * pt.sy, data_->width() * pt.sx * scaleX(),
                    data_->height() * pt.sy * scaleY()};
    if (filters().empty()) {
        r.drawTexture(data_->texture(), dest, a);
        return;
    }
    if (!glow_) glow_ = std::make_unique<detail::RasterContent>();
    glow_->setFilters(filters());
    glow_->draw(r, dest, a, &data_->texture(), data_->surface());
}

}  // namespace scene
