#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/Fonts.h"
#include "platform/Headless.h"
#include "platform/Renderer.h"
#include "platform/Display.h"

using namespace scene;

namespace {

std::shared_ptr<TextField> field(double size, const std::string& text) {
    auto t = std::make_shared<TextField>();
    t->setDefaultTextFormat(TextFormat("Arial", size, 0x000000));
    t->setText(text);
    return t;
}

}  // namespace

TEST(Text, ArialResolvesToAnInstalledFace) {
    const std::string regular = detail::fontPath("Arial", false);
    const std::string bold = detail::fontPath("Arial", true);
    EXPECT_NE(regular.find("LiberationSans"), std::string::npos) << regular;
    EXPECT_NE(bold.find("Bold"), std::string::npos) << bold;
}

TEST(Text, AutoSizeLeftAndCenterFitTheBoxToTheText) {
    auto t = field(20, "Sushi");
    t->setX(100);
    t->setWidth(300);
    EXPECT_DOUBLE_EQ(t->width(), 300);  // no auto-size: the box stays
    const double w = t->textWidth();
    EXPECT_GT(w, 40);
    EXPECT_LT(w, 70);
    EXPECT_GT(t->textHeight(), 20);
    EXPECT_LT(t->textHeight(), 28);

    t->setAutoSize(TextFieldAutoSize::LEFT);
    EXPECT_DOUBLE_EQ(t->x(), 100);
    EXPECT_NEAR(t->width(), w + 4, 1.0);
    EXPECT_NEAR(t->height(), t->textHeight() + 4, 1.0);

    auto c = field(20, "Sushi");
    c->setX(100);
    c->setWidth(300);
    c->setAutoSize(TextFieldAutoSize::CENTER);
    EXPECT_NEAR(c->x() + c->width() / 2, 250, 1.0);  // the centre stays put

    const double before = t->textWidth();
    t->setText("Sushi bar");
    EXPECT_GT(t->textWidth(), before);
    EXPECT_NEAR(t->width(), t->textWidth() + 4, 1.0);
}

TEST(Text, LineBreaksAndWordWrap) {
    auto t = field(16, "one\ntwo\nthree");
    EXPECT_EQ(t->numLines(), 3);
    const double single = field(16, "one")->textHeight();
    EXPECT_NEAR(t->textHeight(), 3 * single, 1.0);

    auto wrap = field(16, "the quick brown fox jumps over the lazy dog again and again");
    wrap->setWidth(120);
    EXPECT_EQ(wrap->numLines(), 1);
    wrap->setWordWrap(true);
    EXPECT_GT(wrap->numLines(), 3);
    EXPECT_LE(wrap->textWidth(), 116);

    // A word longer than the box is broken rather than cut off.
    auto longWord = field(16, "Supercalifragilisticexpialidocious");
    longWord->setWidth(60);
    longWord->setWordWrap(true);
    EXPECT_GT(longWord->numLines(), 2);
    EXPECT_LE(longWord->textWidth(), 56);

    // CR LF and lone CR count as one break each.
    EXPECT_EQ(field(16, "a\r\nb\rc")->numLines(), 3);
}

TEST(Text, HtmlSubsetFormatsAndShowsTheRestAsText) {
    auto t = field(16, "");
    t->setHtmlText("<b>Bold</b> and <font color=\"#ff0000\">red</font><br>next &lt;tag&gt;");
    EXPECT_EQ(t->text(), "Bold and red\nnext <tag>");
    EXPECT_EQ(t->numLines(), 2);
    t->setHtmlText("<script>alert(1)</script>");
    EXPECT_EQ(t->text(), "<script>alert(1)</script>");
    t->setHtmlText("broken <b unterminated");
    EXPECT_EQ(t->text(), "broken <b unterminated");
}

