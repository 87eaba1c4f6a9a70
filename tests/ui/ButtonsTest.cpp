#include <gtest/gtest.h>

#include "app/CSoundButton.h"
#include "support/TestGame.h"
#include "ui/CButton.h"
#include "ui/CButtonLanguage.h"
#include "ui/CButtonSmall.h"
#include "ui/CQuitButton.h"
#include "ui/UiTestPackage.h"

namespace {

constexpr std::uint32_t kNormal = 0x202020;
constexpr std::uint32_t kOver = 0x808020;

class CountingButton : public CButton {
public:
    CountingButton(const std::string& key, scene::DisplayObjectContainer* c) : CButton(key, c) {}
    void listener_click(scene::MouseEvent&) override { ++clicks; }
    int clicks = 0;
};

class CountingSmallButton : public CButtonSmall {
public:
    CountingSmallButton(const std::string& key, scene::DisplayObjectContainer* c) : CButtonSmall(key, c) {}
    void listener_click(scene::MouseEvent&) override { ++clicks; }
    int clicks = 0;
};

// Stands in for the welcome screen.
class WelcomeProbe : public CScreen {};

class Buttons : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        auto e = uitest::basePackage();
        e["assets/languages/italiano.txt"] = uitest::languageFile({"A:=Gioca", "B:=Istruzioni"});
        e["assets/languages/inglese.txt"] = uitest::languageFile({"A:=Play", "B:=How to play"});
        package(e);
        CMain::registerScreen(CMain::SCREEN_WELCOME, [this](const Value&) {
            auto s = std::make_shared<WelcomeProbe>();
            welcomes.push_back(s);
            return s;
        });
        screen = std::make_shared<CScreen>();
        MAux::randomBackground(*screen);
        stage().addChild(screen);
    }
    void TearDown() override {
        // The factory above holds this fixture.
        CMain::registerScreen(CMain::SCREEN_WELCOME, [](const Value&) { return std::shared_ptr<CScreen>(); });
        GameFixture::TearDown();
    }
    static std::uint32_t colour(const CTextButton& b) { return b.t_->getTextFormat().color.value_or(0xFFFFFFFF); }
    static scene::Point middle(const scene::DisplayObject& o) {
        const auto b = o.bounds();
        return o.parent() ? o.parent()->localToGlobal({b.x + b.width / 2, b.y + b.height / 2})
                          : scene::Point{b.x + b.width / 2, b.y + b.height / 2};
    }

    std::shared_ptr<CScreen> screen;
    std::vector<std::shared_ptr<WelcomeProbe>> welcomes;
};

}  // namespace

TEST_F(Buttons, HoverHighlightsOneCaptionAndTheBackgroundResetsAll) {
    auto a = std::make_shared<CountingButton>("A", screen.get());
    screen->addChild(a);
    auto b = std::make_shared<CountingButton>("B", screen.get());
    screen->addChild(b);
    EXPECT_EQ(a->t_->text(), "Gioca");
    EXPECT_EQ(colour(*a), kNormal);

    const auto pa = middle(*a), pb = middle(*b);
    h().mouseMove(pa.x, pa.y);
    EXPECT_EQ(colour(*a), kOver);
    EXPECT_EQ(colour(*b), kNormal);
    h().step(2);  // stays lit while the pointer rests on it
    EXPECT_EQ(colour(*a), kOver);

    h().mouseMove(pb.x, pb.y);
    EXPECT_EQ(colour(*a), kNormal);
    EXPECT_EQ(colour(*b), kOver);

    // Onto the screen's own background, far below the buttons.
    h().mouseMove(400, 470);
    EXPECT_EQ(colour(*a), kNormal);
    EXPECT_EQ(colour(*b), kNormal);
    EXPECT_EQ(a->clicks + b->clicks, 0);  // hovering is not pressing

    // Whatever brings the pointer onto the screen itself resets the captions,
    // even when the lit button was never told that the pointer left it.
    scene::MouseEvent move(scene::MouseEvent::MOUSE_MOVE, pa.x, pa.y);
    a->listener_over(move);
    EXPECT_EQ(colour(*a), kOver);
    scene::MouseEvent over(scene::MouseEvent::MOUSE_OVER, 400, 470);
    screen->dispatchEvent(over);
    EXPECT_EQ(colour(*a), kNormal);

    h().mouseDown(pb.x, pb.y);  // acts on the button going down
    EXPECT_EQ(b->clicks, 1);
    EXPECT_EQ(a->clicks, 0);
}

