#include <gtest/gtest.h>

#include "platform/Headless.h"
#include "platform/Display.h"

using namespace scene;

namespace {

std::shared_ptr<Sprite> filled(double x, double y, double w, double h) {
    auto s = std::make_shared<Sprite>();
    s->graphics().beginFill(0x00FF00);
    s->graphics().drawRect(0, 0, w, h);
    s->graphics().endFill();
    s->setX(x);
    s->setY(y);
    return s;
}

}  // namespace

TEST(HitTest, TopmostVisibleEnabledObjectWins) {
    Stage stage;
    auto bottom = filled(0, 0, 100, 100);
    auto top = filled(50, 50, 100, 100);
    stage.addChild(bottom);
    stage.addChild(top);
    EXPECT_EQ(stage.objectUnder(75, 75), top.get());
    EXPECT_EQ(stage.objectUnder(25, 25), bottom.get());
    EXPECT_EQ(stage.objectUnder(500, 400), &stage);

    top->setVisible(false);
    EXPECT_EQ(stage.objectUnder(75, 75), bottom.get());
    top->setVisible(true);
    top->setMouseEnabled(false);  // its own content lets the pointer through
    EXPECT_EQ(stage.objectUnder(75, 75), bottom.get());
}

TEST(HitTest, BitmapHandsItsHitToItsSpriteAndDisabledTextIsTransparent) {
    Stage stage;
    auto holder = std::make_shared<Sprite>();
    auto bmp = std::make_shared<Bitmap>(std::make_shared<BitmapData>(40, 30, true, 0xFF112233));
    holder->addChild(bmp);
    holder->setX(10);
    holder->setY(10);
    stage.addChild(holder);
    EXPECT_EQ(stage.objectUnder(20, 20), holder.get());
    EXPECT_EQ(stage.objectUnder(60, 20), &stage);
    bmp->setVisible(false);  // a hidden picture is not there to press
    EXPECT_EQ(stage.objectUnder(20, 20), &stage);
    bmp->setVisible(true);

    auto label = std::make_shared<TextField>();
    label->setWidth(40);
    label->setHeight(30);
    holder->addChild(label);
    EXPECT_EQ(stage.objectUnder(20, 20), label.get());
    label->setMouseEnabled(false);
    EXPECT_EQ(stage.objectUnder(20, 20), holder.get());

    // A scaled container maps the point into its children's coordinates.
    holder->setScaleX(2);
    EXPECT_EQ(stage.objectUnder(85, 20), holder.get());
    EXPECT_EQ(stage.objectUnder(95, 20), &stage);
}

TEST(DisplayList, ReparentingAndChildIndices) {
    Stage stage;
    auto a = filled(0, 0, 10, 10), b = filled(0, 0, 10, 10), c = filled(0, 0, 10, 10);
    stage.addChild(a);
    stage.addChild(b);
    stage.addChildAt(c, 0);
    EXPECT_EQ(stage.getChildIndex(c.get()), 0);
    EXPECT_EQ(stage.getChildIndex(b.get()), 2);
    a->addChild(b);  // moving b removes it from the stage
    EXPECT_EQ(stage.numChildren(), 2);
    EXPECT_EQ(b->parent(), a.get());
    EXPECT_TRUE(stage.contains(b.get()));
    EXPECT_EQ(b->stage(), &stage);
    EXPECT_EQ(stage.removeChildAt(7), nullptr);
    b->addChild(a);  // a cycle is refused
    EXPECT_EQ(a->parent(), &stage);
    stage.removeChild(a);
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(b->stage(), nullptr);
}

TEST(DisplayList, WidthAndHeightSettersRescale) {
    auto s = filled(0, 0, 50, 20);
    s->setWidth(100);
    s->setHeight(10);
    EXPECT_DOUBLE_EQ(s->scaleX(), 2.0);
    EXPECT_DOUBLE_EQ(s->scaleY(), 0.5);
    EXPECT_DOUBLE_EQ(s->width(), 100);
    auto child = filled(50, 0, 50, 20);
    s->addChild(child);  // bounds now 0..100 wide before scaling
    EXPECT_DOUBLE_EQ(s->width(), 200);
    child->setVisible(false);
    EXPECT_DOUBLE_EQ(s->width(), 100);

    auto bmp = std::make_shared<Bitmap>(std::make_shared<BitmapData>(64, 32));
    bmp->setWidth(32);
    bmp->setHeight(64);
    EXPECT_DOUBLE_EQ(bmp->scaleX(), 0.5);
    EXPECT_DOUBLE_EQ(bmp->scaleY(), 2.0);
    auto empty = std::make_shared<Sprite>();
    empty->setWidth(10);  // nothing to scale
    EXPECT_DOUBLE_EQ(empty->scaleX(), 1.0);
}

TEST(Stage, ExactFitMapsAWideWindowBackToTheStage) {
    Stage stage;
    stage.setScaleMode(StageScaleMode::EXACT_FIT);
    stage.setWindowSize(1600, 480);
    const Point p = stage.windowToStage(1600, 240);
    EXPECT_DOUBLE_EQ(p.x, 800);
    EXPECT_DOUBLE_EQ(p.y, 240);
    const Point q = stage.windowToStage(400, 120);
    EXPECT_DOUBLE_EQ(q.x, 200);
    EXPECT_DOUBLE_EQ(q.y, 120);
    stage.setWindowSize(800, 960);
    EXPECT_DOUBLE_EQ(stage.windowToStage(100, 960).y, 480);
    EXPECT_EQ(stage.stageWidth(), 800);
    stage.setScaleMode(StageScaleMode::SHOW_ALL);  // 1600 by 1000: bars of 20 above and below
    stage.setWindowSize(1600, 1000);
    EXPECT_DOUBLE_EQ(stage.windowToStage(1236, 70).y, 25);
    stage.setWindowSize(1400, 600);  // bars of 200 beside
    EXPECT_DOUBLE_EQ(stage.windowToStage(200 + 618 * 1.25, 0).x, 618);
}

TEST(DisplayList, LocalAndGlobalCoordinates) {
    Stage stage;
    auto a = filled(100, 50, 10, 10);
    a->setScaleX(2);
    auto b = filled(10, 10, 10, 10);
    a->addChild(b);
    stage.addChild(a);
    const Point g = b->localToGlobal({5, 5});
    EXPECT_DOUBLE_EQ(g.x, 100 + (10 + 5) * 2);
    EXPECT_DOUBLE_EQ(g.y, 50 + 15);
    const Point l = b->globalToLocal(g);
    EXPECT_DOUBLE_EQ(l.x, 5);
    EXPECT_DOUBLE_EQ(l.y, 5);
}
