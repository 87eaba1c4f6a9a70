#pragma once

// Private to the display layer: the SDL renderer the stage draws with, and
// textures that know which renderer made them.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Geometry.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;

namespace scene::detail {

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const;
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct SdlRendererDeleter {
    void operator()(SDL_Renderer* r) const;
};
using SdlRendererPtr = std::unique_ptr<SDL_Renderer, SdlRendererDeleter>;

// A 32-bit ARGB surface with straight (not premultiplied) alpha, cleared to transparent.
SurfacePtr makeSurface(int width, int height);

// A texture created from a surface by the current renderer. It is released
// with that renderer: once the renderer is gone the handle only forgets it.
class Texture {
public:
    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    bool valid() const;
    void reset();
    bool upload(SDL_Surface* surface);
    // Replaces the pixels of a texture made by upload with a surface's of the same size.
    bool update(SDL_Surface* surface);
    SDL_Texture* get() const { return valid() ? texture_ : nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Every pixel transparent (a cover that only takes the pointer): drawing it changes nothing.
    bool blank() const { return blank_; }

    // The texture stretched to w x h once, for a software renderer: a picture
    // drawn at the same other size frame after frame (an icon, a panel) is
    // then copied one to one. Made once that size has been asked for
    // COPY_AFTER times in a row, so a picture whose size animates (an icon
    // shrinking a pixel every few frames) makes no copies; null until then,
    // or when it cannot be made.
    SDL_Texture* stretchedTo(SDL_Renderer* renderer, int w, int h) const;
    static constexpr int COPY_AFTER = 8;

private:
    void dropStretched() const;

    SDL_Texture* texture_ = nullptr;
    std::uint64_t generation_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool blank_ = false;
    // One stretched copy, of the last size asked for COPY_AFTER times in a row.
    mutable SDL_Texture* stretched_ = nullptr;
    mutable int stretchedW_ = 0;
    mutable int stretchedH_ = 0;
    mutable int askedW_ = 0;
    mutable int askedH_ = 0;
    mutable int askedTimes_ = 0;
};

// One drawing call as the renderer made it to SDL: a clear, a texture copy
// (the whole texture when sw is 0) or a filled rectangle, in output pixels.
struct DrawCall {
    enum Kind : std::uint8_t { Clear, Copy, Fill } kind;
    std::uint8_t alpha;
    std::uint32_t rgb;  // the clear or fill colour, or the copy's tint
    SDL_Texture* texture;
    int sx, sy, sw, sh;
    float x, y, w, h;
};

class RasterMemo;

// Draws into one SDL renderer. Only one exists at a time; the stage's owner
// (window or headless runner) creates it.
class Renderer {
public:
    explicit Renderer(SDL_Renderer* renderer);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    static Renderer* current();
    static std::uint64_t generation();

    SDL_Renderer* sdl() const { return renderer_; }

    // Extra scale and offset (output pixels) applied to everything: the stage's place in the window.
    void setViewScale(double sx, double sy, double ox = 0, double oy = 0) {
        viewSx_ = sx;
        viewSy_ = sy;
        viewOx_ = ox;
        viewOy_ = oy;
        rasterScale_ = rasterScaleFor(sx, sy);
    }
    // Output pixels per stage pixel that text is rasterised at, so that a
    // scaled-up window shows it sharp; 1 for an unscaled stage.
    double rasterScale() const { return rasterScale_; }
    // The raster scale for a view scale: never below 1 (a small window shows
    // the 1:1 picture reduced), at most 4, in steps of 1/64 so that a window
    // dragged by a pixel does not rasterise every text again.
    static double rasterScaleFor(double sx, double sy);

    double viewScaleX() const { return viewSx_; }
    double viewScaleY() const { return viewSy_; }
    double viewOffsetX() const { return viewOx_; }
    double viewOffsetY() const { return viewOy_; }

    // Runs draw with its output going into a transparent picture of w x h
    // output pixels whose top left is the output pixel (left, top), and gives
    // that picture back with straight alpha; null when it cannot be made.
    SurfacePtr drawApart(int left, int top, int w, int h, const std::function<void()>& draw);

    void clear(std::uint32_t rgb);
    // Draws the texture (or a part of it) into a rectangle in stage coordinates.
    // With pixelAligned the rectangle's edges land on whole output pixels, so a
    // picture rasterised at the output scale is copied one to one, unblurred.
    void drawTexture(const Texture& tex, const Rect& dest, double alpha, const Rect* source = nullptr,
                     std::uint32_t tint = 0xFFFFFF, bool pixelAligned = false);
    void fillRect(const Rect& dest, std::uint32_t rgb, double alpha);

    // Number of text or shape rasterisations since the counter was last reset.
    static int rasterCount();
    static void countRaster();
    static void resetRasterCount();

    // Pictures of texts and shapes by content, shared by every object that shows one.
    RasterMemo& memo() { return *memo_; }

    // From now on every call to SDL is also appended to calls; null stops.
    // What a frame drew, for measuring it against SDL alone.
    static void record(std::vector<DrawCall>* calls);

private:
    SDL_Renderer* renderer_;
    bool software_ = false;  // scaled copies cost more than plain ones
    Renderer* previous_;
    std::uint64_t previousGeneration_;
    double viewSx_ = 1;
    double viewSy_ = 1;
    double viewOx_ = 0;
    double viewOy_ = 0;
    double rasterScale_ = 1;
    std::unique_ptr<RasterMemo> memo_;
};

}  // namespace scene::detail
