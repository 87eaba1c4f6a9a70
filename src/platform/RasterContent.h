#pragma once

// Private to the display layer: a rasterised picture (text, shape) with its
// glows, uploaded to textures lazily and rebuilt only when something changes.

#include <vector>

#include "platform/GlowFilter.h"
#include "platform/Renderer.h"

namespace scene::detail {

class RasterContent {
public:
    // Takes a new picture; its textures and glows are rebuilt on the next draw.
    void setSurface(SurfacePtr surface);
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
};

// Blurs the alpha of src into a glow picture padded by padX/padY on each side.
SurfacePtr makeGlow(SDL_Surface* src, const GlowFilter& f, int& padX, int& padY);

}  // namespace scene::detail
