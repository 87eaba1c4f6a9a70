#include "platform/TextField.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "platform/Event.h"
#include "platform/Fonts.h"
#include "platform/RasterContent.h"
#include "platform/Stage.h"

namespace scene {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

int codePoints(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += isContinuation(c) ? 0 : 1;
    return n;
}

// Byte offset of code point index i (clamped to the end).
std::size_t byteOffset(const std::string& s, int i) {
    std::size_t b = 0;
    while (b < s.size() && i > 0) {
        ++b;
        while (b < s.size() && isContinuation(static_cast<unsigned char>(s[b]))) ++b;
        --i;
    }
    return b;
}

// Drops bytes that are not valid UTF-8 so the font renderer never sees them.
std::string sanitiseUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k < len; ++k) ok = ok && isContinuation(static_cast<unsigned char>(s[i + k]));
        if (ok) out.append(s, i, len);
        i += ok ? len : 1;
    }
    return out;
}

int fontPixels(double size) { return std::max(1, static_cast<int>(std::lround(size))); }

double measure(TTF_Font* f, const std::string& s) {
    if (!f || s.empty()) return 0;
    int w = 0, h = 0;
    TTF_SizeUTF8(f, s.c_str(), &w, &h);
    return w;
}

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

}  // namespace

TextField::TextField() : raster_(std::make_unique<detail::RasterContent>()) { relayout(); }
TextField::~TextField() = default;

TextField::Style TextField::apply(Style s, const TextFormat& f) {
    if (f.font) s.font = *f.font;
    if (f.size) s.size = *f.size;
    if (f.color) s.color = *f.color & 0xFFFFFF;
    if (f.bold) s.bold = *f.bold;
    if (f.align) s.align = *f.align;
    return s;
}

int TextField::length() const { return codePoints(plain_); }

void TextField::setRuns(std::vector<Run> runs, bool keepHtml) {
    runs_.clear();
    for (auto& r : runs) {
        r.text = sanitiseUtf8(r.text);
        if (r.text.empty()) continue;
        if (!runs_.empty() && runs_.back().style == r.style) runs_.back().text += r.text;
        else runs_.push_back(std::move(r));
    }
    plain_.clear();
    for (const auto& r : runs_) plain_ += r.text;
    if (!keepHtml) {
        html_.clear();
        for (char c : plain_) {
            switch (c) {
                case '<': html_ += "&lt;"; break;
                case '>': html_ += "&gt;"; break;
                case '&': html_ += "&amp;"; break;
                case '\n': html_ += "<br>"; break;
                default: html_ += c;
            }
        }
    }
    caret_ = std::min(caret_, codePoints(plain_));
    relayout();
}

void TextField::setText(const std::string& text) {
    std::string t = text;
    // Carriage returns count as line breaks; a CR LF pair is one break.
    std::string norm;
    norm.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r') {
            norm += '\n';
            if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
        } else {
            norm += t[i];
        }
    }
    if (norm == plain_ && runs_.size() <= 1 && (runs_.empty() || runs_[0].style == defaultStyle())) return;
    setRuns({{norm, defaultStyle()}});
}

void TextField::appendText(const std::string& text) {
    std::vector<Run> runs = runs_;
    runs.push_back({text, runs_.empty() ? defaultStyle() : runs_.back().style});
    setRuns(std::move(runs));
}

