// Rasterising a text field's laid-out lines into its picture (or taking the
// same picture made before from the renderer's memo), and drawing it with its
// background, border and caret.

#include "platform/TextField.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "platform/Fonts.h"
#include "platform/RasterContent.h"
#include "platform/Stage.h"
#include "platform/TextSupport.h"

namespace scene {

using detail::measure;

namespace {

// Straight-alpha "over" of a rendered glyph run onto the field's picture.
void blendOnto(SDL_Surface* dst, SDL_Surface* src, int dx, int dy) {
    SDL_LockSurface(dst);
    SDL_LockSurface(src);
    for (int y = 0; y < src->h; ++y) {
        const int ty = dy + y;
        if (ty < 0 || ty >= dst->h) continue;
        const auto* srow = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(src->pixels) + y * src->pitch);
        auto* drow = reinterpret_cast<Uint32*>(static_cast<Uint8*>(dst->pixels) + ty * dst->pitch);
        for (int x = 0; x < src->w; ++x) {
            const int tx = dx + x;
            if (tx < 0 || tx >= dst->w) continue;
            const Uint32 s = srow[x];
            const double sa = (s >> 24) / 255.0;
            if (sa <= 0) continue;
            const Uint32 d = drow[tx];
            const double da = (d >> 24) / 255.0;
            const double oa = sa + da * (1 - sa);
            auto ch = [&](int shift) {
                const double sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                return static_cast<Uint32>(std::lround((sc * sa + dc * da * (1 - sa)) / oa)) << shift;
            };
            drow[tx] = (static_cast<Uint32>(std::lround(oa * 255)) << 24) | ch(16) | ch(8) | ch(0);
        }
    }
    SDL_UnlockSurface(src);
    SDL_UnlockSurface(dst);
}

SDL_Color sdlColor(std::uint32_t rgb) {
    return {static_cast<Uint8>((rgb >> 16) & 0xFF), static_cast<Uint8>((rgb >> 8) & 0xFF), static_cast<Uint8>(rgb & 0xFF),
            255};
}

// Renders text in f and blends it onto dst with its top left at (x, y).
void drawText(SDL_Surface* dst, TTF_Font* f, const std::string& text, std::uint32_t color, int x, int y) {
    if (const detail::SurfacePtr g{TTF_RenderUTF8_Blended(f, text.c_str(), sdlColor(color))}) {
        blendOnto(dst, g.get(), x, y);
    }
}

// Draws text starting at x word by word, each blank widened by extra; shift
// grows by the width the blanks gained, for the pieces after this one.
void drawJustified(SDL_Surface* dst, TTF_Font* f, const std::string& text, std::uint32_t color, double x, int y,
                   double extra, double& shift) {
    std::size_t i = 0;
    while (i < text.size()) {
        const bool space = text[i] == ' ';
        std::size_t j = i;
        while (j < text.size() && (text[j] == ' ') == space) ++j;
        const std::string word = text.substr(i, j - i);
        if (!space) {
            drawText(dst, f, word, color, static_cast<int>(std::lround(x)), y);
            x += measure(f, word);
        } else {
            x += measure(f, word) + extra * static_cast<double>(j - i);
            shift += extra * static_cast<double>(j - i);
        }
        i = j;
    }
}

// The picture of one character in a face and colour at a scale, made once
// and kept: the glyphs of figures are shown again and again.
std::shared_ptr<detail::Raster> glyphPicture(detail::Renderer& r, TTF_Font* f, const std::string& ch,
                                             std::uint32_t color, double scale) {
    std::string key = "glyph";
    detail::appendKeyBytes(key, f);
    detail::appendKeyBytes(key, color);
    detail::appendKeyBytes(key, scale);
    key += ch;
    if (auto made = r.memo().find(key)) return made;
    const detail::SurfacePtr g{TTF_RenderUTF8_Blended(f, ch.c_str(), sdlColor(color))};
    if (!g) return nullptr;
    auto surface = detail::makeSurface(g->w, g->h);
    if (!surface) return nullptr;
    blendOnto(surface.get(), g.get(), 0, 0);
    detail::Renderer::countRaster();
    detail::RasterContent content;
    content.setSurface(std::move(surface), scale);
    content.cropToInk();
    r.memo().offer(key, content.raster(), true);
    return content.raster();
}

// The length in bytes of the UTF-8 character starting at s[i].
std::size_t charLength(const std::string& s, std::size_t i) {
    std::size_t j = i + 1;
    while (j < s.size() && detail::isContinuation(static_cast<unsigned char>(s[j]))) ++j;
    return j - i;
}

}  // namespace

void TextField::setDrawnByGlyph(bool v, const std::string& ahead) {
    byGlyph_ = v;
    glyphsAhead_ = ahead;
    glyphs_.reset();
    rasterDirty_ = true;
}

bool TextField::glyphDrawn() const {
    return byGlyph_ && type_ != TextFieldType::INPUT && lines_.size() == 1 && blankStretch(lines_.front()) == 0 &&
           scrollX_ == 0 && textWidth_ + 4 <= boxWidth_ && (overflowVisible_ || textHeight_ + 4 <= boxHeight_);
}

