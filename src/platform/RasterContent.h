#pragma once

// Private to the display layer: a rasterised picture (text, shape) with its
// glows, uploaded to textures lazily and rebuilt only when something changes.
// Fields and shapes showing the same content at the same scale share one
// picture, its textures and its glows through the renderer's memo.

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/GlowFilter.h"
#include "platform/Renderer.h"

namespace scene::detail {

// One rasterised picture at one scale, with the glows made from it so far.
struct Raster {
    struct Glow {
        GlowFilter filter;  // blur already in the picture's pixels
        SurfacePtr surface;
        Texture texture;
        int padX = 0;
        int padY = 0;
    };
    SurfacePtr surface;
    double scale = 1;
    // The picture may be the inked part of a larger one: where it sits in it,
    // and that one's size, in pixels.
    int left = 0;
    int top = 0;
    int fullWidth = 0;
    int fullHeight = 0;
    Texture texture;
    std::list<Glow> glows;  // a list: textures do not move

    // The glow of this picture (or of a borrowed one) for a filter whose blur
    // is in the picture's pixels; made on first use.
    Glow& glow(SDL_Surface* src, const GlowFilter& f);
};

class RasterContent {
public:
    RasterContent();
    // Takes a new picture drawn at scale output pixels per stage pixel; its
    // textures and glows (blurred by as much more) are built on the next draw.
    void setSurface(SurfacePtr surface, double scale = 1);
    // Keeps only the part of the picture that has ink (with its place in the
    // whole), so its glows are blurred and its copies blended over less.
    void cropToInk();
    // The whole picture's size in pixels, cropped or not.
    int fullWidth() const { return raster_->fullWidth; }
    int fullHeight() const { return raster_->fullHeight; }
    // Shows a picture made before, for this or another object.
    void share(std::shared_ptr<Raster> raster);
    const std::shared_ptr<Raster>& raster() const { return raster_; }
    double scale() const { return raster_->scale; }
    // Lands the picture and its glows on whole output pixels (text).
    void setPixelAligned(bool v) { pixelAligned_ = v; }
    void setFilters(const std::vector<GlowFilter>& filters);
    SDL_Surface* surface() const { return raster_->surface.get(); }
    // Makes the textures and glows now, so the first draw only copies them.
    void prepare();

    // Draws the picture at dest (stage coordinates of its full surface) with its glows.
    // A borrowed picture (a shared bitmap) has only its glows kept here.
    // The parts of a draw, for pictures drawn side by side as one (the glyphs
    // of a line): every one's outer glows first, then every one's content.
    enum class Part { All, OuterGlows, Content };
    void draw(Renderer& r, const Rect& dest, double alpha, const Texture* borrowed = nullptr,
              SDL_Surface* borrowedSurface = nullptr, const Rect* source = nullptr, Part part = Part::All);
    void drawPart(Renderer& r, const Rect& dest, double alpha, Part part);

private:
    Raster::Glow& glow(SDL_Surface* src, std::size_t i);
    void drawInked(Renderer& r, const Rect& dest, double alpha, const Texture& content, SDL_Surface* src, double sx,
                   double sy, const Rect* source = nullptr, Part part = Part::All);

    std::shared_ptr<Raster> raster_;
    std::vector<GlowFilter> filters_;
    SDL_Surface* glowSource_ = nullptr;
    bool pixelAligned_ = false;
};

// A line drawn glyph by glyph: each glyph a picture shared by what it shows,
// with its place in the field (stage pixels from its top left).
struct GlyphRun {
    struct Placed {
        RasterContent content;
        double x = 0;
        double y = 0;
    };
    std::vector<Placed> glyphs;
    double scale = 0;  // output pixels per stage pixel they were made at
};

// Pictures by what they show, so a price tag or a panel drawn once is not
// rasterised again for the next plate or the next game. Kept are the pictures
// made ahead and those made a second time; a figure shown once (a running
// total) is not. The least recently used are forgotten past a budget of
// pixels; objects showing them keep theirs.
class RasterMemo {
public:
    explicit RasterMemo(std::size_t budgetBytes = 16u << 20) : budget_(budgetBytes) {}
    std::shared_ptr<Raster> find(const std::string& key);
    // Keeps the picture if it was made ahead, or made before under this key.
    void offer(const std::string& key, const std::shared_ptr<Raster>& raster, bool ahead);
    std::size_t size() const { return entries_.size(); }
    // Forgets every picture kept (objects showing one keep theirs).
    void clear();

private:
    void keep(const std::string& key, std::shared_ptr<Raster> raster);

    using Entry = std::pair<std::string, std::shared_ptr<Raster>>;
    std::list<Entry> order_;  // most recent first
    std::unordered_map<std::string, std::list<Entry>::iterator> entries_;
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::list<std::string> seen_;  // the keys rasterised lately and not kept, newest first

};

// Appends a value's bytes to a memo key (numbers and pointers of the content).
template <typename T>
void appendKeyBytes(std::string& key, const T& v) {
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Blurs the alpha of src into a glow picture padded by padX/padY on each side.
SurfacePtr makeGlow(SDL_Surface* src, const GlowFilter& f, int& padX, int& padY);

}  // namespace scene::detail