void TextField::setHtmlText(const std::string& html) {
    std::vector<Run> runs;
    std::vector<Style> stack{defaultStyle()};
    std::string current;
    auto flush = [&] {
        if (!current.empty()) runs.push_back({current, stack.back()});
        current.clear();
    };
    auto lower = [](std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            static const std::pair<const char*, const char*> entities[] = {
                {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", " "}};
            bool matched = false;
            for (const auto& [name, value] : entities) {
                const std::string n = name;
                if (html.compare(i, n.size(), n) == 0) {
                    current += value;
                    i += n.size();
                    matched = true;
                    break;
                }
            }
            if (!matched) current += html[i++];
            continue;
        }
        if (c != '<') {
            current += c;
            ++i;
            continue;
        }
        const std::size_t close = html.find('>', i);
        if (close == std::string::npos) {
            current += html.substr(i);
            break;
        }
        const std::string tag = lower(html.substr(i + 1, close - i - 1));
        std::string name = tag.substr(0, tag.find_first_of(" \t/"));
        const bool closing = !tag.empty() && tag[0] == '/';
        if (closing) name = tag.substr(1);
        bool known = true;
        if (!closing && (name == "br" || tag == "br/" || tag == "br /")) {
            current += '\n';
        } else if (name == "p") {
            if (closing) current += '\n';
        } else if (name == "b") {
            flush();
            if (closing) {
                if (stack.size() > 1) stack.pop_back();
            } else {
                Style s = stack.back();
                s.bold = true;
                stack.push_back(s);
            }
        } else if (name == "font") {
            flush();
            if (closing) {
                if (stack.size() > 1) stack.pop_back();
            } else {
                Style s = stack.back();
                const std::size_t at = tag.find("color=");
                if (at != std::string::npos) {
                    std::size_t v = at + 6;
                    if (v < tag.size() && (tag[v] == '"' || tag[v] == '\'')) ++v;
                    if (v < tag.size() && tag[v] == '#') ++v;
                    std::uint32_t col = 0;
                    int digits = 0;
                    while (v < tag.size() && digits < 6 && std::isxdigit(static_cast<unsigned char>(tag[v]))) {
                        const char h = tag[v++];
                        col = col * 16 + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : h - 'a' + 10);
                        ++digits;
                    }
                    if (digits == 6) s.color = col;
                }
                stack.push_back(s);
            }
        } else {
            known = false;
        }
        if (known) {
            i = close + 1;
        } else {
            current += html.substr(i, close - i + 1);
            i = close + 1;
        }
    }
    flush();
    html_ = html;
    setRuns(std::move(runs), true);
}

void TextField::setDefaultTextFormat(const TextFormat& format) { defaultFormat_ = format; }

void TextField::setTextFormat(const TextFormat& format, int begin, int end) {
    const int total = codePoints(plain_);
    if (begin < 0) {
        begin = 0;
        end = total;
    }
    if (end < 0 || end > total) end = total;
    if (begin >= end) return;
    std::vector<Run> out;
    int pos = 0;
    for (const auto& r : runs_) {
        const int n = codePoints(r.text);
        const int a = std::clamp(begin - pos, 0, n), b = std::clamp(end - pos, 0, n);
        if (a > 0) out.push_back({r.text.substr(0, byteOffset(r.text, a)), r.style});
        if (b > a) {
            const std::size_t ba = byteOffset(r.text, a), bb = byteOffset(r.text, b);
            out.push_back({r.text.substr(ba, bb - ba), apply(r.style, format)});
        }
        if (b < n) out.push_back({r.text.substr(byteOffset(r.text, b)), r.style});
        pos += n;
    }
    // The same format applied again (a hover handler on every pointer move) changes nothing.
    std::vector<Run> merged;
    for (auto& r : out) {
        if (r.text.empty()) continue;
        if (!merged.empty() && merged.back().style == r.style) merged.back().text += r.text;
        else merged.push_back(std::move(r));
    }
    const bool same = merged.size() == runs_.size() &&
                      std::equal(merged.begin(), merged.end(), runs_.begin(), [](const Run& a, const Run& b) {
                          return a.text == b.text && a.style == b.style;
                      });
    if (same) return;
    const std::string html = html_;
    setRuns(std::move(merged), true);
    html_ = html;
}

TextFormat TextField::getTextFormat() const {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    return TextFormat(s.font, s.size, s.color, s.bold, s.align);
}

std::uint32_t TextField::textColor() const { return runs_.empty() ? defaultStyle().color : runs_.front().style.color; }

void TextField::setTextColor(std::uint32_t c) {
    defaultFormat_.color = c & 0xFFFFFF;
    TextFormat f;
    f.color = c & 0xFFFFFF;
    if (!runs_.empty()) setTextFormat(f);
    else relayout();
}

void TextField::setAutoSize(const std::string& mode) {
    if (mode == autoSize_) return;
    autoSize_ = mode;
    relayout();
}

void TextField::setWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    relayout();
}

void TextField::setType(const std::string& t) {
    type_ = t;
    if (type_ == TextFieldType::INPUT) caret_ = codePoints(plain_);
    rasterDirty_ = true;
}

void TextField::setDisplayAsPassword(bool v) {
    if (v == password_) return;
    password_ = v;
    relayout();
}

void TextField::setWidth(double w) {
    w = std::max(0.0, w);
    if (w == boxWidth_) return;
    boxWidth_ = w;
    relayout();
}

void TextField::setHeight(double h) {
    h = std::max(0.0, h);
    if (h == boxHeight_) return;
    boxHeight_ = h;
    rasterDirty_ = true;
}

std::string TextField::displayText(const std::string& s) const {
    if (!password_) return s;
    return std::string(static_cast<std::size_t>(codePoints(s)), '*');
}