TEST(Text, InputFieldEditingMaskingAndLimits) {
    Headless h;
    auto t = field(16, "");
    t->setType(TextFieldType::INPUT);
    t->setWidth(200);
    t->setHeight(24);
    h.stage().addChild(t);
    h.stage().setFocus(t);
    h.type("sakè");
    EXPECT_EQ(t->text(), "sakè");
    h.keyDown(Keyboard::LEFT);
    h.keyDown(Keyboard::BACKSPACE);
    EXPECT_EQ(t->text(), "saè");
    h.keyDown(Keyboard::HOME);
    h.keyDown(Keyboard::DELETE);
    EXPECT_EQ(t->text(), "aè");
    h.keyDown(Keyboard::END);
    h.type("!\x01\n");
    EXPECT_EQ(t->text(), "aè!");  // control characters and line breaks are not typed in one line

    t->setMaxChars(4);
    h.type("xyz");
    EXPECT_EQ(t->text(), "aè!x");

    auto masked = field(16, "secret");
    auto plain = field(16, "******");
    masked->setDisplayAsPassword(true);
    EXPECT_EQ(masked->text(), "secret");
    EXPECT_DOUBLE_EQ(masked->textWidth(), plain->textWidth());

    // Typing reaches only a focused input field.
    auto label = field(16, "fixed");
    h.stage().addChild(label);
    h.stage().setFocus(label);
    h.type("zz");
    EXPECT_EQ(label->text(), "fixed");
}

TEST(Text, GlowIsRasterisedOnceAndAgainOnlyAfterAChange) {
    Headless h;
    auto t = field(24, "Pelmora");
    t->setAutoSize(TextFieldAutoSize::LEFT);
    t->setFilters({GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3)});
    h.stage().addChild(t);
    detail::Renderer::resetRasterCount();
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 2);  // the text and its glow
    detail::Renderer::resetRasterCount();
    for (int i = 0; i < 100; ++i) {
        t->setAlpha(0.5 + (i % 2) * 0.5);  // opacity does not re-render text
        h.step();
    }
    EXPECT_EQ(detail::Renderer::rasterCount(), 0);
    t->setText("Pelmora!");
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 2);
    detail::Renderer::resetRasterCount();
    t->setText("Pelmora!");  // the same text is no change
    TextFormat red;
    red.color = 0xFF0000;
    t->setTextFormat(red);
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 2);
    detail::Renderer::resetRasterCount();
    for (int i = 0; i < 10; ++i) {
        t->setTextFormat(red);  // a format already in place is no change either
        h.step();
    }
    EXPECT_EQ(detail::Renderer::rasterCount(), 0);
}

TEST(Text, SameContentIsRasterisedOnceWhereverItIsShown) {
    Headless h;
    const auto show = [&](const std::string& text, std::uint32_t color, double x) {
        auto t = field(24, text);
        t->setTextColor(color);
        t->setWidth(300);
        t->setHeight(40);
        t->setDefaultTextFormat(TextFormat("Arial", 24, color, false, TextFormatAlign::RIGHT));
        t->setText(text);
        t->setFilters({GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3)});
        t->setX(x);
        h.stage().addChild(t);
        return t;
    };
    const auto tag = [&](std::uint32_t color, double y) {
        auto s = std::make_shared<Sprite>();
        s->graphics().beginFill(color);
        s->graphics().drawRoundRect(0, 0, 45, 20, 4);
        s->setY(y);
        h.stage().addChild(s);
    };
    show("HUMH", 0x0000FF, 0);
    show("HUMH", 0x0000FF, 400);
    tag(0x00FF00, 300);
    tag(0x00FF00, 400);
    h.step();
    // Shown twice, a picture is kept: the next field or shape showing it only copies it.
    show("HUMH", 0x0000FF, 400);
    tag(0x00FF00, 440);
    detail::Renderer::resetRasterCount();
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 0);
    show("HUMH", 0x0000FE, 0);
    show("HUMN", 0x0000FF, 0);
    tag(0x00FF01, 300);
    detail::Renderer::resetRasterCount();
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 5);  // any change of letters, colour or shape is another picture
    // Only the ink is kept, drawn where the whole box would put it: at the right.
    int left = 800, right = -1;
    for (int x = 0; x < 350; ++x) {
        const std::uint32_t c = h.pixel(x, 20);
        if ((c & 0xFF) > 128 && ((c >> 16) & 0xFF) < 64) left = std::min(left, x), right = std::max(right, x);
    }
    EXPECT_GT(left, 200);
    EXPECT_NEAR(right, 298, 3);
}

