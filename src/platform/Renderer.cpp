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

namespace {
// True when every pixel of a 32-bit surface with alpha is transparent.
bool isBlank(SDL_Surface* s) {
    if (s->format->BytesPerPixel != 4 || s->format->Amask == 0) return false;
    bool blank = true;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h && blank; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w && blank; ++x) blank = (row[x] & s->format->Amask) == 0;
    }
    SDL_UnlockSurface(s);
    return blank;
}
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
    dropStretched();
    askedW_ = askedH_ = askedTimes_ = 0;
    if (texture_ && generation_ == currentGeneration && currentRenderer) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    generation_ = 0;
    width_ = height_ = 0;
    blank_ = false;
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
    blank_ = isBlank(surface);
    return true;
}

void Texture::dropStretched() const {
    if (stretched_ && generation_ == currentGeneration && currentRenderer) SDL_DestroyTexture(stretched_);
    stretched_ = nullptr;
    stretchedW_ = stretchedH_ = 0;
}

SDL_Texture* Texture::stretchedTo(SDL_Renderer* renderer, int w, int h) const {
    if (!valid() || w <= 0 || h <= 0) return nullptr;
    if (stretched_ && stretchedW_ == w && stretchedH_ == h) return stretched_;
    if (askedW_ == w && askedH_ == h) {
        askedTimes_ = std::min(askedTimes_ + 1, COPY_AFTER);
    } else {
        askedW_ = w;
        askedH_ = h;
        askedTimes_ = 1;
    }
    if (askedTimes_ < COPY_AFTER) return nullptr;
    dropStretched();
    SDL_Texture* copy = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!copy) return nullptr;
    // Stretched by the renderer itself, with the texture's own filter, into a
    // cleared copy: the same pixels a stretched draw would blend. Every draw
    // sets its own tint and alpha, so only the blend mode is put back.
    SDL_Texture* target = SDL_GetRenderTarget(renderer);
    SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
    SDL_GetTextureBlendMode(texture_, &mode);
    bool made = SDL_SetRenderTarget(renderer, copy) == 0;
    if (made) {
        SDL_SetTextureAlphaMod(texture_, 255);
        SDL_SetTextureColorMod(texture_, 255, 255, 255);
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        made = SDL_RenderCopy(renderer, texture_, nullptr, nullptr) == 0;
        SDL_SetTextureBlendMode(texture_, mode);
    }
    SDL_SetRenderTarget(renderer, target);
    if (!made) {
        SDL_DestroyTexture(copy);
        return nullptr;
    }
    SDL_SetTextureBlendMode(copy, mode);
    stretched_ = copy;
    stretchedW_ = w;
    stretchedH_ = h;
    return stretched_;
}

bool Texture::update(SDL_Surface* surface) {
    if (!valid() || !surface || surface->w != width_ || surface->h != height_) return false;
    dropStretched();
    blank_ = isBlank(surface);
    return SDL_UpdateTexture(texture_, nullptr, surface->pixels, surface->pitch) == 0;
}

Renderer::Renderer(SDL_Renderer* renderer)
    : renderer_(renderer),
      previous_(currentRenderer),
      previousGeneration_(currentGeneration),
      memo_(std::make_unique<RasterMemo>()) {
    currentRenderer = this;
    currentGeneration = nextGeneration++;
    SDL_RendererInfo info{};
    software_ = renderer && SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
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

SurfacePtr Renderer::drawApart(int left, int top, int w, int h, const std::function<void()>& draw) {
    if (w <= 0 || h <= 0) return nullptr;
    SDL_Texture* apart = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!apart) return nullptr;
    SDL_Texture* target = SDL_GetRenderTarget(renderer_);
    SurfacePtr out;
    if (SDL_SetRenderTarget(renderer_, apart) == 0) {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 0);
        SDL_RenderClear(renderer_);
        // Drawn apart, not into the frame: nothing of it is part of the frame's list.
        std::vector<DrawCall>* const recorded = recording;
        recording = nullptr;
        const double ox = viewOx_, oy = viewOy_;
        viewOx_ -= left;
        viewOy_ -= top;
        draw();
        viewOx_ = ox;
        viewOy_ = oy;
        recording = recorded;
        out = makeSurface(w, h);
        if (out && SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, out->pixels, out->pitch) != 0) {
            out.reset();
        }
    }
    SDL_SetRenderTarget(renderer_, target);
    SDL_DestroyTexture(apart);
    if (!out) return out;
    // Blending onto a transparent picture leaves colours multiplied by their
    // alpha; the picture is blended again later, so they are divided back.
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
        for (int x = 0; x < w; ++x) {
            const Uint32 p = row[x], a = p >> 24;
            if (a == 0 || a == 255) continue;
            auto ch = [&](int shift) { return std::min<Uint32>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a) << shift; };
            row[x] = (a << 24) | ch(16) | ch(8) | ch(0);
        }
    }
    return out;
}

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
    if (!t || alpha <= 0 || tex.blank()) return;
    const int a = static_cast<int>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255.0));
    if (a == 0) return;
    SDL_FRect d{static_cast<float>(dest.x * viewSx_ + viewOx_), static_cast<float>(dest.y * viewSy_ + viewOy_),
                static_cast<float>(dest.width * viewSx_), static_cast<float>(dest.height * viewSy_)};
    if (pixelAligned) {
        const float left = std::round(d.x), top = std::round(d.y);
        d = {left, top, std::round(d.x + d.w) - left, std::round(d.y + d.h) - top};
    }
    SDL_Rect s{};
    if (source) {
        s = {static_cast<int>(source->x), static_cast<int>(source->y), static_cast<int>(source->width),
             static_cast<int>(source->height)};
    } else if (software_) {
        // The software renderer sizes a copy by truncating, and stretching
        // while it blends costs it three times a plain copy: a whole picture
        // drawn at another size comes from its stretched copy of that size.
        const int w = static_cast<int>(d.w), h = static_cast<int>(d.h);
        if (w != tex.width() || h != tex.height()) {
            if (SDL_Texture* stretched = tex.stretchedTo(renderer_, w, h)) {
                t = stretched;
                d.w = static_cast<float>(w);
                d.h = static_cast<float>(h);
            }
        }
    }
    SDL_SetTextureAlphaMod(t, static_cast<Uint8>(a));
    SDL_SetTextureColorMod(t, (tint >> 16) & 0xFF, (tint >> 8) & 0xFF, tint & 0xFF);
    if (recording) recording->push_back({DrawCall::Copy, static_cast<std::uint8_t>(a), tint, t, s.x, s.y, s.w, s.h, d.x, d.y, d.w, d.h});
    SDL_RenderCopyF(renderer_, t, source ? &s : nullptr, &d);
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