void TextField::placeGlyphs(detail::Renderer& r, bool ahead) {
    rasterDirty_ = false;
    glyphs_ = std::make_unique<detail::GlyphRun>();
    const double scale = r.rasterScale();
    glyphs_->scale = scale;
    const Line& l = lines_.front();
    for (std::size_t p = 0; p < l.pieceCount; ++p) {
        const Piece& piece = pieces_[l.firstPiece + p];
        TTF_Font* f = detail::scaledFont(piece.font, scale);
        if (!f) continue;
        // Where the whole piece would be drawn, each glyph after the width of those before it.
        const double left = static_cast<double>(std::lround((lineLeft(l) + piece.x) * scale));
        const double top = static_cast<double>(std::lround((2 + l.ascent) * scale) - TTF_FontAscent(f));
        for (std::size_t i = 0; i < piece.text.size(); i += charLength(piece.text, i)) {
            const std::string ch = piece.text.substr(i, charLength(piece.text, i));
            if (ch == " ") continue;
            auto picture = glyphPicture(r, f, ch, piece.color, scale);
            if (!picture) continue;
            auto& placed = glyphs_->glyphs.emplace_back();
            placed.content.share(std::move(picture));
            placed.content.setPixelAligned(true);
            placed.x = (left + measure(f, piece.text.substr(0, i))) / scale;
            placed.y = top / scale;
            if (ahead) {
                placed.content.setFilters(filters());
                placed.content.prepare();
            }
        }
    }
}

void TextField::prepareGlyphs(detail::Renderer& r, const std::string& s) {
    const double scale = r.rasterScale();
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
        TTF_Font* f = detail::scaledFont(pieces_[p].font, scale);
        if (!f) continue;
        for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) {
            const std::string ch = s.substr(i, charLength(s, i));
            if (ch == " ") continue;
            detail::RasterContent content;
            content.share(glyphPicture(r, f, ch, pieces_[p].color, scale));
            content.setFilters(filters());
            content.prepare();
        }
    }
}

double TextField::lineLeft(const Line& l) const {
    if (type_ == TextFieldType::INPUT) return 2;
    if (l.align == TextFormatAlign::CENTER) return (boxWidth_ - l.width) / 2;
    if (l.align == TextFormatAlign::RIGHT) return boxWidth_ - 2 - l.width;
    return 2;
}

double TextField::blankStretch(const Line& l) const {
    if (l.align != TextFormatAlign::JUSTIFY || l.endsParagraph || !wordWrap_) return 0;
    int blanks = 0;
    for (std::size_t p = 0; p < l.pieceCount; ++p) {
        const auto& t = pieces_[l.firstPiece + p].text;
        blanks += static_cast<int>(std::count(t.begin(), t.end(), ' '));
    }
    return blanks > 0 ? std::max(0.0, (boxWidth_ - 4 - l.width) / blanks) : 0;
}

std::string TextField::rasterKey(double scale, int w, int h) const {
    std::string key = "text";
    detail::appendKeyBytes(key, scale);
    detail::appendKeyBytes(key, w);
    detail::appendKeyBytes(key, h);
    for (const auto& l : lines_) {
        detail::appendKeyBytes(key, lineLeft(l));
        detail::appendKeyBytes(key, blankStretch(l));
        detail::appendKeyBytes(key, l.ascent);
        detail::appendKeyBytes(key, l.height);
        for (std::size_t p = 0; p < l.pieceCount; ++p) {
            const Piece& piece = pieces_[l.firstPiece + p];
            detail::appendKeyBytes(key, piece.font);
            detail::appendKeyBytes(key, piece.color);
            detail::appendKeyBytes(key, piece.x);
            detail::appendKeyBytes(key, piece.text.size());
            key += piece.text;
        }
        key += '\n';
    }
    return key;
}

void TextField::rasterise(detail::Renderer& r, bool ahead) {
    rasterDirty_ = false;
    const double scale = r.rasterScale();
    // Laid out in stage pixels; drawn with the faces at scale times their size,
    // each line's baseline where the layout puts it, scaled.
    const int w = static_cast<int>(std::ceil(std::max(boxWidth_, textWidth_ + 4) * scale));
    const int h = static_cast<int>(std::ceil(std::max(boxHeight_, textHeight_ + 4) * scale));
    // What is typed into a field changes with every key and may be a password:
    // only fields the program fills share their pictures.
    const bool shared = type_ != TextFieldType::INPUT;
    std::string key;
    if (shared) {
        key = rasterKey(scale, w, h);
        if (auto made = r.memo().find(key)) {
            raster_->share(std::move(made));
            return;
        }
    }
    auto surface = detail::makeSurface(w, h);
    if (!surface) return;
    double y = 2;
    for (const auto& l : lines_) {
        const double x = lineLeft(l);
        const double extra = blankStretch(l);
        double shift = 0;
        for (std::size_t p = 0; p < l.pieceCount; ++p) {
            const Piece& piece = pieces_[l.firstPiece + p];
            TTF_Font* f = detail::scaledFont(piece.font, scale);
            if (!f || piece.text.empty()) continue;
            const int py = static_cast<int>(std::lround((y + l.ascent) * scale)) - TTF_FontAscent(f);
            if (extra > 0) {
                drawJustified(surface.get(), f, piece.text, piece.color, (x + piece.x) * scale + shift, py,
                              extra * scale, shift);
            } else {
                drawText(surface.get(), f, piece.text, piece.color,
                         static_cast<int>(std::lround((x + piece.x) * scale + shift)), py);
            }
        }
        y += l.height;
    }
    detail::Renderer::countRaster();
    raster_->setSurface(std::move(surface), scale);
    // Text that fits its box is never clipped: keep only its inked part.
    if (shared && textWidth_ + 4 <= boxWidth_ && textHeight_ + 4 <= boxHeight_) raster_->cropToInk();
    if (shared) r.memo().offer(key, raster_->raster(), ahead);
}

