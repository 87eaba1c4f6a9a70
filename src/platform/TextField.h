#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DisplayObject.h"
#include "platform/TextFormat.h"

typedef struct _TTF_Font TTF_Font;

namespace scene {

namespace detail {
class RasterContent;
struct GlyphRun;
}

namespace TextFieldAutoSize {
inline constexpr const char* NONE = "none";
inline constexpr const char* LEFT = "left";
inline constexpr const char* CENTER = "center";
inline constexpr const char* RIGHT = "right";
}  // namespace TextFieldAutoSize

namespace TextFieldType {
inline constexpr const char* DYNAMIC = "dynamic";
inline constexpr const char* INPUT = "input";
}  // namespace TextFieldType

// A box of formatted text. Width and height set the box, not a scale. The text
// is laid out when it changes and rasterised on the next draw after a change.
// Input fields take typing while they have the stage's focus.
class TextField : public DisplayObject {
public:
    TextField();
    ~TextField() override;

    const std::string& text() const { return plain_; }
    void setText(const std::string& text);
    void appendText(const std::string& text);
    // A small safe subset: <br>, <p>, <b>, <font color="#rrggbb">, and the
    // entities &lt; &gt; &amp; &quot; &apos;. Anything else is shown as text.
    const std::string& htmlText() const { return html_; }
    void setHtmlText(const std::string& html);

    const TextFormat& defaultTextFormat() const { return defaultFormat_; }
    void setDefaultTextFormat(const TextFormat& format);
    // Applies the set fields of format to the characters [begin, end) (code
    // points); the whole text when begin is negative.
    void setTextFormat(const TextFormat& format, int begin = -1, int end = -1);
    TextFormat getTextFormat() const;

    const std::string& autoSize() const { return autoSize_; }
    void setAutoSize(const std::string& mode);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool v);
    bool multiline() const { return multiline_; }
    void setMultiline(bool v) { multiline_ = v; }
    bool selectable() const { return selectable_; }
    void setSelectable(bool v) { selectable_ = v; }
    const std::string& type() const { return type_; }
    void setType(const std::string& t);
    bool displayAsPassword() const { return password_; }
    void setDisplayAsPassword(bool v);
    int maxChars() const { return maxChars_; }
    // Typing beyond maxChars is not taken; the field then dispatches
    // INPUT_REFUSED (not bubbling) so that its owner can show it.
    void setMaxChars(int n) { maxChars_ = n < 0 ? 0 : n; }
    static constexpr const char* INPUT_REFUSED = "inputRefused";
    // Lets the text draw below the box instead of being cut at its height
    // (descenders of a one-line caption whose box is its font size).
    bool overflowVisible() const { return overflowVisible_; }
    void setOverflowVisible(bool v) { overflowVisible_ = v; }
    bool border() const { return border_; }
    void setBorder(bool v) { border_ = v; }
    std::uint32_t borderColor() const { return borderColor_; }
    void setBorderColor(std::uint32_t c) { borderColor_ = c & 0xFFFFFF; }
    bool background() const { return background_; }
    void setBackground(bool v) { background_ = v; }
    std::uint32_t backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::uint32_t c) { backgroundColor_ = c & 0xFFFFFF; }
    std::uint32_t textColor() const;
    void setTextColor(std::uint32_t c);

    // Draws one line glyph by glyph, from pictures of single characters made
    // once for each face, colour and character and shared by every field: for
    // a figure that changes as the player plays (a running total, a rising
    // gain), so that a new value costs no rasterising. Text that wraps, is
    // justified, is typed or overflows the box is drawn whole as usual.
    // prepare() also makes the characters of ahead.
    void setDrawnByGlyph(bool v, const std::string& ahead = "");

    // Size of the laid-out text, without the 2-pixel gutter on each side.
    double textWidth() const { return textWidth_; }
    double textHeight() const { return textHeight_; }
    int numLines() const { return static_cast<int>(lines_.size()); }
    int length() const;

    double width() const override { return boxWidth_ * scaleX(); }
    double height() const override { return boxHeight_ * scaleY(); }
    void setWidth(double w) override;
    void setHeight(double h) override;

    // Caret position in code points, for input fields.
    int caretIndex() const { return caret_; }
    void setSelection(int begin, int end);

    // Editing, used by the stage for the focused input field. Return true when handled.
    bool handleKey(int keyCode);
    bool handleTextInput(const std::string& utf8);
    void placeCaretAt(double localX);

    Rect localBounds() const override { return {0, 0, boxWidth_, boxHeight_}; }
    void render(detail::Renderer& renderer, const Transform& parentTransform) override;

