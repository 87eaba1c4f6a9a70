#include "platform/Renderer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/RasterContent.h"

namespace scene::detail {

namespace {
Renderer* currentRenderer = nullptr;
std::uint64_t currentGeneration = 0;
std::uint64_t nextGeneration = 1;
int rasterisations = 0;
std::vector<DrawCall>* recording = nullptr;
}  // namespace

void SurfaceDeleter::operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
void SdlRendererDeleter::operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }

SurfacePtr makeSurface(int width, int height) {
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, std::max(1, width), std::max(1, height), 32, SDL_PIXELFORMAT_ARGB8888));
    if (s) {
        SDL_FillRect(s.get(), nullptr, 0);
        SDL_SetSurfaceBlendMode(s.get(), SDL_BLENDMODE_BLEND);
    }
    return s;
}

Texture::~Texture() { reset(); }

bool Texture::valid() const { return texture_ && generation_ == currentGeneration && currentRenderer; }

void Texture::reset() {
    if (texture_ && generation_ == currentGeneration && currentRenderer) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    generation_ = 0;
    width_ = height_ = 0;
}

bool Texture::upload(SDL_Surface* surface) {
    reset();
    if (!currentRenderer || !surface) return false;
    texture_ = SDL_CreateTextureFromSurface(currentRenderer->sdl(), surface);
    if (!texture_) return false;
    generation_ = currentGeneration;
    width_ = surface->w;
    height_ = surface->h;
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    return true;
}

Renderer::Renderer(SDL_Renderer* renderer)
    : renderer_(renderer),
      previous_(currentRenderer),
      previousGeneration_(currentGeneration),
      memo_(std::make_unique<RasterMemo>()) {
    currentRenderer = this;
    currentGeneration = nextGeneration++;
}

Renderer::~Renderer() {
    memo_.reset();  // its textures go while this renderer is still the current one
    if (currentRenderer == this) {
        // Textures of this renderer die with it; their handles now see a stale
        // generation. An enclosing renderer (a scratch one made inside a test) takes over again.
        currentRenderer = previous_;
        currentGeneration = previousGeneration_;
    }
}

Renderer* Renderer::current() { return currentRenderer; }
std::uint64_t Renderer::generation() { return currentGeneration; }

void Renderer::clear(std::uint32_t rgb) {
    SDL_SetRenderDrawColor(renderer_, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
    SDL_RenderClear(renderer_);
    if (recording) recording->push_back({DrawCall::Clear, 255, rgb, nullptr, 0, 0, 0, 0, 0, 0, 0, 0});
}

double Renderer::rasterScaleFor(double sx, double sy) {
    const double k = std::clamp(std::max(sx, sy), 1.0, 4.0);
    return std::round(k * 64.0) / 64.0;
}

void Renderer::drawTexture(const Texture& tex, const Rect& dest, double alpha, const Rect* source, std::uint32_t tint,
                           bool pixelAligned) {
    SDL_Texture* t = tex.get();
    if (!t || alpha <= 0) return;
    const int a = static_cast<int>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255.0));
    if (a == 0) return;
    SDL_SetTextureAlphaMod(t, static_cast<Uint8>(a));
    SDL_SetTextureColorMod(t, (tint >> 16) & 0xFF, (tint >> 8) & 0xFF, tint & 0xFF);
    SDL_FRect d{static_cast<float>(dest.x * viewSx_ + viewOx_), static_cast<float>(dest.y * viewSy_ + viewOy_),
                static_cast<float>(dest.width * viewSx_), static_cast<float>(dest.height * viewSy_)};
    if (pixelAligned) {
        const float left = std::round(d.x), top = std::round(d.y);
        d = {left, top, std::round(d.x + d.w) - left, std::round(d.y + d.h) - top};
    }
    if (recording) {
        recording->push_back({DrawCall::Copy, static_cast<std::uint8_t>(a), tint, t, 0, 0, 0, 0, d.x, d.y, d.w, d.h});
        if (source) {
            recording->back().sx = static_cast<int>(source->x);
            recording->back().sy = static_cast<int>(source->y);
            recording->back().sw = static_cast<int>(source->width);
            recording->back().sh = static_cast<int>(source->height);
        }
    }
    if (source) {
        SDL_Rect s{static_cast<int>(source->x), static_cast<int>(source->y), static_cast<int>(source->width),
                   static_cast<int>(source->height)};
        SDL_RenderCopyF(renderer_, t, &s, &d);
    } else {
        SDL_RenderCopyF(renderer_, t, nullptr, &d);
    }
}

void Renderer::fillRect(const Rect& dest, std::uint32_t rgb, double alpha) {
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer_, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF,
                           static_cast<Uint8>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255.0)));
    SDL_FRect d{static_cast<float>(dest.x * viewSx_ + viewOx_), static_cast<float>(dest.y * viewSy_ + viewOy_),
                static_cast<float>(dest.width * viewSx_), static_cast<float>(dest.height * viewSy_)};
    SDL_RenderFillRectF(renderer_, &d);
    if (recording) {
        recording->push_back({DrawCall::Fill, static_cast<std::uint8_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255.0)),
                              rgb, nullptr, 0, 0, 0, 0, d.x, d.y, d.w, d.h});
    }
}

int Renderer::rasterCount() { return rasterisations; }
void Renderer::countRaster() { ++rasterisations; }
void Renderer::resetRasterCount() { rasterisations = 0; }
void Renderer::record(std::vector<DrawCall>* calls) { recording = calls; }

}  // namespace scene::detail