void TextField::prepareContent(detail::Renderer& r) {
    if (glyphDrawn()) {
        placeGlyphs(r, true);
        prepareGlyphs(r, glyphsAhead_);
        return;
    }
    if (rasterDirty_ || r.rasterScale() != raster_->scale()) rasterise(r, true);
    raster_->setFilters(filters());
    raster_->prepare();
}

void TextField::drawGlyphs(detail::Renderer& r, double ox, double oy, double sx, double sy, double a) {
    if (rasterDirty_ || !glyphs_ || glyphs_->scale != r.rasterScale()) placeGlyphs(r);
    // Every glyph's glow first, so that no glow covers a neighbour's ink.
    for (const auto part : {detail::RasterContent::Part::OuterGlows, detail::RasterContent::Part::Content}) {
        for (auto& g : glyphs_->glyphs) {
            g.content.setFilters(filters());
            const double k = g.content.scale();
            g.content.drawPart(r, {ox + g.x * sx, oy + g.y * sy, g.content.fullWidth() / k * sx,
                                   g.content.fullHeight() / k * sy}, a, part);
        }
    }
}

void TextField::drawWhole(detail::Renderer& r, double ox, double oy, double sx, double sy, double a) {
    if (rasterDirty_ || r.rasterScale() != raster_->scale()) rasterise(r);
    raster_->setFilters(filters());
    if (!raster_->surface()) return;
    // The picture's size in stage pixels, and the box's part of it in the picture's pixels.
    const double k = raster_->scale();
    const int fullW = raster_->fullWidth(), fullH = raster_->fullHeight();
    const double pw = fullW / k, ph = fullH / k;
    const bool tall = ph > boxHeight_ + 0.5 && !overflowVisible_;
    const bool clipped = pw > boxWidth_ + 0.5 || tall || scrollX_ > 0;
    if (clipped) {
        const double visibleHeight = overflowVisible_ ? fullH : std::min<double>(fullH, std::ceil(boxHeight_ * k));
        const double left = std::floor(scrollX_ * k);
        const Rect source{left, 0, std::min<double>(fullW - left, std::ceil(boxWidth_ * k)), visibleHeight};
        raster_->draw(r, {ox, oy, pw * sx, ph * sy}, a, nullptr, nullptr, &source);
    } else {
        raster_->draw(r, {ox, oy, pw * sx, ph * sy}, a);
    }
}

void TextField::render(detail::Renderer& r, const Transform& pt) {
    if (!visible() || alpha() <= 0) return;
    const double a = pt.alpha * alpha();
    const double sx = pt.sx * scaleX(), sy = pt.sy * scaleY();
    const double ox = pt.tx + x() * pt.sx, oy = pt.ty + y() * pt.sy;
    if (background_) r.fillRect({ox, oy, boxWidth_ * sx, boxHeight_ * sy}, backgroundColor_, a);
    if (glyphDrawn()) {
        drawGlyphs(r, ox, oy, sx, sy, a);
    } else {
        glyphs_.reset();  // a text that no longer fits one line: drawn whole, as laid out anew
        drawWhole(r, ox, oy, sx, sy, a);
    }
    if (border_) {
        r.fillRect({ox, oy, boxWidth_ * sx, 1}, borderColor_, a);
        r.fillRect({ox, oy + boxHeight_ * sy - 1, boxWidth_ * sx, 1}, borderColor_, a);
        r.fillRect({ox, oy, 1, boxHeight_ * sy}, borderColor_, a);
        r.fillRect({ox + boxWidth_ * sx - 1, oy, 1, boxHeight_ * sy}, borderColor_, a);
    }
    Stage* st = stage();
    if (type_ == TextFieldType::INPUT && st && st->focus().get() == this && (st->frameCount() / 30) % 2 == 0) {
        const double cx = ox + (2 + caretX_ - scrollX_) * sx;
        r.fillRect({cx, oy + 2 * sy, std::max(1.0, sx), caretHeight_ * sy}, textColor(), a);
    }
}

}  // namespace scene