TEST_F(Buttons, SmallButtonsHoverAndResetTheSameWay) {
    auto s = std::make_shared<CountingSmallButton>("A", screen.get());
    screen->addChild(s);
    EXPECT_EQ(s->t_->getTextFormat().size, std::optional<double>(18));
    const auto p = middle(*s);
    h().mouseMove(p.x, p.y);
    EXPECT_EQ(colour(*s), kOver);
    h().mouseMove(400, 470);
    EXPECT_EQ(colour(*s), kNormal);
    h().click(p.x, p.y);
    EXPECT_EQ(s->clicks, 1);
}

TEST_F(Buttons, DisabledButtonIgnoresPressesAndHoverUntilEnabled) {
    auto a = std::make_shared<CountingButton>("A", screen.get());
    screen->addChild(a);
    a->disable();
    EXPECT_FALSE(a->isEnabled());
    const auto p = middle(*a);
    h().mouseMove(p.x, p.y);
    EXPECT_EQ(colour(*a), kNormal);
    h().click(p.x, p.y);
    h().click(p.x, p.y);
    EXPECT_EQ(a->clicks, 0);

    a->enable();
    a->enable();  // enabling twice still gives one press per press
    h().mouseMove(400, 470);
    h().mouseMove(p.x, p.y);
    EXPECT_EQ(colour(*a), kOver);
    h().click(p.x, p.y);
    EXPECT_EQ(a->clicks, 1);
}

TEST_F(Buttons, NarrowingKeepsTheCaptionAtItsSize) {
    auto a = std::make_shared<CountingButton>("B", screen.get());
    screen->addChild(a);
    a->setWidth(400);
    EXPECT_EQ(a->width(), 400);
    EXPECT_EQ(a->scaleX(), 1);
    EXPECT_EQ(a->t_->width(), 400);
    EXPECT_EQ(a->s_->width(), 400);
    EXPECT_LE(a->t_->textWidth(), 400);
    EXPECT_EQ(a->t_->numLines(), 1);
    // The pointer finds the narrowed button only inside its new width.
    h().click(390, a->y() + 10);
    h().click(410, a->y() + 10);
    EXPECT_EQ(a->clicks, 1);

    // A caption wider than its button shrinks to fit, centred on its row.
    const double full = a->t_->textWidth();
    a->setWidth(full / 2);
    EXPECT_LT(a->t_->scaleX(), 0.6);
    EXPECT_LE(a->t_->width(), full / 2 + 0.01);
    EXPECT_GT(a->t_->y(), 0);
    a->setWidth(800);
    EXPECT_EQ(a->t_->scaleX(), 1);
}

TEST_F(Buttons, ButtonsDroppedBeforeTheirScreenLeaveNoListenerBehind) {
    auto a = std::make_shared<CountingButton>("A", screen.get());
    screen->addChild(a);
    screen->removeChild(a);
    a.reset();
    EXPECT_FALSE(screen->hasEventListener(scene::MouseEvent::MOUSE_OVER));
    h().mouseMove(400, 470);  // would reach a destroyed button otherwise
    h().mouseMove(10, 10);
}

