#include "platform/Graphics.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/RasterContent.h"

namespace scene {

Graphics::Graphics() : raster_(std::make_unique<detail::RasterContent>()) {}
Graphics::~Graphics() = default;

void Graphics::beginFill(std::uint32_t color, double alpha) {
    filling_ = true;
    fillColor_ = color & 0xFFFFFF;
    fillAlpha_ = std::clamp(alpha, 0.0, 1.0);
}

void Graphics::drawRect(double x, double y, double width, double height) { drawRoundRect(x, y, width, height, 0, 0); }

void Graphics::drawRoundRect(double x, double y, double width, double height, double ellipseWidth,
                             double ellipseHeight) {
    if (!filling_) return;
    if (ellipseHeight < 0) ellipseHeight = ellipseWidth;
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
    const double rx = std::clamp(ellipseWidth / 2.0, 0.0, width / 2.0);
    const double ry = std::clamp(ellipseHeight / 2.0, 0.0, height / 2.0);
    shapes_.push_back({{x, y, width, height}, rx, ry, fillColor_, fillAlpha_});
    dirty_ = true;
}

void Graphics::endFill() { filling_ = false; }

void Graphics::clear() {
    if (shapes_.empty()) return;
    shapes_.clear();
    filling_ = false;
    dirty_ = true;
}

Rect Graphics::bounds() const {
    Rect r;
    for (const auto& s : shapes_) r = r.united(s.rect);
    return r;
}

bool Graphics::hits(double x, double y) const {
    return std::any_of(shapes_.begin(), shapes_.end(), [&](const Shape& s) { return s.rect.contains(x, y); });
}

namespace {

// Coverage of a pixel centre by a rounded rectangle, with a one-pixel soft edge.
double coverage(double px, double py, const Rect& r, double rx, double ry) {
    const double cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    const double dx = std::abs(px - cx) - (r.width / 2 - rx);
    const double dy = std::abs(py - cy) - (r.height / 2 - ry);
    double dist;
    if (rx > 0 && ry > 0 && dx > 0 && dy > 0) {
        // Inside the corner: distance to the ellipse, approximated by scaling to a circle.
        const double nx = dx / rx, ny = dy / ry;
        const double len = std::sqrt(nx * nx + ny * ny);
        dist = (len - 1.0) * std::min(rx, ry);
    } else {
        const double ex = std::abs(px - cx) - r.width / 2;
        const double ey = std::abs(py - cy) - r.height / 2;
        dist = std::max(ex, ey);
    }
    return std::clamp(0.5 - dist, 0.0, 1.0);
}

}  // namespace

void Graphics::rasterise(detail::Renderer& renderer, bool ahead) {
    dirty_ = false;
    const double scale = renderer.rasterScale();
    const Rect b = bounds();
    if (b.empty()) {
        raster_->setSurface(nullptr, scale);
        rasterBounds_ = {};
        return;
    }
    std::string key = "shapes";
    detail::appendKeyBytes(key, scale);
    for (const auto& s : shapes_) {
        for (double v : {s.rect.x, s.rect.y, s.rect.width, s.rect.height, s.rx, s.ry, s.alpha}) detail::appendKeyBytes(key, v);
        detail::appendKeyBytes(key, s.color);
    }
    // Worked out in output pixels: the shapes scaled, the picture on whole pixels.
    std::vector<Shape> shapes = shapes_;
    for (auto& s : shapes) {
        s.rect = {s.rect.x * scale, s.rect.y * scale, s.rect.width * scale, s.rect.height * scale};
        s.rx *= scale;
        s.ry *= scale;
    }
    const double left = std::floor(b.x * scale), top = std::floor(b.y * scale);
    const int w = static_cast<int>(std::ceil((b.x + b.width) * scale) - left);
    const int h = static_cast<int>(std::ceil((b.y + b.height) * scale) - top);
    rasterBounds_ = {left / scale, top / scale, w / scale, h / scale};
    if (auto made = renderer.memo().find(key)) {
        raster_->share(std::move(made));
        return;
    }
    auto surface = detail::makeSurface(w, h);
    if (!surface) return;
    SDL_LockSurface(surface.get());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < w; ++x) {
            double a = 0, r = 0, g = 0, bl = 0;  // straight-alpha "over" composite
            for (const auto& s : shapes) {
                const double c = coverage(left + x + 0.5, top + y + 0.5, s.rect, s.rx, s.ry) * s.alpha;
                if (c <= 0) continue;
                const double outA = c + a * (1 - c);
                const double sr = (s.color >> 16) & 0xFF, sg = (s.color >> 8) & 0xFF, sb = s.color & 0xFF;
                r = (sr * c + r * a * (1 - c)) / outA;
                g = (sg * c + g * a * (1 - c)) / outA;
                bl = (sb * c + bl * a * (1 - c)) / outA;
                a = outA;
            }
            if (a <= 0) continue;
            row[x] = (static_cast<Uint32>(std::lround(a * 255)) << 24) | (static_cast<Uint32>(std::lround(r)) << 16) |
                     (static_cast<Uint32>(std::lround(g)) << 8) | static_cast<Uint32>(std::lround(bl));
        }
    }
    SDL_UnlockSurface(surface.get());
    detail::Renderer::countRaster();
    raster_->setSurface(std::move(surface), scale);
    renderer.memo().offer(key, raster_->raster(), ahead);
}

void Graphics::render(detail::Renderer& r, const Transform& t, const std::vector<GlowFilter>& filters) {
    if (shapes_.empty()) return;
    if (dirty_ || r.rasterScale() != raster_->scale()) rasterise(r);
    raster_->setFilters(filters);
    const Rect dest{t.tx + rasterBounds_.x * t.sx, t.ty + rasterBounds_.y * t.sy, rasterBounds_.width * t.sx,
                    rasterBounds_.height * t.sy};
    raster_->draw(r, dest, t.alpha);
}

void Graphics::prepare(detail::Renderer& r, const std::vector<GlowFilter>& filters) {
    if (shapes_.empty()) return;
    if (dirty_ || r.rasterScale() != raster_->scale()) rasterise(r, true);
    raster_->setFilters(filters);
    raster_->prepare();
}

}  // namespace scene