void TextField::layoutParagraph(const std::vector<Run>& para, const Style& paraStyle) {
    const double maxWidth = boxWidth_ - 4;
    struct Token {
        std::string text;
        const Style* style;
        TTF_Font* font;
        double width;
        bool space;
    };
    std::vector<Token> tokens;
    for (const auto& r : para) {
        TTF_Font* f = detail::font(r.style.font, r.style.bold, fontPixels(r.style.size));
        const std::string shown = displayText(r.text);
        std::size_t i = 0;
        while (i < shown.size()) {
            const bool space = shown[i] == ' ';
            std::size_t j = i;
            while (j < shown.size() && (shown[j] == ' ') == space) ++j;
            Token t{shown.substr(i, j - i), &r.style, f, 0, space};
            t.width = measure(f, t.text);
            tokens.push_back(std::move(t));
            i = j;
        }
    }
    TTF_Font* paraFont = detail::font(paraStyle.font, paraStyle.bold, fontPixels(paraStyle.size));
    auto startLine = [&] {
        Line l{pieces_.size(), 0, 0, 0, 0, paraStyle.align, false};
        if (paraFont) {
            l.height = TTF_FontHeight(paraFont);
            l.ascent = TTF_FontAscent(paraFont);
        }
        lines_.push_back(l);
    };
    auto addPiece = [&](const Token& t) {
        Line& l = lines_.back();
        if (l.pieceCount == 0) {
            l.height = 0;
            l.ascent = 0;
        }
        const int asc = t.font ? TTF_FontAscent(t.font) : 0;
        const int h = t.font ? TTF_FontHeight(t.font) : 0;
        if (l.pieceCount > 0) {
            Piece& last = pieces_.back();
            if (last.font == t.font && last.color == t.style->color) {
                last.text += t.text;
                last.width = measure(t.font, last.text);
                l.width = last.x + last.width;
                return;
            }
        }
        pieces_.push_back({t.text, t.font, t.style->color, l.width, t.width, asc});
        ++l.pieceCount;
        l.width += t.width;
        l.height = std::max(l.height, static_cast<double>(h));
        l.ascent = std::max(l.ascent, asc);
    };
    startLine();
    for (auto& t : tokens) {
        Line* l = &lines_.back();
        if (wordWrap_ && l->pieceCount > 0 && !t.space && l->width + t.width > maxWidth) {
            // Trailing blanks do not count on a wrapped line.
            if (!pieces_.empty() && pieces_.back().text.back() == ' ') {
                Piece& last = pieces_.back();
                last.text.erase(last.text.find_last_not_of(' ') + 1);
                last.width = measure(last.font, last.text);
                l->width = last.x + last.width;
            }
            startLine();
            l = &lines_.back();
        }
        if (wordWrap_ && t.space && l->pieceCount == 0 && lines_.size() > 1 && !lines_[lines_.size() - 2].endsParagraph) {
            continue;  // no blanks at the start of a wrapped line
        }
        if (wordWrap_ && !t.space && t.width > maxWidth && maxWidth > 0) {
            // A word wider than the box is broken between characters.
            std::string rest = t.text;
            while (!rest.empty()) {
                std::size_t fit = 0, b = 0;
                while (b < rest.size()) {
                    std::size_t nb = b + 1;
                    while (nb < rest.size() && isContinuation(static_cast<unsigned char>(rest[nb]))) ++nb;
                    if (lines_.back().width + measure(t.font, rest.substr(0, nb)) > maxWidth && fit > 0) break;
                    fit = nb;
                    b = nb;
                }
                if (fit == 0) fit = rest.size();
                Token part{rest.substr(0, fit), t.style, t.font, measure(t.font, rest.substr(0, fit)), false};
                addPiece(part);
                rest.erase(0, fit);
                if (!rest.empty()) startLine();
            }
            continue;
        }
        addPiece(t);
    }
    lines_.back().endsParagraph = true;
}

