// The belt: its path file, slot positions, ageing of the items, their
// departure and the order and consumption clocks.

#include <cmath>

#include "GameTestSupport.h"
#include "app/CSound.h"
#include "game/COrder.h"
#include "game/CPlate.h"
#include "recipes/CPxIcon.h"

using namespace gametest;

namespace {

class BeltClocks : public GameTest {
protected:
    std::shared_ptr<CTape> belt(const std::string& path = "percorso1.txt") {
        host_ = std::make_shared<HostStub>();
        auto tape = std::make_shared<CTape>("nastro1.png", path);
        host_->addChild(tape);
        return tape;
    }
    std::shared_ptr<HostStub> host_;
};

}  // namespace

TEST_F(BeltClocks, PathFilesSkipEmptyLinesAndAPathWithoutSlotsTakesNothing) {
    const auto real = belt();
    package({{"assets/tavoli/blank.txt", testsupport::bytes("\r\n166,138\r\n\r\n322,138 478,138 634,138\r\n")},
             {"assets/tavoli/flat.txt", testsupport::bytes("10,10\r\n20,10 30,10 60,10\r\n")},
             {"assets/tavoli/none.txt", testsupport::bytes("")}});
    MAux::reset();
    // An empty line is no move to (0, 0): the path starts where the move line put it.
    const auto blank = belt("blank.txt");
    ASSERT_FALSE(blank->coordinates_.empty());
    EXPECT_EQ(blank->coordinates_[0].x, 166);
    EXPECT_EQ(blank->slots_, 5);  // 468 pixels of straight belt: a slot every four points of about 21
    // A path without slots gives a belt that takes nothing and keeps running.
    for (const char* path : {"flat.txt", "none.txt"}) {
        const auto idle = belt(path);
        EXPECT_FALSE(idle->putOrder(std::make_shared<COrder>("maki_tonno", 300, nullptr))) << path;
        EXPECT_FALSE(idle->putPlate(std::make_shared<CPlate>("maki_tonno", 100))) << path;
        stepTape(*idle, 40);
        EXPECT_TRUE(idle->isEmpty()) << path;
    }
    EXPECT_GT(real->slots_, 8);
}

TEST_F(BeltClocks, ItemsAdvanceEvery16FramesAndKeepASaneSizeLowOnTheScreen) {
    auto tape = belt();
    auto plate = std::make_shared<CPlate>("maki_tonno", 100);
    ASSERT_TRUE(tape->putPlate(plate));
    EXPECT_EQ(tape->tape_[tape->slots_ - 1], plate);
    stepTape(*tape, 15);
    EXPECT_EQ(plate->parent(), nullptr);
    stepTape(*tape, 1);
    EXPECT_EQ(plate->parent(), tape.get());
    EXPECT_EQ(tape->position_, 1);
    const auto& at = tape->coordinates_[(tape->slot_offsets_.back() + 1) % tape->coordinates_.size()];
    EXPECT_EQ(plate->x(), at.x - 34);
    EXPECT_EQ(plate->y(), at.y - 42);
    for (double y : {349.5, 350.0, 420.0}) {
        plate->setY(y);
        stepTape(*tape, 1);
        EXPECT_DOUBLE_EQ(plate->getChildAt(0)->width(), 64) << y;
        EXPECT_DOUBLE_EQ(plate->getChildAt(0)->height(), 64) << y;
    }
    // The advance counter is shared by every belt of the run.
    const int before = CTape::frame_delay_;
    auto second = belt();
    stepTape(*second, 16 - before);
    EXPECT_EQ(second->position_, 1);
}

