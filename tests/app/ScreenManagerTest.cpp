#include <gtest/gtest.h>

#include "support/TestGame.h"

namespace {

// A screen that counts its tear-downs, pauses and frames.
class Probe : public CScreen {
public:
    explicit Probe(int id) : id(id) {
        counter = std::make_shared<scene::Sprite>();
        addChild(counter);
        // Registered on the stage-independent dispatcher of a child, so the
        // pause must come from the tree, not from the screen's own code.
        counter->addEventListener(scene::Event::ENTER_FRAME, this, &Probe::onFrame);
    }
    void Delete() override { ++deletes; }
    void suspend() override { ++suspends; }
    void resume() override { ++resumes; }
    void onFrame(scene::Event&) { ++frames; }
    std::shared_ptr<scene::Sprite> counter;
    int id;
    int deletes = 0, suspends = 0, resumes = 0, frames = 0;
};

class ScreenManager : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        for (int id : {CMain::SCREEN_WELCOME, CMain::SCREEN_PRIVACY, CMain::SCREEN_CREDITS, CMain::SCREEN_LOGIN}) {
            CMain::registerScreen(id, [this, id](const Value&) {
                auto p = std::make_shared<Probe>(id);
                made.push_back(p);
                return p;
            });
        }
    }
    Probe* top() { return dynamic_cast<Probe*>(stage().getChildAt(stage().numChildren() - 1).get()); }
    std::vector<std::shared_ptr<Probe>> made;
};

}  // namespace

TEST_F(ScreenManager, DispatchKeepsTheOldScreenUntilTheNextFrame) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step();
    ASSERT_EQ(stage().numChildren(), 1);
    auto first = made.back();

    CMain::Dispatch(CMain::SCREEN_LOGIN);
    EXPECT_EQ(first->deletes, 1);
    EXPECT_EQ(stage().numChildren(), 2);  // old and new until the next frame
    EXPECT_EQ(top()->id, CMain::SCREEN_LOGIN);
    h().step();
    EXPECT_EQ(stage().numChildren(), 1);
    EXPECT_EQ(top()->id, CMain::SCREEN_LOGIN);
    ASSERT_EQ(CMain::removed_->numChildren(), 1);
    EXPECT_EQ(CMain::removed_->getChildAt(0), first);

    // The next change drops what the last one parked.
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step();
    ASSERT_EQ(CMain::removed_->numChildren(), 1);
    EXPECT_NE(CMain::removed_->getChildAt(0), first);
    EXPECT_EQ(first->deletes, 1);
}

TEST_F(ScreenManager, TwoDispatchesInOneFrameLeaveOnlyTheLast) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step();
    CMain::Dispatch(CMain::SCREEN_LOGIN);
    CMain::Dispatch(CMain::SCREEN_CREDITS);
    EXPECT_EQ(made[0]->deletes, 1);  // once, though both changes replaced it
    EXPECT_EQ(made[1]->deletes, 1);
    EXPECT_EQ(stage().numChildren(), 3);
    h().step();
    EXPECT_EQ(stage().numChildren(), 1);
    EXPECT_EQ(top()->id, CMain::SCREEN_CREDITS);
    EXPECT_EQ(CMain::removed_->numChildren(), 2);

    CMain::Dispatch(99);  // unknown: old screens still go, nothing comes
    h().step();
    EXPECT_EQ(stage().numChildren(), 1);  // the last one standing stays on the stage
}

TEST_F(ScreenManager, CallThenReturnBringsBackTheSameScreen) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step();
    auto welcome = made.back();
    CMain::Call(CMain::SCREEN_PRIVACY);
    h().step();
    EXPECT_EQ(top()->id, CMain::SCREEN_PRIVACY);
    EXPECT_EQ(CMain::stack_.size(), 1u);
    EXPECT_EQ(welcome->deletes, 0);  // suspended, not torn down

    CMain::Return(Value());
    EXPECT_EQ(top(), welcome.get());
    h().step();
    EXPECT_EQ(stage().numChildren(), 1);
    EXPECT_EQ(top(), welcome.get());
    EXPECT_TRUE(CMain::getValue().isNull());
    EXPECT_EQ(made.size(), 2u);  // nothing was built again

    CMain::Call(CMain::SCREEN_CREDITS);
    h().step();
    CMain::Return(Value(5));
    h().step();
    EXPECT_EQ(CMain::getValue(), Value(5));
    CMain::Call(CMain::SCREEN_PRIVACY);
    h().step();
    CMain::Return(Value());
    h().step();
    EXPECT_EQ(CMain::getValue(), Value(5));  // a null value keeps the last one

    // Nothing remembered: Return leaves the current screen alone.
    CMain::Return(Value());
    h().step();
    EXPECT_EQ(top(), welcome.get());
}

