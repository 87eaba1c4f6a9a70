#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/GlowFilter.h"

namespace scene {

namespace detail {
class RasterContent;
class Renderer;
}  // namespace detail

// Filled rectangles and rounded rectangles drawn beneath a sprite's children.
// Rasterised with anti-aliasing once per change, at the output scale.
class Graphics {
public:
    Graphics();
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    void beginFill(std::uint32_t color, double alpha = 1.0);
    void drawRect(double x, double y, double width, double height);
    // ellipseWidth is the corner's diameter, as in the classic API.
    void drawRoundRect(double x, double y, double width, double height, double ellipseWidth,
                       double ellipseHeight = -1);
    void endFill();
    void clear();

    Rect bounds() const;
    bool hits(double x, double y) const;
    bool empty() const { return shapes_.empty(); }

    void render(detail::Renderer& r, const Transform& t, const std::vector<GlowFilter>& filters);
    void prepare(detail::Renderer& r, const std::vector<GlowFilter>& filters);

private:
    struct Shape {
        Rect rect;
        double rx;
        double ry;
        std::uint32_t color;
        double alpha;
    };
    // Rasterises the shapes at the renderer's output scale, or takes the same
    // picture made before for any shape.
    void rasterise(detail::Renderer& r, bool ahead = false);

    std::vector<Shape> shapes_;
    bool filling_ = false;
    std::uint32_t fillColor_ = 0;
    double fillAlpha_ = 1;
    bool dirty_ = true;
    Rect rasterBounds_;
    std::unique_ptr<detail::RasterContent> raster_;
};

}  // namespace scene
