// Keyboard play and the pause overlay on a game screen.

#include "GameTestSupport.h"
#include "app/CMain.h"
#include "game/COrder.h"
#include "game/CPause.h"
#include "recipes/CIngredients.h"

using namespace gametest;

namespace {

class Keys : public GameTest {
protected:
    std::shared_ptr<CGame> start(int orders) {
        CMain::aux_stage();
        auto game = startGame(stage(), orders);
        h().step();
        return game;
    }
};

}  // namespace

TEST_F(Keys, NumberKeysPressTheVisibleTilesInReadingOrderAsTheMouseWould) {
    auto game = start(6);
    auto& strip = *game->ingredients_;
    EXPECT_FALSE(strip.keyLabelsShown());
    for (int page = 0; page < 2; ++page, h().keyDown(scene::Keyboard::RIGHT)) {
        for (int position = 0; position < 10; ++position) {
            // Reading order over a strip filled column by column; a disabled tile stays disabled.
            const auto tile = strip.getIngredients()[static_cast<std::size_t>(page * 2 + (position % 5) * 2 + position / 5)];
            const bool free = !tile->isDisabled();
            h().keyDown("1234567890"[position]);
            EXPECT_EQ(tile->isSelected(), free) << page << position;
            EXPECT_EQ(strip.getRecipe().size(), free ? 1u : 0u) << page << position;
            if (free) game->listener_reset_recipe();
        }
    }
    EXPECT_TRUE(strip.keyLabelsShown());
}

// Tab follows the order panel's rules; a pause holds the rising texts and the panel's fade.
TEST_F(Keys, EnterServesTabShowsTheOrdersInTurnAndPauseHoldsEverything) {
    auto game = start(3);
    h().keyDown(scene::Keyboard::SPACE);  // an empty table takes no press
    h().keyDown('1');
    h().keyDown(scene::Keyboard::ENTER);  // rice alone is wasted
    EXPECT_EQ(CScore::yen_, -game->ingredients_->getIngredients()[0]->getYen());
    game->listener_new_order();
    h().step(30);
    game->listener_new_order();  // not shown on the belt yet: not pressable
    const auto oldest = std::dynamic_pointer_cast<COrder>(game->tape_->tape_[game->tape_->slots_ - 1]);
    const auto floating = CFloatingText::show("+ 5", CGame::COLOR_PX, game.get(), "px");
    h().keyDown(scene::Keyboard::TAB);
    const auto waiting = game->evidenced_order_next_;
    h().keyDown(scene::Keyboard::TAB);  // a panel waiting to fade in ignores another
    ASSERT_TRUE(oldest && waiting);
    EXPECT_EQ(waiting->getKind(), oldest->getKind());
    EXPECT_EQ(game->evidenced_order_next_, waiting);
    h().step(3);
    const auto snapshot = [&] { return std::pair(floating->y(), waiting->alpha()); };
    const auto before = snapshot();

    stage().deactivate();  // the window lost the focus
    ASSERT_TRUE(game->isPaused());
    h().step(200);
    h().keyDown('1');
    EXPECT_TRUE(game->ingredients_->getRecipe().empty());
    EXPECT_EQ(snapshot(), before);
    const auto resume = dynamic_cast<CPause&>(*stage().getChildAt(stage().numChildren() - 1)).getChildAt(2);
    h().click(resume->localToGlobal({400, 15}).x, resume->localToGlobal({400, 15}).y);
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(snapshot(), before);  // the same frame
    h().step(70);
    EXPECT_LT(floating->y(), before.first);
    h().keyDown(scene::Keyboard::TAB);
    ASSERT_TRUE(game->evidenced_order_next_);
    EXPECT_NE(game->evidenced_order_next_, waiting);
}
