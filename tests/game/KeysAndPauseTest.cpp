// Keyboard play and the pause overlay on a game screen.

#include "GameTestSupport.h"
#include "app/CMain.h"
#include "game/COrder.h"
#include "game/CPause.h"
#include "game/CPlate.h"
#include "recipes/CIngredients.h"
#include "recipes/CTable.h"
#include "ui/CQuitButton.h"

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
    std::shared_ptr<CPause> overlay() {
        for (int i = 0; i < stage().numChildren(); ++i) {
            if (auto p = std::dynamic_pointer_cast<CPause>(stage().getChildAt(i))) return p;
        }
        return nullptr;
    }
    std::shared_ptr<COrder> orderAt(CGame& game, int slot) {
        return std::dynamic_pointer_cast<COrder>(game.tape_->tape_[static_cast<std::size_t>(slot)]);
    }
};

}  // namespace

TEST_F(Keys, NumberKeysPressTheVisibleTilesInReadingOrderAsTheMouseWould) {
    auto game = start(6);
    auto& strip = *game->ingredients_;
    ASSERT_GE(strip.getIngredients().size(), 12u);
    EXPECT_FALSE(strip.keyLabelsShown());
    const char keys[] = "1234567890";
    for (int page = 0; page < 2; ++page) {
        for (int position = 0; position < 10; ++position) {
            // Reading order over a strip filled column by column.
            const auto tile = strip.getIngredients()[static_cast<std::size_t>(page * 2 + (position % 5) * 2 + position / 5)];
            const bool free = !tile->isDisabled();
            h().keyDown(keys[position]);
            EXPECT_EQ(tile->isSelected(), free) << page << position;
            EXPECT_EQ(strip.getRecipe().size(), free ? 1u : 0u) << page << position;
            if (free) game->listener_reset_recipe();
        }
        h().keyDown(scene::Keyboard::RIGHT);
    }
    EXPECT_EQ(strip.getPage(), 2);
    EXPECT_TRUE(strip.keyLabelsShown());
    // The labels follow the page: "1" sits on the corner of the page's first tile.
    const auto first = strip.getIngredients()[4];
    const auto label = strip.getChildAt(strip.numChildren() - 10);
    EXPECT_GT(label->x(), first->x());
    EXPECT_LT(label->x(), first->x() + first->width());
    EXPECT_NEAR(label->y(), first->y() + 3, 0.01);
    h().keyDown(scene::Keyboard::LEFT);
    h().keyDown(scene::Keyboard::LEFT);
    h().keyDown(scene::Keyboard::LEFT);  // no arrow left of the first page: stays
    EXPECT_EQ(strip.getPage(), 0);
    for (int i = 0; i < 40; ++i) h().keyDown(scene::Keyboard::RIGHT);
    EXPECT_FALSE(strip.scorrimento_dx->visible());
    // Keys past the last tile of a short last page press nothing.
    const int visible = static_cast<int>(strip.getIngredients().size()) - strip.getPage() * 2;
    if (visible < 10) {
        h().keyDown('0');
        EXPECT_TRUE(strip.getRecipe().empty());
    }
}

TEST_F(Keys, SpaceAndEnterPressTheTableAndTabTheOrdersOldestFirst) {
    auto game = start(3);
    const int yen = CScore::yen_;
    h().keyDown(scene::Keyboard::SPACE);  // an empty table takes no press
    EXPECT_EQ(CScore::yen_, yen);
    const auto rice = game->ingredients_->getIngredients()[0];
    h().keyDown('1');
    ASSERT_TRUE(rice->isSelected());
    h().keyDown(scene::Keyboard::ENTER);  // rice alone is wasted
    EXPECT_EQ(CScore::yen_, yen - rice->getYen());
    EXPECT_TRUE(game->ingredients_->getRecipe().empty());

    h().keyDown(scene::Keyboard::TAB);  // nothing on the belt yet
    EXPECT_EQ(game->evidenced_order_next_, nullptr);
    game->listener_new_order();
    h().step(30);
    game->listener_new_order();
    const auto oldest = orderAt(*game, game->tape_->slots_ - 1);
    ASSERT_TRUE(oldest);
    h().keyDown(scene::Keyboard::TAB);
    ASSERT_TRUE(game->evidenced_order_next_);
    EXPECT_EQ(game->evidenced_order_next_->getKind(), oldest->getKind());
    const auto waiting = game->evidenced_order_next_;
    h().keyDown(scene::Keyboard::TAB);  // a panel waiting to fade in ignores another
    EXPECT_EQ(game->evidenced_order_next_, waiting);
    h().step(70);  // shown now: the next in turn may fade in behind it
    h().keyDown(scene::Keyboard::TAB);
    ASSERT_TRUE(game->evidenced_order_next_);
    EXPECT_NE(game->evidenced_order_next_, waiting);
}

TEST_F(Keys, PauseHoldsTheWholeGameAndGoesOnFromTheSameFrame) {
    auto game = start(3);
    game->listener_new_order();
    h().step(30);  // on the belt and shown
    game->listener_new_consume();
    CFloatingText::show("+ 5", CGame::COLOR_PX, game.get(), "px");
    h().keyDown(scene::Keyboard::TAB);
    const auto order = orderAt(*game, game->tape_->slots_ - 1);
    ASSERT_TRUE(order);
    ASSERT_TRUE(game->evidenced_order_next_);
    h().step(3);
    auto floating = std::dynamic_pointer_cast<CFloatingText>(game->getChildAt(game->numChildren() - 2));
    ASSERT_TRUE(floating);
    const auto snapshot = [&] {
        return std::vector<double>{static_cast<double>(order->getLifespan()), static_cast<double>(game->tape_->position_),
                                   static_cast<double>(game->tape_->count_for_next_order_), floating->y(),
                                   game->evidenced_order_next_->alpha(),
                                   static_cast<double>(game->evidenced_order_open_countdown_)};
    };
    const auto before = snapshot();

    h().keyDown('P');
    ASSERT_TRUE(overlay());
    EXPECT_TRUE(game->isPaused());
    h().step(200);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(game->parent(), &stage());  // dimmed beneath, not taken away
    const auto rice = game->ingredients_->getIngredients()[0];
    h().keyDown('1');  // no play while paused
    h().click(rice->localToGlobal({20, 20}).x, rice->localToGlobal({20, 20}).y);
    EXPECT_FALSE(rice->isSelected());

    h().keyDown(scene::Keyboard::ESCAPE);
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(snapshot(), before);  // the same frame
    h().step(2);
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_LT(floating->y(), before[3]);

    // Losing the focus pauses; the resume button goes on; P twice is a pause and a resume.
    stage().deactivate();
    ASSERT_TRUE(game->isPaused());
    stage().deactivate();  // a second loss changes nothing
    auto pause = overlay();
    const auto resume = std::dynamic_pointer_cast<CButtonPauseResume>(pause->getChildAt(2));
    ASSERT_TRUE(resume);
    const auto at = resume->localToGlobal({resume->width() / 2, 15});
    h().click(at.x, at.y);
    EXPECT_FALSE(game->isPaused());
    h().step(2);
    h().keyDown('P');
    h().keyDown('P');
    EXPECT_FALSE(game->isPaused());
}

TEST_F(Keys, TheInGameYenIconOpensNothing) {
    auto game = start(3);
    const auto icon = game->score_->yenicon_;
    const auto at = icon->localToGlobal({10, 10});
    h().click(at.x, at.y);
    h().step();
    EXPECT_FALSE(game->isPaused());
    EXPECT_TRUE(CMain::stack_.empty());
}
