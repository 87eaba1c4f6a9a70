#pragma once

// Private to the display layer: a rasterised picture (text, shape) with its
// glows, uploaded to textures lazily and rebuilt only when something changes.

#include <vector>

#include "platform/GlowFilter.h"
#include "platform/Renderer.h"

namespace scene::detail {

class RasterContent {
public:
    // Takes a new picture drawn at scale output pixels per stage pixel; its
    // textures and glows (blurred by as much more) are rebuilt on the next draw.
    void setSurface(SurfacePtr surface, double scale = 1);
    double scale() const { return scale_; }
    // Lands the picture and its glows on whole output pixels (text).
    void setPixelAligned(bool v) { pixelAligned_ = v; }
    // Borrowed picture (a shared bitmap): only its glows are built here.
    void setFilters(const std::vector<GlowFilter>& filters);
    SDL_Surface* surface() const { return surface_.get(); }

    // Draws the picture at dest (stage coordinates of its full surface) with its glows.
    void draw(Renderer& r, const Rect& dest, double alpha, const Texture* borrowed = nullptr,
              SDL_Surface* borrowedSurface = nullptr, const Rect* source = nullptr);

private:
    void rebuildGlows(SDL_Surface* src);

    SurfacePtr surface_;
    Texture texture_;
    std::vector<GlowFilter> filters_;
    std::vector<SurfacePtr> glowSurfaces_;
    std::vector<Texture> glowTextures_;
    std::vector<int> padX_;
    std::vector<int> padY_;
    bool glowsDirty_ = true;
    SDL_Surface* glowSource_ = nullptr;
    double scale_ = 1;
    bool pixelAligned_ = false;
};

// Blurs the alpha of src into a glow picture padded by padX/padY on each side.
SurfacePtr makeGlow(SDL_Surface* src, const GlowFilter& f, int& padX, int& padY);

}  // namespace scene::detail