protected:
    void prepareContent(detail::Renderer& renderer) override;

private:
    struct Style {
        std::string font = "Arial";
        double size = 12;
        std::uint32_t color = 0;
        bool bold = false;
        std::string align = "left";
        bool operator==(const Style&) const = default;
    };
    struct Run {
        std::string text;
        Style style;
    };
    struct Piece {
        std::string text;
        TTF_Font* font;
        std::uint32_t color;
        double x;
        double width;
        int ascent;
    };
    struct Line {
        std::size_t firstPiece;
        std::size_t pieceCount;
        double width;
        double height;
        int ascent;
        std::string align;
        bool endsParagraph;
    };

    // The parser behind setHtmlText (TextHtml.cpp).
    struct HtmlReader;
    // Breaks one paragraph into lines (TextLayout.cpp).
    class ParagraphLayout;

    static Style apply(Style s, const TextFormat& f);
    Style defaultStyle() const { return apply(Style{}, defaultFormat_); }
    void setRuns(std::vector<Run> runs, bool keepHtml = false);
    void relayout();
    void layoutParagraph(const std::vector<Run>& para, const Style& paraStyle);
    // Draws the laid-out lines into the field's picture at the renderer's output
    // scale, or takes the same picture made before for any field.
    void rasterise(detail::Renderer& r, bool ahead = false);
    // What the picture shows, as a key of the renderer's memo.
    std::string rasterKey(double scale, int w, int h) const;
    // True when the laid-out text is drawn from its glyphs' pictures.
    bool glyphDrawn() const;
    // Places the glyphs' pictures of the line, making those not made yet.
    void placeGlyphs(detail::Renderer& r, bool ahead = false);
    // Makes the pictures of the characters of s in the line's face ahead.
    void prepareGlyphs(detail::Renderer& r, const std::string& s);
    // Draw the text at (ox, oy) scaled by (sx, sy): glyph by glyph, or as one picture.
    void drawGlyphs(detail::Renderer& r, double ox, double oy, double sx, double sy, double a);
    void drawWhole(detail::Renderer& r, double ox, double oy, double sx, double sy, double a);
    // Where a line starts in the picture, from its alignment.
    double lineLeft(const Line& l) const;
    // How much wider each blank of a justified line is drawn; 0 when it is not justified.
    double blankStretch(const Line& l) const;
    void updateCaretX();
    std::string displayText(const std::string& s) const;
    void editReplace(int from, int to, const std::string& insert);

    std::string plain_;
    std::string html_;
    std::vector<Run> runs_;
    TextFormat defaultFormat_;
    std::string autoSize_ = TextFieldAutoSize::NONE;
    std::string type_ = TextFieldType::DYNAMIC;
    bool wordWrap_ = false;
    bool multiline_ = false;
    bool selectable_ = true;
    bool password_ = false;
    int maxChars_ = 0;
    bool border_ = false;
    bool overflowVisible_ = false;
    std::uint32_t borderColor_ = 0;
    bool background_ = false;
    std::uint32_t backgroundColor_ = 0xFFFFFF;
    double boxWidth_ = 100;
    double boxHeight_ = 100;

    std::vector<Line> lines_;
    std::vector<Piece> pieces_;
    double textWidth_ = 0;
    double textHeight_ = 0;
    bool rasterDirty_ = true;
    // The picture is kept for one output scale, the one it was last drawn at.
    std::unique_ptr<detail::RasterContent> raster_;
    bool byGlyph_ = false;
    std::string glyphsAhead_;
    std::unique_ptr<detail::GlyphRun> glyphs_;

    int caret_ = 0;
    double caretX_ = 0;
    double caretHeight_ = 12;
    double scrollX_ = 0;
};

using TextFieldPtr = std::shared_ptr<TextField>;

}  // namespace scene
