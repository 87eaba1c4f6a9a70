#include "platform/RasterContent.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace scene::detail {

namespace {

// One pass of a box blur of the given radius along rows (step 1) or columns.
void boxBlur(std::vector<float>& a, std::vector<float>& tmp, int w, int h, int radius, bool horizontal) {
    if (radius <= 0) return;
    const int lines = horizontal ? h : w;
    const int len = horizontal ? w : h;
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    tmp.assign(a.size(), 0.0f);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> float& { return horizontal ? a[l * w + i] : a[i * w + l]; };
        auto out = [&](int i) -> float& { return horizontal ? tmp[l * w + i] : tmp[i * w + l]; };
        float sum = 0;
        for (int i = -radius; i <= radius; ++i) sum += (i >= 0 && i < len) ? at(i) : 0.0f;
        for (int i = 0; i < len; ++i) {
            out(i) = sum * norm;
            const int add = i + radius + 1, drop = i - radius;
            if (add < len) sum += at(add);
            if (drop >= 0) sum -= at(drop);
        }
    }
    a.swap(tmp);
}

}  // namespace

SurfacePtr makeGlow(SDL_Surface* src, const GlowFilter& f, int& padX, int& padY) {
    const int quality = std::clamp(f.quality, 1, 15);
    const int rx = static_cast<int>(std::floor(std::max(0.0, f.blurX) / 2.0));
    const int ry = static_cast<int>(std::floor(std::max(0.0, f.blurY) / 2.0));
    padX = f.inner ? 0 : rx * quality + 1;
    padY = f.inner ? 0 : ry * quality + 1;
    const int sw = src->w, sh = src->h;
    const int w = sw + 2 * padX, h = sh + 2 * padY;
    std::vector<float> a(static_cast<std::size_t>(w) * h, 0.0f), tmp;
    std::vector<float> srcA(static_cast<std::size_t>(w) * h, 0.0f);
    SDL_LockSurface(src);
    for (int y = 0; y < sh; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(src->pixels) + y * src->pitch);
        for (int x = 0; x < sw; ++x) {
            const float alpha = static_cast<float>(row[x] >> 24) / 255.0f;
            srcA[(y + padY) * w + x + padX] = alpha;
        }
    }
    SDL_UnlockSurface(src);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = f.inner ? 1.0f - srcA[i] : srcA[i];
    for (int q = 0; q < quality; ++q) {
        boxBlur(a, tmp, w, h, rx, true);
        boxBlur(a, tmp, w, h, ry, false);
    }
    SurfacePtr out = makeSurface(w, h);
    if (!out) return out;
    const Uint32 rgb = f.color & 0xFFFFFF;
    SDL_LockSurface(out.get());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            float g = std::min(1.0f, a[i] * static_cast<float>(f.strength));
            if (f.inner) g *= srcA[i];
            else if (f.knockout) g *= 1.0f - srcA[i];
            g *= static_cast<float>(std::clamp(f.alpha, 0.0, 1.0));
            const Uint32 alpha = static_cast<Uint32>(std::lround(std::clamp(g, 0.0f, 1.0f) * 255.0f));
            row[x] = (alpha << 24) | rgb;
        }
    }
    SDL_UnlockSurface(out.get());
    Renderer::countRaster();
    return out;
}

void RasterContent::setSurface(SurfacePtr surface, double scale) {
    surface_ = std::move(surface);
    scale_ = scale;
    texture_.reset();
    glowsDirty_ = true;
}

void RasterContent::setFilters(const std::vector<GlowFilter>& filters) {
    if (filters == filters_) return;
    filters_ = filters;
    glowsDirty_ = true;
}

void RasterContent::rebuildGlows(SDL_Surface* src) {
    glowSurfaces_.clear();
    glowTextures_.clear();
    padX_.clear();
    padY_.clear();
    glowSource_ = src;
    glowsDirty_ = false;
    if (!src) return;
    glowTextures_ = std::vector<Texture>(filters_.size());
    for (GlowFilter f : filters_) {
        // The blur is given in stage pixels; the picture may have more.
        f.blurX *= scale_;
        f.blurY *= scale_;
        int px = 0, py = 0;
        glowSurfaces_.push_back(makeGlow(src, f, px, py));
        padX_.push_back(px);
        padY_.push_back(py);
    }
}

void RasterContent::draw(Renderer& r, const Rect& dest, double alpha, const Texture* borrowed,
                         SDL_Surface* borrowedSurface, const Rect* source) {
    SDL_Surface* src = borrowed ? borrowedSurface : surface_.get();
    if (!src) return;
    if (!borrowed && !texture_.valid()) texture_.upload(src);
    if (glowsDirty_ || glowSource_ != src) rebuildGlows(src);
    const Texture& content = borrowed ? *borrowed : texture_;
    const double sx = src->w > 0 ? dest.width / src->w : 1;
    const double sy = src->h > 0 ? dest.height / src->h : 1;
    bool knockout = false;
    auto drawGlow = [&](std::size_t i) {
        if (!glowSurfaces_[i]) return;
        if (!glowTextures_[i].valid()) glowTextures_[i].upload(glowSurfaces_[i].get());
        const double px = padX_[i] * sx, py = padY_[i] * sy;
        if (source) {
            // Clipped content (a scrolled input field): clip the glow the same way.
            Rect s{source->x, source->y, source->width + 2.0 * padX_[i], source->height + 2.0 * padY_[i]};
            Rect d{dest.x - px, dest.y - py, source->width * sx + 2 * px, source->height * sy + 2 * py};
            r.drawTexture(glowTextures_[i], d, alpha, &s, 0xFFFFFF, pixelAligned_);
        } else {
            r.drawTexture(glowTextures_[i], {dest.x - px, dest.y - py, dest.width + 2 * px, dest.height + 2 * py},
                          alpha, nullptr, 0xFFFFFF, pixelAligned_);
        }
    };
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        knockout = knockout || filters_[i].knockout;
        if (!filters_[i].inner) drawGlow(i);
    }
    if (!knockout) {
        if (source) {
            r.drawTexture(content, {dest.x, dest.y, source->width * sx, source->height * sy}, alpha, source, 0xFFFFFF,
                          pixelAligned_);
        } else {
            r.drawTexture(content, dest, alpha, nullptr, 0xFFFFFF, pixelAligned_);
        }
    }
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        if (filters_[i].inner) drawGlow(i);
    }
}

}  // namespace scene::detail
