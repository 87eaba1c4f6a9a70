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

Raster::Glow& Raster::glow(SDL_Surface* src, const GlowFilter& f) {
    for (auto& g : glows) {
        if (g.filter == f) return g;
    }
    Glow& g = glows.emplace_back();
    g.filter = f;
    g.surface = makeGlow(src, f, g.padX, g.padY);
    return g;
}

RasterContent::RasterContent() : raster_(std::make_shared<Raster>()) {}

void RasterContent::setSurface(SurfacePtr surface, double scale) {
    raster_ = std::make_shared<Raster>();
    raster_->surface = std::move(surface);
    raster_->scale = scale;
    if (raster_->surface) {
        raster_->fullWidth = raster_->surface->w;
        raster_->fullHeight = raster_->surface->h;
    }
}

void RasterContent::cropToInk() {
    SDL_Surface* s = raster_->surface.get();
    if (!s) return;
    int x0 = s->w, y0 = s->h, x1 = -1, y1 = -1;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) {
            if ((row[x] >> 24) == 0) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = y;
        }
    }
    SDL_UnlockSurface(s);
    if (x1 < 0 || (x0 == 0 && y0 == 0 && x1 == s->w - 1 && y1 == s->h - 1)) return;
    SurfacePtr inked = makeSurface(x1 - x0 + 1, y1 - y0 + 1);
    if (!inked) return;
    SDL_Rect from{x0, y0, inked->w, inked->h};
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(s, &from, inked.get(), nullptr);
    raster_->surface = std::move(inked);
    raster_->left = x0;
    raster_->top = y0;
}

void RasterContent::share(std::shared_ptr<Raster> raster) {
    if (raster) raster_ = std::move(raster);
}

void RasterContent::setFilters(const std::vector<GlowFilter>& filters) {
    if (filters != filters_) filters_ = filters;
}

Raster::Glow& RasterContent::glow(SDL_Surface* src, std::size_t i) {
    // The blur is given in stage pixels; the picture may have more.
    GlowFilter f = filters_[i];
    f.blurX *= raster_->scale;
    f.blurY *= raster_->scale;
    return raster_->glow(src, f);
}

void RasterContent::prepare() {
    SDL_Surface* src = raster_->surface.get();
    if (!src) return;
    if (!raster_->texture.valid()) raster_->texture.upload(src);
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        Raster::Glow& g = glow(src, i);
        if (g.surface && !g.texture.valid()) g.texture.upload(g.surface.get());
    }
}

void RasterContent::draw(Renderer& r, const Rect& dest, double alpha, const Texture* borrowed,
                         SDL_Surface* borrowedSurface, const Rect* source, Part part) {
    SDL_Surface* src = borrowed ? borrowedSurface : raster_->surface.get();
    if (!src) return;
    if (borrowed && glowSource_ != src) {
        raster_->glows.clear();  // a borrowed picture that changed
        glowSource_ = src;
    }
    if (!borrowed && !raster_->texture.valid()) raster_->texture.upload(src);
    const Texture& content = borrowed ? *borrowed : raster_->texture;
    const int fullW = borrowed ? src->w : raster_->fullWidth, fullH = borrowed ? src->h : raster_->fullHeight;
    const double sx = fullW > 0 ? dest.width / fullW : 1;
    const double sy = fullH > 0 ? dest.height / fullH : 1;
    if (!borrowed && (raster_->left || raster_->top || fullW != src->w || fullH != src->h)) {
        // A cropped picture (never drawn clipped): its inked part where it sits in the whole.
        return drawInked(r, {dest.x + raster_->left * sx, dest.y + raster_->top * sy, src->w * sx, src->h * sy}, alpha,
                         content, src, sx, sy, nullptr, part);
    }
    drawInked(r, dest, alpha, content, src, sx, sy, source, part);
}

void RasterContent::drawPart(Renderer& r, const Rect& dest, double alpha, Part part) {
    draw(r, dest, alpha, nullptr, nullptr, nullptr, part);
}

void RasterContent::drawInked(Renderer& r, const Rect& dest, double alpha, const Texture& content, SDL_Surface* src,
                              double sx, double sy, const Rect* source, Part part) {
    bool knockout = false;
    auto drawGlow = [&](std::size_t i) {
        Raster::Glow& g = glow(src, i);
        if (!g.surface) return;
        if (!g.texture.valid()) g.texture.upload(g.surface.get());
        const double px = g.padX * sx, py = g.padY * sy;
        if (source) {
            // Clipped content (a scrolled input field): clip the glow the same way.
            Rect s{source->x, source->y, source->width + 2.0 * g.padX, source->height + 2.0 * g.padY};
            Rect d{dest.x - px, dest.y - py, source->width * sx + 2 * px, source->height * sy + 2 * py};
            r.drawTexture(g.texture, d, alpha, &s, 0xFFFFFF, pixelAligned_);
        } else {
            r.drawTexture(g.texture, {dest.x - px, dest.y - py, dest.width + 2 * px, dest.height + 2 * py}, alpha,
                          nullptr, 0xFFFFFF, pixelAligned_);
        }
    };
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        knockout = knockout || filters_[i].knockout;
        if (!filters_[i].inner && part != Part::Content) drawGlow(i);
    }
    if (part == Part::OuterGlows) return;
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

std::shared_ptr<Raster> RasterMemo::find(const std::string& key) {
    const auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return it->second->second;
}

namespace {
std::size_t pixelBytes(const Raster& r) { return r.surface ? static_cast<std::size_t>(r.surface->pitch) * r.surface->h : 0; }
}  // namespace

void RasterMemo::clear() {
    entries_.clear();
    order_.clear();
    seen_.clear();
    bytes_ = 0;
}

void RasterMemo::offer(const std::string& key, const std::shared_ptr<Raster>& raster, bool ahead) {
    const auto it = std::find(seen_.begin(), seen_.end(), key);
    if (ahead || it != seen_.end()) {
        if (it != seen_.end()) seen_.erase(it);
        keep(key, raster);
        return;
    }
    seen_.push_front(key);
    if (seen_.size() > 256) seen_.pop_back();
}

void RasterMemo::keep(const std::string& key, std::shared_ptr<Raster> raster) {
    if (!raster || entries_.count(key)) return;
    bytes_ += pixelBytes(*raster);
    order_.emplace_front(key, std::move(raster));
    entries_[key] = order_.begin();
    while (bytes_ > budget_ && order_.size() > 1) {
        bytes_ -= pixelBytes(*order_.back().second);
        entries_.erase(order_.back().first);
        order_.pop_back();
    }
}

}  // namespace scene::detail