TEST(Text, ScaledOutputRasterisesOncePerScaleIntoTheSameStageRectangle) {
    EXPECT_EQ(detail::Renderer::rasterScaleFor(1.5 + 1.0 / 800, 1.5), 1.5);  // one pixel wider: no new picture
    const detail::SurfacePtr out(SDL_CreateRGBSurfaceWithFormat(0, 1600, 960, 32, SDL_PIXELFORMAT_ARGB8888));
    const detail::SdlRendererPtr sdl(SDL_CreateSoftwareRenderer(out.get()));
    detail::Renderer renderer(sdl.get());
    Stage stage;
    auto t = field(30, "HUMH");  // straight stems at both ends: as much glow on each side
    t->setTextColor(0x0000FF);
    t->setAutoSize(TextFieldAutoSize::LEFT);
    t->setFilters({GlowFilter(0xFFFF00, 1.0, 3, 3, 3, 3)});
    t->setX(100.25);
    stage.addChild(t);
    std::vector<double> first;  // left, right, top, bottom of the text, then of its glow, at scale 1
    for (double k : {1.0, 2.0, 1.5}) {
        detail::Renderer::resetRasterCount();
        for (int frame = 0; frame < 3; ++frame) stage.renderFrame(renderer, k, k);
        EXPECT_EQ(detail::Renderer::rasterCount(), 2) << k;  // the text and its glow, once
        std::vector<double> e{1e9, -1, 1e9, -1, 1e9, -1e9, 1e9, -1e9};  // what stays unset fails below
        for (int p = 0; p < out->w * out->h; ++p) {
            const Uint32 c = static_cast<const Uint32*>(out->pixels)[p];
            const int i = ((c >> 16) & 0xFF) > 64 ? 4 : (c & 0xFF) > 128 ? 0 : -1;
            const double x = p % out->w / k, y = p / out->w / k;
            if (i >= 0) e[i] = std::min(e[i], x), e[i + 1] = std::max(e[i + 1], x), e[i + 2] = std::min(e[i + 2], y);
            if (i >= 0) e[i + 3] = std::max(e[i + 3], y);
        }
        if (k == 1.0) first = e;
        EXPECT_NEAR(e[0] - e[4], e[5] - e[1], 1) << k;  // the glow sits evenly around the text
        for (int i = 0; i < 8; ++i) EXPECT_NEAR(e[i], first[i], 1.5) << k << " " << i;  // the same place at any scale
    }
}

TEST(Text, FiguresDrawnByGlyphLookAsWholeTextAndChangeWithoutRasterising) {
    Headless h;
    h.stage().setColor(0x402020);
    const auto figure = [&](double y, bool byGlyph) {
        auto t = std::make_shared<TextField>();
        t->setDefaultTextFormat(TextFormat("Arial", 64, 0xFFFFFF, true, TextFormatAlign::RIGHT));
        t->setText("2048");
        t->setWidth(300);
        t->setHeight(80);
        t->setFilters({GlowFilter(0xFF6080, 1, 8, 8, 3, 2)});  // reaching the next glyph's ink
        t->setDrawnByGlyph(byGlyph, "0123456789");
        t->setY(y);
        h.stage().addChild(t);
        return t;
    };
    auto whole = figure(0, false);
    auto glyphs = figure(100, true);
    glyphs->prepare();
    // Pixels that differ clearly between the two rows.
    const auto differing = [&] {
        h.step();
        int n = 0;
        for (int y = 0; y < 90; ++y) {
            for (int x = 0; x < 310; ++x) {
                const std::uint32_t a = h.pixel(x, y), b = h.pixel(x, y + 100);
                for (int shift : {16, 8, 0}) n += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 48;
            }
        }
        return n;
    };
    EXPECT_LT(differing(), 8);
    whole->setText("9137");
    glyphs->setText("9137");
    detail::Renderer::resetRasterCount();
    h.step();
    EXPECT_EQ(detail::Renderer::rasterCount(), 2);  // the whole text and its glow; no glyph
    EXPECT_LT(differing(), 8);
    // Too long for its box, the figure is drawn whole, cut at the box like any text.
    whole->setText("123456789012");
    glyphs->setText("123456789012");
    EXPECT_EQ(differing(), 0);
}
