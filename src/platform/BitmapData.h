#pragma once

#include <cstdint>
#include <memory>
#include <span>

struct SDL_Surface;

namespace scene {

namespace detail {
class Texture;
struct SurfaceDeleter;
}  // namespace detail

// Decoded pixels, shared by any number of bitmaps. Decoded once; its texture
// is made on first draw.
class BitmapData {
public:
    // A width x height picture filled with one ARGB colour (transparent when
    // the alpha byte is 0 and transparent is true).
    BitmapData(int width, int height, bool transparent = true, std::uint32_t fillColor = 0xFFFFFFFF);
    ~BitmapData();
    BitmapData(const BitmapData&) = delete;
    BitmapData& operator=(const BitmapData&) = delete;

    // Decodes PNG (or any image SDL_image reads) bytes; null when they are not an image.
    static std::shared_ptr<BitmapData> fromBytes(std::span<const std::uint8_t> bytes);

    int width() const;
    int height() const;
    // 0xAARRGGBB of one pixel; 0 outside the picture.
    std::uint32_t getPixel32(int x, int y) const;

    SDL_Surface* surface() const;
    const detail::Texture& texture() const;

private:
    explicit BitmapData(SDL_Surface* adopted);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace scene
