// Laying the runs out in lines of measured pieces, and the caret's place in them.
// Rasterising and drawing the lines is in TextRaster.cpp.

#include "platform/TextField.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

#include "platform/Fonts.h"
#include "platform/TextSupport.h"

namespace scene {

using detail::measure;

namespace {

// A word or a stretch of blanks of one run, measured in the run's face.
struct Token {
    std::string text;
    TTF_Font* font;
    std::uint32_t color;
    double width;
    bool space;
};

// Cuts shown into words and stretches of blanks.
void appendTokens(std::vector<Token>& tokens, const std::string& shown, TTF_Font* f, std::uint32_t color) {
    std::size_t i = 0;
    while (i < shown.size()) {
        const bool space = shown[i] == ' ';
        std::size_t j = i;
        while (j < shown.size() && (shown[j] == ' ') == space) ++j;
        Token t{shown.substr(i, j - i), f, color, 0, space};
        t.width = measure(f, t.text);
        tokens.push_back(std::move(t));
        i = j;
    }
}

}  // namespace

// Lays the tokens of one paragraph into the field's lines and pieces, wrapping
// at the box width when the field wraps words.
class TextField::ParagraphLayout {
public:
    ParagraphLayout(TextField& field, const Style& paraStyle)
        : lines_(field.lines_),
          pieces_(field.pieces_),
          wrap_(field.wordWrap_),
          maxWidth_(field.boxWidth_ - 4),
          align_(paraStyle.align),
          paraFont_(detail::font(paraStyle.font, paraStyle.bold, detail::fontPixels(paraStyle.size))) {
        startLine();
    }

    void add(const Token& t) {
        Line* l = &lines_.back();
        if (wrap_ && l->pieceCount > 0 && !t.space && l->width + t.width > maxWidth_) {
            trimTrailingBlanks(*l);
            startLine();
            l = &lines_.back();
        }
        if (wrap_ && t.space && l->pieceCount == 0 && lines_.size() > 1 && !lines_[lines_.size() - 2].endsParagraph) {
            return;  // no blanks at the start of a wrapped line
        }
        if (wrap_ && !t.space && t.width > maxWidth_ && maxWidth_ > 0) breakWord(t);
        else addPiece(t);
    }

    void finish() { lines_.back().endsParagraph = true; }

private:
    void startLine() {
        Line l{pieces_.size(), 0, 0, 0, 0, align_, false};
        if (paraFont_) {
            l.height = TTF_FontHeight(paraFont_);
            l.ascent = TTF_FontAscent(paraFont_);
        }
        lines_.push_back(l);
    }

    // Trailing blanks do not count on a wrapped line.
    void trimTrailingBlanks(Line& l) {
        if (pieces_.empty() || pieces_.back().text.back() != ' ') return;
        Piece& last = pieces_.back();
        last.text.erase(last.text.find_last_not_of(' ') + 1);
        last.width = measure(last.font, last.text);
        l.width = last.x + last.width;
    }

    // Appends t to the last line, joining the line's last piece when it has the same face and colour.
    void addPiece(const Token& t) {
        Line& l = lines_.back();
        if (l.pieceCount == 0) {
            l.height = 0;
            l.ascent = 0;
        }
        const int asc = t.font ? TTF_FontAscent(t.font) : 0;
        const int h = t.font ? TTF_FontHeight(t.font) : 0;
        if (l.pieceCount > 0) {
            Piece& last = pieces_.back();
            if (last.font == t.font && last.color == t.color) {
                last.text += t.text;
                last.width = measure(t.font, last.text);
                l.width = last.x + last.width;
                return;
            }
        }
        pieces_.push_back({t.text, t.font, t.color, l.width, t.width, asc});
        ++l.pieceCount;
        l.width += t.width;
        l.height = std::max(l.height, static_cast<double>(h));
        l.ascent = std::max(l.ascent, asc);
    }

    // A word wider than the box is broken between characters.
    void breakWord(const Token& t) {
        std::string rest = t.text;
        while (!rest.empty()) {
            std::size_t fit = 0, b = 0;
            while (b < rest.size()) {
                std::size_t nb = b + 1;
                while (nb < rest.size() && detail::isContinuation(static_cast<unsigned char>(rest[nb]))) ++nb;
                if (lines_.back().width + measure(t.font, rest.substr(0, nb)) > maxWidth_ && fit > 0) break;
                fit = nb;
                b = nb;
            }
            if (fit == 0) fit = rest.size();
            addPiece({rest.substr(0, fit), t.font, t.color, measure(t.font, rest.substr(0, fit)), false});
            rest.erase(0, fit);
            if (!rest.empty()) startLine();
        }
    }

    std::vector<Line>& lines_;
    std::vector<Piece>& pieces_;
    const bool wrap_;
    const double maxWidth_;
    const std::string align_;
    TTF_Font* const paraFont_;
};

void TextField::layoutParagraph(const std::vector<Run>& para, const Style& paraStyle) {
    std::vector<Token> tokens;
    for (const auto& r : para) {
        TTF_Font* f = detail::font(r.style.font, r.style.bold, detail::fontPixels(r.style.size));
        appendTokens(tokens, displayText(r.text), f, r.style.color);
    }
    ParagraphLayout layout(*this, paraStyle);
    for (const auto& t : tokens) layout.add(t);
    layout.finish();
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
    f = detail::font(s.font, s.bold, detail::fontPixels(s.size));
    caretHeight_ = f ? TTF_FontHeight(f) : s.size;
    const std::string shown = displayText(plain_);
    caretX_ = measure(f, shown.substr(0, detail::byteOffset(shown, caret_)));
    const double visible = boxWidth_ - 4;
    if (caretX_ - scrollX_ > visible) scrollX_ = caretX_ - visible;
    if (caretX_ < scrollX_) scrollX_ = caretX_;
    if (scrollX_ < 0) scrollX_ = 0;
}

}  // namespace scene