TEST_F(BeltClocks, AnUnansweredOrderWorriesThenDriftsInwardAndLeavesUnpaid) {
    auto tape = belt();
    auto order = std::make_shared<COrder>("maki_tonno", 300);
    order->setLifespan(260);
    ASSERT_TRUE(tape->putOrder(order));
    const int sounds = CSound::requests();
    stepTape(*tape, 16);
    EXPECT_FALSE(order->hurry_->visible());
    stepTape(*tape, 20);
    EXPECT_TRUE(order->hurry_->visible());
    EXPECT_EQ(CSound::requests(), sounds + 1);  // one warning, not one per frame
    stepTape(*tape, 224);
    ASSERT_TRUE(order->isDead());
    const double distance = std::hypot(400 - order->x(), 240 - order->y());
    stepTape(*tape, 50);
    EXPECT_LT(std::hypot(400 - order->x(), 240 - order->y()), distance);
    EXPECT_TRUE(host_->dead.empty());
    stepTape(*tape, 50);
    ASSERT_EQ(host_->dead.size(), 1u);
    EXPECT_FALSE(host_->dead[0]->getPositive());
    EXPECT_TRUE(tape->isEmpty());
    EXPECT_EQ(order->parent(), nullptr);
}

TEST_F(BeltClocks, TheOrderClockNeverStallsAndTheBeltStopsWhenTheGameEnds) {
    CPxIcon::setLevels("0\tx\t-\t0\t1000\r\n");
    auto tape = belt();
    stepTape(*tape, 119);
    EXPECT_EQ(host_->newOrders, 0);
    stepTape(*tape, 1);
    EXPECT_EQ(host_->newOrders, 1);  // the first order comes after two seconds
    for (int i = 0; i < 179; ++i) {
        tape->count_for_next_order_ = 1;
        stepTape(*tape, 1);
        ASSERT_GE(tape->count_for_next_order_, 1) << i;
    }
    EXPECT_EQ(host_->newOrders, 180);
    EXPECT_EQ(host_->consumes, 0);
    stepTape(*tape, 1);
    EXPECT_EQ(host_->consumes, 1);  // 300 frames in, the first customer may take a plate
    stepTape(*tape, 599);
    EXPECT_EQ(host_->consumes, 1);
    stepTape(*tape, 1);
    EXPECT_EQ(host_->consumes, 2);  // and another every ten seconds
    tape->count_for_next_order_ = 30;
    tape->decreaseNewOrderCounter();
    EXPECT_EQ(tape->count_for_next_order_, 1);

    host_->over = true;
    scene::EventDispatcher::broadcastEnterFrame();
    EXPECT_FALSE(tape->hasEventListener(scene::Event::ENTER_FRAME));
}

TEST_F(BeltClocks, APlateReplacesTheOrderClosestToExpiringAndTakesItsPrice) {
    auto tape = belt();
    auto a = std::make_shared<COrder>("maki_tonno", 300);
    auto b = std::make_shared<COrder>("maki_tonno", 450);
    auto c = std::make_shared<COrder>("futomaki", 250);
    a->setLifespan(300);
    b->setLifespan(200);
    c->setLifespan(100);
    for (auto& o : {a, b, c}) tape->putOrder(o);
    auto plate = std::make_shared<CPlate>("maki_tonno");
    ASSERT_TRUE(tape->replaceOrderWithPlate(plate));
    EXPECT_EQ(tape->tape_[tape->slots_ - 2], plate);
    EXPECT_EQ(plate->getYen(), 450);
    EXPECT_FALSE(tape->replaceOrderWithPlate(std::make_shared<CPlate>("gunkan_ikura")));
    EXPECT_EQ(tape->getAnyPlateNotOrdered(), plate);
    plate->setPositive(true);
    EXPECT_EQ(tape->getAnyPlateNotOrdered(), nullptr);
    auto leaving = std::make_shared<CPlate>("futomaki");
    leaving->setLifespan(1);
    ASSERT_TRUE(tape->putPlate(leaving));
    EXPECT_EQ(tape->getAnyPlateNotOrdered(), nullptr);  // in its last frame it is offered to nobody
    // Equally patient customers: the one in the higher slot is served first.
    auto d = std::make_shared<COrder>("maki_tonno", 250);
    d->setLifespan(300);
    ASSERT_TRUE(tape->putOrder(d));
    auto second = std::make_shared<CPlate>("maki_tonno");
    ASSERT_TRUE(tape->replaceOrderWithPlate(second));
    EXPECT_EQ(tape->tape_[tape->slots_ - 1], second);
    EXPECT_EQ(second->getYen(), 300);
}
