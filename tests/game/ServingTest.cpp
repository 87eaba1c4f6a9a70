// Serving and economy, the order queue and the order panel.

#include <set>

#include "GameTestSupport.h"
#include "game/CEaters.h"
#include "game/COrders.h"
#include "game/CPlate.h"
#include "recipes/CIngredients.h"
#include "recipes/CPxIcon.h"
#include "recipes/CPreparations.h"
#include "recipes/CTable.h"

using namespace gametest;

namespace {

class Serving : public GameTest {
protected:
    // Picks the recipe of kind on the strip, as the player's clicks on its tiles do.
    int pick(CGame& game, const std::string& kind, int* px = nullptr) {
        int yen = 0;
        for (const auto& id : *game.preparations_->retrieve_ingredients_by_plate(CPlate(kind))) {
            for (const auto& tile : game.ingredients_->getIngredients()) {
                if (tile->getId() != id) continue;
                game.ingredients_->listener_ingredient_click(tile);
                yen += static_cast<int>(tile->getYen());
                if (px) *px += static_cast<int>(tile->getPx());
            }
        }
        return yen;
    }
    static std::shared_ptr<CSlot> onBelt(CGame& game) {
        for (const auto& item : game.tape_->tape_) {
            if (item) return item;
        }
        return nullptr;
    }
};

}  // namespace

TEST_F(Serving, AServedOrderEarnsExperienceAtOnceAndItsPriceWhenEaten) {
    CPxIcon::setLevels("0\ta\t-\t0\t1\r\n1\tb\t-\t1\t1\r\n");
    auto game = startGame(stage(), 2);
    EXPECT_EQ(game->score_->pximage_->getLevel(), 0);
    game->listener_new_order();
    auto order = std::dynamic_pointer_cast<COrder>(onBelt(*game));
    ASSERT_TRUE(order);
    EXPECT_EQ(game->score_->orders_, 1);
    int px = 0;
    pick(*game, order->getKind(), &px);
    ASSERT_NE(game->table_->getCurrentPreparation(), nullptr);
    game->listener_reset_recipe();
    EXPECT_EQ(CScore::px_, px + 20);
    EXPECT_EQ(game->score_->pximage_->getLevel(), 1);  // the badge follows at once
    auto plate = std::dynamic_pointer_cast<CPlate>(onBelt(*game));
    ASSERT_TRUE(plate);
    EXPECT_EQ(plate->getYen(), order->getYen());
    EXPECT_TRUE(game->ingredients_->getRecipe().empty());
    EXPECT_EQ(game->table_->getCurrentPreparation(), nullptr);
    EXPECT_EQ(CScore::actual_px_, px + 20);

    // What leaves the belt is booked on the frame it goes: the served plate after
    // 600 frames of eating and 100 of leaving, an expired order after its patience
    // and 100, an unordered plate nobody took after 1800 and 100, at its ingredients' cost.
    const int cost = pick(*game, order->getKind());
    game->listener_reset_recipe();
    game->listener_new_order();
    auto expiring = std::dynamic_pointer_cast<COrder>(game->tape_->tape_[game->tape_->slots_ - 3]);
    ASSERT_TRUE(expiring);
    expiring->setLifespan(300);
    game->tape_->count_for_next_consume_ = 1 << 20;  // no customer takes the unordered plate
    int done = 0;
    const auto yenAt = [&](int frame) {
        stepTape(*game->tape_, frame - done);
        done = frame;
        return CScore::yen_;
    };
    const int price = order->getYen(), lost = expiring->getYen();
    EXPECT_EQ(yenAt(399), 0);
    EXPECT_EQ(yenAt(400), -lost);
    EXPECT_EQ(yenAt(699), -lost);
    EXPECT_EQ(yenAt(700), price - lost);
    EXPECT_EQ(yenAt(1899), price - lost);
    EXPECT_EQ(yenAt(1900), price - lost - cost);
    EXPECT_TRUE(game->tape_->isEmpty());
}

TEST_F(Serving, UnorderedPlatesEarnOncePerRecentKindAndWasteCostsTheIngredients) {
    auto game = startGame(stage(), 0);
    int px = 0;
    const int yen = pick(*game, "maki_tonno", &px);
    game->listener_reset_recipe();
    EXPECT_EQ(CScore::px_, px);
    auto plate = std::dynamic_pointer_cast<CPlate>(onBelt(*game));
    ASSERT_TRUE(plate);
    EXPECT_EQ(plate->getYen(), yen);
    // A customer takes it: the worried face goes at once, and the plate is paid when eaten.
    // About one look in five takes the plate.
    plate->hurryUp(0, 0);
    std::size_t taken = 0;
    for (int look = 0; look < 200; ++look, plate->setPositive(false)) {
        game->listener_new_consume();
        taken += plate->getPositive();
    }
    EXPECT_GT(taken, 20u);
    EXPECT_LT(taken, 65u);
    EXPECT_FALSE(plate->hurry_->visible());
    EXPECT_EQ(game->getEaters()->eaters_.size(), taken);

    pick(*game, "maki_tonno");
    game->listener_reset_recipe();
    EXPECT_EQ(CScore::px_, px);  // the same kind again: no experience
    // The memory of recent kinds outlives the game.
    auto next = startGame(stage(), 0);
    pick(*next, "maki_tonno");
    next->listener_reset_recipe();
    EXPECT_EQ(CScore::px_, px);
    // Three other kinds push it out of the memory, and it earns again.
    auto kinds = COrders::servableKinds(*next->preparations_);
    std::erase(kinds, "maki_tonno");
    ASSERT_GE(kinds.size(), 3u);
    int others = 0;
    for (int k = 0; k < 3; ++k) {
        pick(*next, kinds[k], &others);
        next->listener_reset_recipe();
    }
    pick(*next, "maki_tonno");
    next->listener_reset_recipe();
    EXPECT_EQ(CScore::px_, 2 * px + others);

    // Rice alone is no plate: its price is lost and the strip starts over.
    const auto rice = next->ingredients_->getIngredients()[0];
    next->ingredients_->listener_ingredient_click(rice);
    ASSERT_EQ(next->table_->getCurrentPreparation()->getPlate(), nullptr);
    const int before = CScore::yen_;
    next->listener_reset_recipe();
    EXPECT_EQ(CScore::yen_, before - rice->getYen());
    EXPECT_TRUE(next->ingredients_->getRecipe().empty());
}