void TextField::relayout() {
    lines_.clear();
    pieces_.clear();
    // Split the runs into paragraphs at line breaks.
    std::vector<Run> para;
    Style paraStyle = runs_.empty() ? defaultStyle() : runs_.front().style;
    for (const auto& r : runs_) {
        std::size_t start = 0;
        while (true) {
            const std::size_t nl = r.text.find('\n', start);
            const std::string piece = r.text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            if (!piece.empty()) {
                if (para.empty()) paraStyle = r.style;
                para.push_back({piece, r.style});
            }
            if (nl == std::string::npos) break;
            layoutParagraph(para, para.empty() ? r.style : paraStyle);
            para.clear();
            start = nl + 1;
        }
    }
    layoutParagraph(para, para.empty() ? (runs_.empty() ? defaultStyle() : runs_.back().style) : paraStyle);

    textWidth_ = 0;
    textHeight_ = 0;
    for (const auto& l : lines_) {
        textWidth_ = std::max(textWidth_, l.width);
        textHeight_ += l.height;
    }
    if (plain_.empty()) textHeight_ = 0;

    if (autoSize_ != TextFieldAutoSize::NONE) {
        const double oldWidth = boxWidth_;
        if (!wordWrap_) {
            boxWidth_ = std::ceil(textWidth_) + 4;
            if (autoSize_ == TextFieldAutoSize::CENTER) setX(x() + (oldWidth - boxWidth_) / 2);
            else if (autoSize_ == TextFieldAutoSize::RIGHT) setX(x() + (oldWidth - boxWidth_));
        }
        double h = textHeight_;
        if (plain_.empty() && !lines_.empty()) h = lines_.front().height;
        boxHeight_ = std::ceil(h) + 4;
    }
    updateCaretX();
    rasterDirty_ = true;
}

void TextField::updateCaretX() {
    TTF_Font* f = nullptr;
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    f = detail::font(s.font, s.bold, fontPixels(s.size));
    caretHeight_ = f ? TTF_FontHeight(f) : s.size;
    const std::string shown = displayText(plain_);
    caretX_ = measure(f, shown.substr(0, byteOffset(shown, caret_)));
    const double visible = boxWidth_ - 4;
    if (caretX_ - scrollX_ > visible) scrollX_ = caretX_ - visible;
    if (caretX_ < scrollX_) scrollX_ = caretX_;
    if (scrollX_ < 0) scrollX_ = 0;
}

void TextField::rasterise() {
    rasterDirty_ = false;
    const int w = static_cast<int>(std::ceil(std::max(boxWidth_, textWidth_ + 4)));
    const int h = static_cast<int>(std::ceil(std::max(boxHeight_, textHeight_ + 4)));
    auto surface = detail::makeSurface(w, h);
    if (!surface) return;
    double y = 2;
    for (const auto& l : lines_) {
        double x = 2;
        if (l.align == TextFormatAlign::CENTER) x = (boxWidth_ - l.width) / 2;
        else if (l.align == TextFormatAlign::RIGHT) x = boxWidth_ - 2 - l.width;
        if (type_ == TextFieldType::INPUT) x = 2;
        double extra = 0;  // justified lines spread their blanks
        int blanks = 0;
        if (l.align == TextFormatAlign::JUSTIFY && !l.endsParagraph && wordWrap_) {
            for (std::size_t p = 0; p < l.pieceCount; ++p) {
                const auto& t = pieces_[l.firstPiece + p].text;
                blanks += static_cast<int>(std::count(t.begin(), t.end(), ' '));
            }
            if (blanks > 0) extra = std::max(0.0, (boxWidth_ - 4 - l.width) / blanks);
        }
        double shift = 0;
        for (std::size_t p = 0; p < l.pieceCount; ++p) {
            const Piece& piece = pieces_[l.firstPiece + p];
            if (!piece.font || piece.text.empty()) continue;
            const SDL_Color col{static_cast<Uint8>((piece.color >> 16) & 0xFF), static_cast<Uint8>((piece.color >> 8) & 0xFF),
                                static_cast<Uint8>(piece.color & 0xFF), 255};
            const int py = static_cast<int>(std::lround(y + (l.ascent - piece.ascent)));
            if (extra > 0) {
                // Word by word, so the blanks can stretch.
                double wx = x + piece.x + shift;
                std::size_t i = 0;
                while (i < piece.text.size()) {
                    const bool space = piece.text[i] == ' ';
                    std::size_t j = i;
                    while (j < piece.text.size() && (piece.text[j] == ' ') == space) ++j;
                    const std::string word = piece.text.substr(i, j - i);
                    if (!space) {
                        if (SDL_Surface* g = TTF_RenderUTF8_Blended(piece.font, word.c_str(), col)) {
                            blendOnto(surface.get(), g, static_cast<int>(std::lround(wx)), py);
                            SDL_FreeSurface(g);
                        }
                        wx += measure(piece.font, word);
                    } else {
                        wx += measure(piece.font, word) + extra * static_cast<double>(j - i);
                        shift += extra * static_cast<double>(j - i);
                    }
                    i = j;
                }
                continue;
            }
            if (SDL_Surface* g = TTF_RenderUTF8_Blended(piece.font, piece.text.c_str(), col)) {
                blendOnto(surface.get(), g, static_cast<int>(std::lround(x + piece.x + shift)), py);
                SDL_FreeSurface(g);
            }
        }
        y += l.height;
    }
    detail::Renderer::countRaster();
    raster_->setSurface(std::move(surface));
}

