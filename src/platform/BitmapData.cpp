#include "platform/BitmapData.h"

#include <SDL.h>
#include <SDL_image.h>

#include "platform/Renderer.h"
#include "platform/Runtime.h"

namespace scene {

struct BitmapData::Impl {
    // The decoder's surface whose pixels surface shows, when it was turned in
    // place; declared first, so freed last.
    detail::SurfacePtr pixelsOwner;
    detail::SurfacePtr surface;
    detail::Texture texture;
};

BitmapData::BitmapData(int width, int height, bool transparent, std::uint32_t fillColor) : impl_(new Impl) {
    impl_->surface = detail::makeSurface(width, height);
    if (impl_->surface) {
        const std::uint32_t c = transparent ? fillColor : (fillColor | 0xFF000000u);
        SDL_FillRect(impl_->surface.get(), nullptr, c);
    }
}

BitmapData::BitmapData(SDL_Surface* adopted) : impl_(new Impl) { impl_->surface.reset(adopted); }

BitmapData::~BitmapData() = default;

std::shared_ptr<BitmapData> BitmapData::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    detail::ensureImageLibrary();
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) return nullptr;
    detail::SurfacePtr decoded(IMG_Load_RW(rw, 1));
    if (!decoded) return nullptr;
    if (decoded->format->format == SDL_PIXELFORMAT_ABGR8888 && !SDL_MUSTLOCK(decoded.get())) {
        // Pictures with alpha come as RGBA bytes: swapping red and blue in
        // place spares a second picture-sized buffer and copy for each.
        for (int y = 0; y < decoded->h; ++y) {
            auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(decoded->pixels) + y * decoded->pitch);
            for (int x = 0; x < decoded->w; ++x) {
                const Uint32 p = row[x];
                row[x] = (p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu);
            }
        }
        SDL_Surface* argb = SDL_CreateRGBSurfaceWithFormatFrom(decoded->pixels, decoded->w, decoded->h, 32,
                                                               decoded->pitch, SDL_PIXELFORMAT_ARGB8888);
        if (!argb) return nullptr;
        SDL_SetSurfaceBlendMode(argb, SDL_BLENDMODE_BLEND);
        std::shared_ptr<BitmapData> data(new BitmapData(argb));
        data->impl_->pixelsOwner = std::move(decoded);
        return data;
    }
    detail::SurfacePtr argb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) return nullptr;
    SDL_SetSurfaceBlendMode(argb.get(), SDL_BLENDMODE_BLEND);
    return std::shared_ptr<BitmapData>(new BitmapData(argb.release()));
}

int BitmapData::width() const { return impl_->surface ? impl_->surface->w : 0; }
int BitmapData::height() const { return impl_->surface ? impl_->surface->h : 0; }

std::uint32_t BitmapData::getPixel32(int x, int y) const {
    SDL_Surface* s = impl_->surface.get();
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h) return 0;
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
    return row[x];
}

SDL_Surface* BitmapData::surface() const { return impl_->surface.get(); }

const detail::Texture& BitmapData::texture() const {
    if (!impl_->texture.valid() && impl_->surface) impl_->texture.upload(impl_->surface.get());
    return impl_->texture;
}

}  // namespace scene
