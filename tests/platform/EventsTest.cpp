#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Headless.h"
#include "platform/Display.h"

using namespace scene;

namespace {

// Records every event it hears, optionally acting on it.
class Recorder : public Sprite {
public:
    explicit Recorder(std::string name, std::vector<std::string>* log) : log_(log) { setName(std::move(name)); }
    void onEvent(Event& e) {
        log_->push_back(name() + ":" + e.type());
        if (stopHere) e.stopPropagation();
        if (removeSelf && parent()) parent()->removeChild(this);
    }
    void other(Event& e) { log_->push_back(name() + ":other:" + e.type()); }
    bool stopHere = false;
    bool removeSelf = false;

private:
    std::vector<std::string>* log_;
};

std::shared_ptr<Recorder> box(const std::string& name, std::vector<std::string>* log, double x, double y, double w,
                              double h) {
    auto r = std::make_shared<Recorder>(name, log);
    r->graphics().beginFill(0xFF0000);
    r->graphics().drawRect(0, 0, w, h);
    r->graphics().endFill();
    r->setX(x);
    r->setY(y);
    return r;
}

}  // namespace

TEST(Events, BubbleFromDeepestTargetAndStopPropagation) {
    Headless h;
    std::vector<std::string> log;
    auto outer = box("outer", &log, 100, 100, 200, 200);
    auto inner = box("inner", &log, 10, 10, 50, 50);
    outer->addChild(inner);
    h.stage().addChild(outer);
    outer->addEventListener(MouseEvent::MOUSE_DOWN, outer.get(), &Recorder::onEvent);
    inner->addEventListener(MouseEvent::MOUSE_DOWN, inner.get(), &Recorder::onEvent);

    h.mouseDown(120, 120);
    EXPECT_EQ(log, (std::vector<std::string>{"inner:mouseDown", "outer:mouseDown"}));

    log.clear();
    inner->stopHere = true;
    h.mouseDown(120, 120);
    EXPECT_EQ(log, (std::vector<std::string>{"inner:mouseDown"}));

    log.clear();
    h.mouseDown(250, 250);  // outside inner: only outer hears it
    EXPECT_EQ(log, (std::vector<std::string>{"outer:mouseDown"}));
}

TEST(Events, HandlerMayDetachItsOwnTargetAndTheWalkGoesOn) {
    Headless h;
    std::vector<std::string> log;
    auto outer = box("outer", &log, 0, 0, 100, 100);
    auto inner = box("inner", &log, 0, 0, 50, 50);
    outer->addChild(inner);
    h.stage().addChild(outer);
    inner->removeSelf = true;
    inner->addEventListener(MouseEvent::MOUSE_DOWN, inner.get(), &Recorder::onEvent);
    outer->addEventListener(MouseEvent::MOUSE_DOWN, outer.get(), &Recorder::onEvent);
    std::weak_ptr<Recorder> weakInner = inner;
    inner.reset();  // the tree holds the only reference now

    h.mouseDown(10, 10);
    EXPECT_EQ(log, (std::vector<std::string>{"inner:mouseDown", "outer:mouseDown"}));
    EXPECT_EQ(outer->numChildren(), 0);
    EXPECT_TRUE(weakInner.expired());
}

namespace {

class Remover : public Sprite {
public:
    std::vector<std::string> heard;
    Remover* victim = nullptr;
    Remover* addTo = nullptr;
    void first(Event& e) {
        heard.push_back("first");
        if (victim) victim->removeEventListener(e.type(), victim, &Remover::second);
        if (addTo) addTo->addEventListener(e.type(), addTo, &Remover::third);
    }
    void second(Event&) { heard.push_back("second"); }
    void third(Event&) { heard.push_back("third"); }
};

}  // namespace

TEST(Events, ListenersChangedDuringDispatchFollowTheSnapshotRule) {
    auto r = std::make_shared<Remover>();
    r->victim = r.get();
    r->addTo = r.get();
    r->addEventListener("ping", r.get(), &Remover::first);
    r->addEventListener("ping", r.get(), &Remover::second);
    Event e("ping");
    r->dispatchEvent(e);
    // "second" was removed before its turn; "third" only joins from the next dispatch.
    EXPECT_EQ(r->heard, (std::vector<std::string>{"first"}));
    r->victim = nullptr;
    r->addTo = nullptr;
    Event e2("ping");
    r->dispatchEvent(e2);
    EXPECT_EQ(r->heard, (std::vector<std::string>{"first", "first", "third"}));
}

TEST(Events, SamePairRegisteredTwiceIsOneListenerAndRemovesCleanly) {
    auto r = std::make_shared<Remover>();
    r->addEventListener("ping", r.get(), &Remover::second);
    r->addEventListener("ping", r.get(), &Remover::second);
    Event e("ping");
    r->dispatchEvent(e);
    EXPECT_EQ(r->heard.size(), 1u);
    r->removeEventListener("ping", r.get(), &Remover::second);
    EXPECT_FALSE(r->hasEventListener("ping"));
}

