#pragma once

#include <memory>

#include "platform/BitmapData.h"
#include "platform/DisplayObject.h"

namespace scene {

namespace detail {
class RasterContent;
}

// Shows one BitmapData. Not interactive: a hit on it goes to its container.
class Bitmap : public DisplayObject {
public:
    explicit Bitmap(std::shared_ptr<BitmapData> data = nullptr, bool smoothing = true);
    ~Bitmap() override;

    const std::shared_ptr<BitmapData>& bitmapData() const { return data_; }
    void setBitmapData(std::shared_ptr<BitmapData> data) { data_ = std::move(data); }
    bool smoothing() const { return smoothing_; }
    void setSmoothing(bool s) { smoothing_ = s; }

    Rect localBounds() const override;
    bool interactive() const override { return false; }
    void render(detail::Renderer& renderer, const Transform& parentTransform) override;

private:
    std::shared_ptr<BitmapData> data_;
    bool smoothing_;
    std::unique_ptr<detail::RasterContent> glow_;
};

}  // namespace scene
