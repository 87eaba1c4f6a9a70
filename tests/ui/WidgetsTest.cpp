#include <gtest/gtest.h>

#include "support/TestGame.h"
#include "ui/CButton.h"
#include "ui/CButtonSmall.h"
#include "ui/CLabel.h"
#include "ui/CText.h"
#include "ui/CTitle.h"
#include "ui/UiTestPackage.h"

namespace {

const std::string kLongLine =
    "This sentence is much longer than any paragraph could show on one line of the window, so it has to wrap "
    "somewhere before the right edge instead of running off it.";

class TextWidgets : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        auto e = uitest::basePackage();
        e["assets/languages/italiano.txt"] = uitest::languageFile({
            "T:=Titolo giusto",
            "ONE:=Una riga",
            "THREE:=Prima riga^MSeconda riga^MTerza riga",
            "LONG:=" + kLongLine,
            "L:=Nome utente",
        });
        package(e);
        screen = std::make_shared<scene::Sprite>();
        stage().addChild(screen);
    }
    std::shared_ptr<scene::Sprite> screen;
};

}  // namespace

TEST_F(TextWidgets, StackBelowTheLastChildOfTheirContainer) {
    auto title = std::make_shared<CTitle>("T", screen.get());
    EXPECT_EQ(title->y(), 25);  // empty container
    EXPECT_EQ(title->x(), 0);
    EXPECT_EQ(title->width(), 800);
    screen->addChild(title);

    auto text = std::make_shared<CText>("ONE", screen.get());
    EXPECT_EQ(text->y(), 25 + title->height() + 25);
    EXPECT_EQ(text->x(), 75);
    screen->addChild(text);

    auto label = std::make_shared<CLabel>("L", screen.get());
    EXPECT_EQ(label->y(), text->y() + text->height() + 25);
    EXPECT_EQ(label->x(), 0);
    screen->addChild(label);

    auto button = std::make_shared<CButton>("ONE", screen.get());
    EXPECT_EQ(button->y(), label->y() + label->height() + 15);
    EXPECT_EQ(button->x(), 0);

    // Without a container, or with an empty one, each class keeps its own gap from the top.
    EXPECT_EQ(CText("ONE", nullptr).y(), 25);
    EXPECT_EQ(CButton("ONE", nullptr).y(), 15);
    scene::Sprite empty;
    EXPECT_EQ(CButtonSmall("ONE", &empty).y(), 25);
    EXPECT_EQ(CLabel("L", &empty).y(), 25);
    // The container is only read: the caller adds the widget.
    EXPECT_EQ(empty.numChildren(), 0);
}

TEST_F(TextWidgets, ButtonUnderAHundredPixelBlockAtTwentyFive) {
    auto block = std::make_shared<scene::Sprite>();
    block->graphics().beginFill(0x00FF00);
    block->graphics().drawRect(0, 0, 300, 100);
    block->graphics().endFill();
    block->setY(25);
    screen->addChild(block);
    EXPECT_EQ(CButton("ONE", screen.get()).y(), 140);
}

TEST_F(TextWidgets, OneLineWidgetsHoldTheirWholeLine) {
    // Boxes as tall as their font size keep the screens' coordinates; the
    // text draws below them so g, p and y keep their descenders.
    CTitle title("T");
    CLabel label("L");
    CButton button("ONE", nullptr);
    CButtonSmall small("ONE", nullptr);
    auto field = [](scene::DisplayObjectContainer& w) {
        return std::dynamic_pointer_cast<scene::TextField>(w.getChildAt(0));
    };
    for (auto* w : std::initializer_list<scene::DisplayObjectContainer*>{&title, &label, &button, &small}) {
        auto t = field(*w);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->numLines(), 1);
        EXPECT_GT(t->textHeight() + 4, t->height());
        EXPECT_TRUE(t->overflowVisible());
        // The cover lies exactly over the text, on top of it.
        auto cover = w->getChildAt(1);
        EXPECT_EQ(cover->width(), t->width());
        EXPECT_EQ(cover->height(), t->height());
    }
    EXPECT_GE(field(title)->height(), 36);
    EXPECT_GE(field(label)->height(), 24);
    EXPECT_EQ(field(label)->width(), 400);
}

TEST_F(TextWidgets, ParagraphWithLineBreaksGrowsAndPushesTheNextWidgetDown) {
    CText one("ONE", nullptr);
    auto three = std::make_shared<CText>("THREE", screen.get());
    screen->addChild(three);
    EXPECT_EQ(three->t_->numLines(), 3);
    EXPECT_GT(three->height(), 2.5 * (one.height() - 4));
    EXPECT_EQ(three->s_->height(), three->t_->height());

    auto next = std::make_shared<CLabel>("L", screen.get());
    EXPECT_EQ(next->y(), three->y() + three->height() + 25);
}

TEST_F(TextWidgets, LongParagraphWrapsInsideTheWindow) {
    auto text = std::make_shared<CText>("LONG", screen.get());
    EXPECT_GT(text->t_->numLines(), 1);
    EXPECT_EQ(text->t_->width(), 650);
    EXPECT_LE(text->x() + text->width(), 800);
    EXPECT_LE(text->t_->textWidth(), 650);
}

TEST_F(TextWidgets, UnknownKeysShowAsTheirOwnText) {
    CTitle title("Pelmora 1.2.3");
    EXPECT_EQ(std::dynamic_pointer_cast<scene::TextField>(title.getChildAt(0))->text(), "Pelmora 1.2.3");
    CText text("NO SUCH KEY");
    EXPECT_EQ(text.t_->text(), "NO SUCH KEY");
    CButton button("ANOTHER MISSING KEY", nullptr);
    EXPECT_EQ(button.t_->text(), "ANOTHER MISSING KEY");
    CLabel label("L");
    EXPECT_EQ(label.t_->text(), "Nome utente");
}

TEST_F(TextWidgets, ThePointerMeetsTheCoverNotTheText) {
    auto title = std::make_shared<CTitle>("T", screen.get());
    screen->addChild(title);
    auto text = std::make_shared<CText>("THREE", screen.get());
    screen->addChild(text);
    EXPECT_EQ(stage().objectUnder(400, title->y() + 10), title->s_.get());
    EXPECT_EQ(stage().objectUnder(100, text->y() + 10), text->s_.get());
}
