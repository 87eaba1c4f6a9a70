#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include <SDL.h>

#include "platform/Headless.h"
#include "platform/Display.h"
#include "platform/Renderer.h"

using namespace scene;

namespace {

int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

void expectNear(std::uint32_t got, std::uint32_t want, int tolerance = 3) {
    for (int shift : {16, 8, 0}) {
        EXPECT_NEAR(channel(got, shift), channel(want, shift), tolerance)
            << std::hex << "got 0x" << got << " want 0x" << want;
    }
}

}  // namespace

TEST(Render, KnownStageDrawsWhereItShould) {
    Headless h;
    h.stage().setColor(0x000000);
    auto panel = std::make_shared<Sprite>();
    panel->graphics().beginFill(0x3060C0);
    panel->graphics().drawRoundRect(0, 0, 200, 100, 40);
    panel->graphics().endFill();
    panel->setX(100);
    panel->setY(50);
    h.stage().addChild(panel);

    auto half = std::make_shared<Bitmap>(std::make_shared<BitmapData>(10, 10, true, 0xFFFF0000));
    half->setX(400);
    half->setY(300);
    half->setWidth(40);   // stretched to 40 by 20
    half->setHeight(20);
    half->setAlpha(0.5);
    h.stage().addChild(half);

    auto hidden = std::make_shared<Bitmap>(std::make_shared<BitmapData>(10, 10, true, 0xFF00FF00));
    hidden->setX(600);
    hidden->setVisible(false);
    h.stage().addChild(hidden);

    auto label = std::make_shared<TextField>();
    label->setDefaultTextFormat(TextFormat("Arial", 40, 0xFFFFFF, true));
    label->setText("MMMM");
    label->setAutoSize(TextFieldAutoSize::LEFT);
    label->setX(500);
    label->setY(100);
    h.stage().addChild(label);
    h.step();

    expectNear(h.pixel(200, 100), 0x3060C0);   // inside the panel
    expectNear(h.pixel(101, 51), 0x000000);    // the rounded corner leaves the background
    expectNear(h.pixel(120, 100), 0x3060C0);   // the straight edge is filled
    expectNear(h.pixel(420, 310), 0x800000, 4); // half-transparent red over black
    expectNear(h.pixel(445, 310), 0x000000);   // beyond the stretched bitmap
    expectNear(h.pixel(605, 5), 0x000000);     // invisible objects draw nothing

    // The text put light pixels somewhere in its box and nowhere outside it.
    int lit = 0;
    for (int y = 100; y < 100 + static_cast<int>(label->height()); ++y) {
        for (int x = 500; x < 500 + static_cast<int>(label->width()); ++x) lit += channel(h.pixel(x, y), 16) > 200;
    }
    EXPECT_GT(lit, 200);
    expectNear(h.pixel(499 + static_cast<int>(label->width()) + 5, 120), 0x000000);

    const auto path = std::filesystem::temp_directory_path() / "pelmora-render-test.png";
    ASSERT_TRUE(h.savePNG(path.string()));
    auto bytes = files::read(path.string());
    ASSERT_TRUE(bytes.has_value());
    auto decoded = BitmapData::fromBytes(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 800);
    EXPECT_EQ(decoded->height(), 480);
    EXPECT_EQ(decoded->getPixel32(200, 100) & 0xFFFFFF, h.pixel(200, 100));
    EXPECT_EQ(decoded->getPixel32(420, 310) & 0xFFFFFF, h.pixel(420, 310));  // red stays red
    std::filesystem::remove(path);
}

TEST(Render, DamagedImageBytesGiveNoBitmap) {
    const std::uint8_t junk[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 3};
    EXPECT_EQ(BitmapData::fromBytes(junk), nullptr);
    EXPECT_EQ(BitmapData::fromBytes({}), nullptr);
}

TEST(Render, StretchedPicturesAndFadingGroupsDrawAsBefore) {
    Headless h;
    h.stage().setColor(0x000000);
    // A gradient stretched at a fractional place: the copy made for its size
    // must put the same pixels where the stretched draw put them.
    auto ramp = std::make_shared<BitmapData>(10, 10, true, 0);
    SDL_Surface* pixels = ramp->surface();
    for (int y = 0; y < 10; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels->pixels) + y * pixels->pitch);
        for (int x = 0; x < 10; ++x) row[x] = 0x80000000u | (x * 25u) << 16 | (y * 25u) << 8 | 0x40;
    }
    auto stretched = std::make_shared<Bitmap>(ramp);
    stretched->setX(600.5);
    stretched->setWidth(37);
    stretched->setHeight(23);
    h.stage().addChild(stretched);

    // Red under an overlapping green, faded as one picture: the red shows
    // nowhere under the green.
    auto group = std::make_shared<Sprite>();
    auto red = std::make_shared<Bitmap>(std::make_shared<BitmapData>(40, 40, true, 0xFFFF0000));
    auto green = std::make_shared<Bitmap>(std::make_shared<BitmapData>(40, 40, true, 0xFF00FF00));
    green->setX(20);
    green->setFilters({GlowFilter(0xFFFFFF, 1, 8, 8, 2, 2)});
    group->addChild(red);
    group->addChild(green);
    group->setX(100);
    group->setY(100);
    group->setAlpha(0.5);
    group->setCacheAsBitmap(true);
    h.stage().addChild(group);

    h.step();
    std::vector<std::uint32_t> first;
    for (int y = 0; y < 25; ++y) {
        for (int x = 598; x < 640; ++x) first.push_back(h.pixel(x, y));
    }
    h.step(detail::Texture::COPY_AFTER);
    std::size_t i = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 598; x < 640; ++x) ASSERT_EQ(h.pixel(x, y), first[i++]) << x << "," << y;
    }
    // Those pixels came from the copy; a picture that shrinks a pixel every
    // third frame is drawn from its own texture throughout.
    auto icon = std::make_shared<BitmapData>(10, 10, true, 0xFF808080);
    auto shrinking = std::make_shared<Bitmap>(icon);
    h.stage().addChild(shrinking);
    std::vector<detail::DrawCall> calls;
    detail::Renderer::record(&calls);
    for (int frame = 0; frame < 3 * detail::Texture::COPY_AFTER; ++frame, h.step()) shrinking->setWidth(40 - frame / 3);
    detail::Renderer::record(nullptr);
    int asMeant = 0;
    for (const auto& c : calls) {
        if (c.kind != detail::DrawCall::Copy || c.y != 0) continue;
        asMeant += c.x < 600 ? c.texture == icon->texture().get() : c.texture != ramp->texture().get();
    }
    EXPECT_EQ(asMeant, 6 * detail::Texture::COPY_AFTER);
    expectNear(h.pixel(110, 120), 0x800000);  // red alone
    expectNear(h.pixel(130, 120), 0x008000);  // green over red, the red unseen
    EXPECT_GT(channel(h.pixel(163, 120), 16), 20);  // the green's glow beyond the group's bounds

    group->setAlpha(1);
    h.step();
    expectNear(h.pixel(130, 120), 0x00FF00);
    // A child added is drawn: the group's picture is made again.
    auto blue = std::make_shared<Bitmap>(std::make_shared<BitmapData>(10, 10, true, 0xFF0000FF));
    blue->setY(50);
    group->addChild(blue);
    h.step();
    expectNear(h.pixel(105, 155), 0x0000FF);
}