TEST_F(Buttons, FlagStatesFollowThePointer) {
    auto flag = std::make_shared<CButtonLanguage>("inglese");
    flag->setX(700);
    flag->setY(4);
    screen->addChild(flag);
    EXPECT_EQ(flag->width(), 30);
    EXPECT_TRUE(flag->button_->visible());
    EXPECT_FALSE(flag->button_over_->visible());
    EXPECT_FALSE(flag->button_on_->visible());

    h().mouseMove(710, 10);
    EXPECT_TRUE(flag->button_over_->visible());
    EXPECT_FALSE(flag->button_->visible());
    // Still lit on the following frames while the pointer stays on the flag.
    h().step(3);
    EXPECT_TRUE(flag->button_over_->visible());
    h().mouseMove(720, 12);
    h().step();
    EXPECT_TRUE(flag->button_over_->visible());

    h().mouseMove(400, 300);
    h().step();
    EXPECT_TRUE(flag->button_->visible());
    EXPECT_FALSE(flag->button_over_->visible());

    // The current language's flag ignores the pointer.
    flag->setOn();
    h().mouseMove(710, 10);
    h().step();
    EXPECT_TRUE(flag->button_on_->visible());
    h().mouseMove(400, 300);
    EXPECT_TRUE(flag->button_on_->visible());
    EXPECT_FALSE(flag->button_->visible());
}

TEST_F(Buttons, FlagPressSetsTheLanguageAndRebuildsTheWelcomeScreen) {
    auto english = std::make_shared<CButtonLanguage>("inglese");
    auto italian = std::make_shared<CButtonLanguage>("italiano");
    english->setX(700);
    italian->setX(650);
    screen->addChild(english);
    screen->addChild(italian);
    italian->setOn();
    ASSERT_EQ(CML::getLanguage(), "italiano");

    h().click(710, 10);
    EXPECT_EQ(CML::getLanguage(), "inglese");
    EXPECT_EQ(CML::text("A"), "Play");
    ASSERT_EQ(welcomes.size(), 1u);
    h().step();
    EXPECT_EQ(stage().getChildAt(stage().numChildren() - 1), welcomes[0]);

    // The flag of the language already chosen rebuilds the welcome screen too.
    auto again = std::make_shared<CButtonLanguage>("inglese");
    welcomes[0]->addChild(again);
    h().click(5, 5);
    EXPECT_EQ(CML::getLanguage(), "inglese");
    ASSERT_EQ(welcomes.size(), 2u);
    h().step();
    EXPECT_EQ(stage().numChildren(), 1);
    EXPECT_EQ(stage().getChildAt(0), welcomes[1]);
}

namespace {

class PanelProbe : public scene::Sprite, public CSoundButtonHost {
public:
    void listener_mouse_over(scene::MouseEvent&) override { ++resets; }
    int resets = 0;
};

}  // namespace

TEST_F(Buttons, QuitSignSwapsPicturesTellsItsPanelAndLeavesForWelcome) {
    auto panel = std::make_shared<PanelProbe>();
    panel->setX(100);
    panel->setY(400);
    screen->addChild(panel);
    auto quit = std::make_shared<CQuitButton>();
    panel->addChild(quit);
    ASSERT_EQ(quit->numChildren(), 1);
    EXPECT_EQ(quit->getChildAt(0), quit->button_);

    h().mouseMove(110, 410);
    EXPECT_EQ(quit->numChildren(), 1);
    EXPECT_EQ(quit->getChildAt(0), quit->button_over_);
    EXPECT_GE(panel->resets, 1);
    h().step(2);
    EXPECT_EQ(quit->getChildAt(0), quit->button_over_);

    h().mouseMove(400, 200);
    h().step();
    EXPECT_EQ(quit->numChildren(), 1);
    EXPECT_EQ(quit->getChildAt(0), quit->button_);

    h().click(110, 410);
    EXPECT_EQ(welcomes.size(), 1u);

    quit->Delete();
    h().click(110, 410);
    EXPECT_EQ(welcomes.size(), 1u);
}