TEST_F(ScreenManager, TraceTagsMessagesByLevel) {
    CMain::trace(Value("x"));
    CMain::PosInfos debug{Value::Array{"debug"}};
    CMain::trace(Value("y"), &debug);
    CMain::PosInfos other{Value::Array{"loud"}};
    CMain::trace(Value(), &other);
    CMain::PosInfos none{};
    CMain::trace(Value(7), &none);
    EXPECT_EQ(CMain::trace_window_->text(), "[]x[debug]y[log]null[]7");
}

TEST_F(ScreenManager, FocusGoesToTheFieldAndIgnoresNull) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    auto field = std::make_shared<scene::TextField>();
    field->setType(scene::TextFieldType::INPUT);
    made.back()->addChild(field);
    CMain::setFocus(std::shared_ptr<scene::TextField>());
    EXPECT_EQ(stage().focus(), nullptr);
    CMain::setFocus(field);
    EXPECT_EQ(stage().focus(), field);
}

TEST_F(ScreenManager, SideScreenPausesTheScreenUnderIt) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step(3);
    auto game = made.back();
    const int before = game->frames;
    EXPECT_GT(before, 0);
    game->counter->graphics().beginFill(0xFF0000);
    game->counter->graphics().drawRect(0, 0, 50, 50);
    game->counter->graphics().endFill();
    ASSERT_EQ(stage().objectUnder(10, 10), game->counter.get());

    CMain::Call(CMain::SCREEN_PRIVACY);
    EXPECT_EQ(game->suspends, 1);
    // No input, even in the frame where it still lies on the stage.
    EXPECT_NE(stage().objectUnder(10, 10), game->counter.get());
    h().step(10);
    EXPECT_EQ(game->frames, before);  // no frames while the side screen shows

    CMain::Return(Value());
    EXPECT_EQ(game->resumes, 1);
    h().step(4);
    EXPECT_EQ(game->frames, before + 4);
    EXPECT_EQ(game->deletes, 0);
}

TEST_F(ScreenManager, DispatchFromASideScreenDeletesBothOnce) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step();
    auto under = made.back();
    CMain::Call(CMain::SCREEN_CREDITS);  // in the same frame as a change too
    auto side = made.back();
    CMain::Dispatch(CMain::SCREEN_LOGIN);
    CMain::Dispatch(CMain::SCREEN_LOGIN);
    h().step(2);
    EXPECT_EQ(under->deletes, 1);
    EXPECT_EQ(side->deletes, 1);
    EXPECT_TRUE(CMain::stack_.empty());
    EXPECT_EQ(top()->id, CMain::SCREEN_LOGIN);
}

TEST_F(ScreenManager, ChangesClearFocusAndSwallowTheSecondClick) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    auto field = std::make_shared<scene::TextField>();
    field->setType(scene::TextFieldType::INPUT);
    made.back()->addChild(field);
    CMain::setFocus(field);
    CMain::Dispatch(CMain::SCREEN_LOGIN);
    EXPECT_EQ(stage().focus(), nullptr);

    int presses = 0;
    struct Counter : scene::LifeTracked {
        int* n;
        void onDown(scene::MouseEvent&) { ++*n; }
    } counter;
    counter.n = &presses;
    stage().addEventListener(scene::MouseEvent::MOUSE_DOWN, &counter, &Counter::onDown);
    stage().mouseDown(5, 5, 2);  // second press of the double-click that opened the screen
    EXPECT_EQ(presses, 0);
    stage().mouseDown(5, 5, 2);  // a later double-click is the player's own
    EXPECT_EQ(presses, 1);
    stage().removeEventListener(scene::MouseEvent::MOUSE_DOWN, &counter, &Counter::onDown);
}
