#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/Headless.h"
#include "platform/Display.h"

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