TEST_F(Serving, AFullBeltSendsOrdersToTheBackOfTheQueueAndThrowsPlatesAway) {
    auto game = startGame(stage(), 3);
    while (game->tape_->putPlate(std::make_shared<CPlate>("maki_tonno"))) {
    }
    const auto first = game->orders_->orders_.front();
    game->listener_new_order();
    ASSERT_EQ(game->orders_->getOrdersCount(), 3);
    EXPECT_EQ(game->orders_->orders_.back(), first);
    EXPECT_EQ(game->score_->orders_, 3);
    const int cost = pick(*game, "futomaki");
    game->listener_reset_recipe();
    EXPECT_EQ(CScore::yen_, -cost);
    EXPECT_EQ(CScore::px_, 0);
}

TEST_F(Serving, RisingTextsLeaveTheStripClickableAndTheOrderPanelCatchesPresses) {
    auto game = startGame(stage(), 3);
    game->listener_new_order();
    game->listener_new_order();
    auto first = std::dynamic_pointer_cast<COrder>(game->tape_->tape_[game->tape_->slots_ - 1]);
    game->listener_order_click(first);
    auto panel = game->evidenced_order_next_;
    game->listener_order_click(std::dynamic_pointer_cast<COrder>(game->tape_->tape_[game->tape_->slots_ - 2]));
    EXPECT_EQ(game->evidenced_order_next_, panel);  // a second press waits for nothing
    EXPECT_EQ(game->tape_->count_for_next_order_, 60);  // the first press brought the next order a second closer
    // The panel sits in the middle of the window, even with texts below it.
    auto text = CFloatingText::show("+ 100", CGame::COLOR_PX, game.get(), "px");
    EXPECT_NEAR(panel->x() + panel->width() / 2, 400, 7);
    EXPECT_NEAR(panel->y() + panel->height() / 2, 240, 7);

    // A rising text over the first tile lets the press reach it; the panel's frame over it takes the press.
    const auto tile = game->ingredients_->getIngredients()[0];
    ASSERT_FALSE(tile->isDisabled());
    const auto at = tile->localToGlobal({20, 20});
    text->setY(at.y - 40);
    auto* hit = stage().hitTarget(at.x, at.y);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(tile->contains(hit)) << hit;
    panel->setX(at.x - 2);
    panel->setY(at.y - 40);
    EXPECT_EQ(stage().hitTarget(at.x, at.y), panel.get());
    h().click(at.x, at.y);
    EXPECT_TRUE(game->ingredients_->getRecipe().empty());

    // A second to fade in, two to read, a quarter to fade out.
    h().step(61);
    EXPECT_EQ(game->evidenced_order_, panel);
    EXPECT_EQ(panel->alpha(), 1);
    h().step(120);
    EXPECT_EQ(panel->alpha(), 1);
    h().step(15);
    EXPECT_EQ(panel->alpha(), 0);
    EXPECT_TRUE(panel->parent());
    h().step(1);
    EXPECT_EQ(game->evidenced_order_, nullptr);
    EXPECT_EQ(panel->parent(), nullptr);
}

TEST_F(Serving, OrdersAreDrawnOnlyForPlatesARecipeMakes) {
    package({{"assets/preparazioni/preparazioni.txt",
              testsupport::bytes("first\tx\ta\r\nsecond\tx\ta\r\nbare\tx\r\nother\tx\tb\tc\r\n")}});
    CPreparations tree([](const std::string& kind) { return std::make_shared<CPlate>(kind); });
    EXPECT_EQ(COrders::servableKinds(tree), (std::vector<std::string>{"second", "other"}));
    // Prices of 250 to 450 in steps of 50; patience of 60 to 119 whole seconds at difficulty 1.
    CPxIcon::setLevels("0\tx\t-\t0\t1\r\n");
    COrders orders(400, tree, nullptr);
    std::set<int> prices;
    int least = 1 << 20, most = 0;
    for (const auto& o : orders.orders_) {
        EXPECT_TRUE(o->getKind() == "second" || o->getKind() == "other");
        EXPECT_EQ(o->getLifespan() % 60, 0);
        prices.insert(o->getYen());
        least = std::min(least, o->getLifespan() / 60);
        most = std::max(most, o->getLifespan() / 60);
    }
    EXPECT_EQ(prices, (std::set<int>{250, 300, 350, 400, 450}));
    EXPECT_EQ(least, 60);
    EXPECT_EQ(most, 119);

    package({{"assets/preparazioni/preparazioni.txt", testsupport::bytes("bare\tx\r\n")}});
    MAux::reset();
    CPreparations empty;
    EXPECT_TRUE(COrders(6, empty, nullptr).isEmpty());
}

TEST_F(Serving, AFloatingTextLeftBehindGivesItsCountBack) {
    auto holder = std::make_shared<scene::Sprite>();
    auto text = CFloatingText::show("- 300", CGame::COLOR_LEAVING, holder.get(), "yen");
    EXPECT_TRUE(CFloatingText::isFloatingRunning());
    holder.reset();
    text.reset();
    EXPECT_FALSE(CFloatingText::isFloatingRunning());
}