namespace {

class Ticker : public Sprite {
public:
    int ticks = 0;
    std::shared_ptr<Sprite> spawnInto;
    void onFrame(Event&) {
        ++ticks;
        if (spawnInto) {
            auto child = std::make_shared<Ticker>();
            child->addEventListener(Event::ENTER_FRAME, child.get(), &Ticker::onFrame);
            spawnInto->addChild(child);
            spawnInto.reset();
        }
    }
};

}  // namespace

TEST(Events, EnterFrameReachesObjectsOffStageAndJoinersStartNextFrame) {
    Headless h;
    auto offStage = std::make_shared<Ticker>();
    offStage->addEventListener(Event::ENTER_FRAME, offStage.get(), &Ticker::onFrame);
    auto onStage = std::make_shared<Ticker>();
    onStage->spawnInto = onStage;
    onStage->addEventListener(Event::ENTER_FRAME, onStage.get(), &Ticker::onFrame);
    h.stage().addChild(onStage);

    h.step();
    EXPECT_EQ(offStage->ticks, 1);
    EXPECT_EQ(onStage->ticks, 1);
    ASSERT_EQ(onStage->numChildren(), 1);
    auto spawned = std::static_pointer_cast<Ticker>(onStage->getChildAt(0));
    EXPECT_EQ(spawned->ticks, 0);  // added during the frame: first called on the next
    h.step();
    EXPECT_EQ(spawned->ticks, 1);
    EXPECT_EQ(offStage->ticks, 2);

    // A destroyed listener is forgotten, not called.
    const auto before = EventDispatcher::frameListenerCount();
    offStage.reset();
    EXPECT_EQ(EventDispatcher::frameListenerCount(), before - 1);
    onStage->removeEventListener(Event::ENTER_FRAME, onStage.get(), &Ticker::onFrame);
    h.step();
    EXPECT_EQ(onStage->ticks, 2);
    onStage->removeChildAt(0);
}

TEST(Events, OverAndOutFollowThePointerBetweenNestedObjects) {
    Headless h;
    std::vector<std::string> log;
    auto outer = box("outer", &log, 100, 100, 200, 200);
    auto inner = box("inner", &log, 50, 50, 50, 50);
    outer->addChild(inner);
    h.stage().addChild(outer);
    for (auto* r : {outer.get(), inner.get()}) {
        r->addEventListener(MouseEvent::MOUSE_OVER, r, &Recorder::onEvent);
        r->addEventListener(MouseEvent::MOUSE_OUT, r, &Recorder::onEvent);
    }
    h.mouseMove(10, 10);     // stage
    h.mouseMove(110, 110);   // outer
    h.mouseMove(160, 160);   // inner (bubbles to outer)
    h.mouseMove(165, 165);   // still inner: nothing
    h.mouseMove(110, 110);   // back to outer
    h.mouseMove(10, 10);     // stage
    EXPECT_EQ(log, (std::vector<std::string>{"outer:mouseOver", "outer:mouseOut", "inner:mouseOver",
                                             "outer:mouseOver", "inner:mouseOut", "outer:mouseOut",
                                             "outer:mouseOver", "outer:mouseOut"}));
}

TEST(Events, KeyDownGoesToTheFocusedFieldAndBubbles) {
    Headless h;
    std::vector<std::string> log;
    auto panel = box("panel", &log, 0, 0, 10, 10);
    auto field = std::make_shared<TextField>();
    field->setType(TextFieldType::INPUT);
    panel->addChild(field);
    h.stage().addChild(panel);
    panel->addEventListener(KeyboardEvent::KEY_DOWN, panel.get(), &Recorder::onEvent);
    h.keyDown(Keyboard::ENTER);
    EXPECT_TRUE(log.empty());  // no focus: the stage alone hears it
    h.stage().setFocus(field);
    h.type("ab");
    h.keyDown(Keyboard::ENTER);
    EXPECT_EQ(log, (std::vector<std::string>{"panel:keyDown"}));
    EXPECT_EQ(field->text(), "ab");
}

TEST(Events, ListenerWhoseObjectDiedIsNeverCalled) {
    Headless h;
    std::vector<std::string> log;
    auto target = box("target", &log, 0, 0, 100, 100);
    h.stage().addChild(target);
    const std::size_t framesBefore = EventDispatcher::frameListenerCount();
    {
        // Listens on longer-lived objects: the stage's frames and the target's presses.
        auto listener = std::make_shared<Recorder>("dead", &log);
        h.stage().addEventListener(Event::ENTER_FRAME, listener.get(), &Recorder::onEvent);
        target->addEventListener(MouseEvent::MOUSE_DOWN, listener.get(), &Recorder::onEvent);
        h.step();
        h.mouseDown(10, 10);
        ASSERT_EQ(log.size(), 2u);
    }
    log.clear();
    h.step(2);
    h.mouseDown(10, 10);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(target->hasEventListener(MouseEvent::MOUSE_DOWN));  // dropped, not kept
    EXPECT_EQ(EventDispatcher::frameListenerCount(), framesBefore);
}
