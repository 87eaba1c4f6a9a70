#include <gtest/gtest.h>

#include "support/TestGame.h"

namespace {

// A screen that counts how often it was told to tear down.
class Probe : public CScreen {
public:
    explicit Probe(int id) : id(id) {}
    void Delete() override { ++deletes; }
    int id;
    int deletes = 0;
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
    EXPECT_EQ(made[0]->deletes, 2);  // told by both changes
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
    EXPECT_EQ(welcome->deletes, 1);

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