void TextField::render(detail::Renderer& r, const Transform& pt) {
    if (!visible() || alpha() <= 0) return;
    const double a = pt.alpha * alpha();
    const double sx = pt.sx * scaleX(), sy = pt.sy * scaleY();
    const double ox = pt.tx + x() * pt.sx, oy = pt.ty + y() * pt.sy;
    if (background_) r.fillRect({ox, oy, boxWidth_ * sx, boxHeight_ * sy}, backgroundColor_, a);
    if (rasterDirty_) rasterise();
    raster_->setFilters(filters());
    if (SDL_Surface* s = raster_->surface()) {
        const bool tall = s->h > boxHeight_ + 0.5 && !overflowVisible_;
        const bool clipped = s->w > boxWidth_ + 0.5 || tall || scrollX_ > 0;
        if (clipped) {
            const double visibleHeight = overflowVisible_ ? s->h : std::min<double>(s->h, std::ceil(boxHeight_));
            const Rect source{std::floor(scrollX_), 0, std::min<double>(s->w - std::floor(scrollX_), std::ceil(boxWidth_)),
                              visibleHeight};
            raster_->draw(r, {ox, oy, s->w * sx, s->h * sy}, a, nullptr, nullptr, &source);
        } else {
            raster_->draw(r, {ox, oy, s->w * sx, s->h * sy}, a);
        }
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

void TextField::setSelection(int begin, int end) {
    (void)begin;
    caret_ = std::clamp(end, 0, codePoints(plain_));
    updateCaretX();
}

void TextField::editReplace(int from, int to, const std::string& insert) {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    const std::size_t a = byteOffset(plain_, from), b = byteOffset(plain_, to);
    const std::string next = plain_.substr(0, a) + insert + plain_.substr(b);
    caret_ = from + codePoints(insert);
    setRuns({{next, s}});
}

bool TextField::handleKey(int keyCode) {
    if (type_ != TextFieldType::INPUT) return false;
    const int n = codePoints(plain_);
    switch (keyCode) {
        case Keyboard::BACKSPACE:
            if (caret_ > 0) editReplace(caret_ - 1, caret_, "");
            return true;
        case Keyboard::DELETE:
            if (caret_ < n) editReplace(caret_, caret_ + 1, "");
            return true;
        case Keyboard::LEFT: caret_ = std::max(0, caret_ - 1); break;
        case Keyboard::RIGHT: caret_ = std::min(n, caret_ + 1); break;
        case Keyboard::HOME: caret_ = 0; break;
        case Keyboard::END: caret_ = n; break;
        case Keyboard::ENTER:
            if (!multiline_) return false;
            return handleTextInput("\n");
        default: return false;
    }
    updateCaretX();
    rasterDirty_ = true;
    return true;
}

bool TextField::handleTextInput(const std::string& utf8) {
    if (type_ != TextFieldType::INPUT) return false;
    std::string clean;
    for (char c : sanitiseUtf8(utf8)) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n' && multiline_) clean += c;
        else if (u >= 0x20 && u != 0x7F) clean += c;
    }
    if (clean.empty()) return false;
    if (maxChars_ > 0) {
        const int room = maxChars_ - codePoints(plain_);
        if (room <= 0) return true;
        clean = clean.substr(0, byteOffset(clean, room));
    }
    editReplace(caret_, caret_, clean);
    return true;
}

void TextField::placeCaretAt(double localX) {
    const Style s = runs_.empty() ? defaultStyle() : runs_.front().style;
    TTF_Font* f = detail::font(s.font, s.bold, fontPixels(s.size));
    const std::string shown = displayText(plain_);
    const double target = localX - 2 + scrollX_;
    const int n = codePoints(shown);
    int best = n;
    for (int i = 0; i <= n; ++i) {
        const double w0 = measure(f, shown.substr(0, byteOffset(shown, i)));
        if (w0 >= target) {
            const double wPrev = i > 0 ? measure(f, shown.substr(0, byteOffset(shown, i - 1))) : 0;
            best = (i > 0 && target - wPrev < w0 - target) ? i - 1 : i;
            break;
        }
    }
    caret_ = std::clamp(best, 0, codePoints(plain_));
    updateCaretX();
}

}  // namespace scene
