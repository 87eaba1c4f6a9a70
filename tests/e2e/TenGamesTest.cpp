// Ten games in one process, played through presses only by the robot: each
// leaves no display object, frame listener or heap behind it, and the totals
// run on from game to game. And a clumsy player whose every mistake is booked.

#include <malloc.h>

#include <cstddef>
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PEL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PEL_ASAN 1
#endif
#ifdef PEL_ASAN
// The sanitizer runtime's own count (its header is not installed with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <cstdlib>
#include <filesystem>

#include "game/CFloatingText.h"
#include "game/COrders.h"
#include "game/CScore.h"
#include "game/CSlot.h"
#include "net/CNetworking.h"
#include "platform/Renderer.h"
#include "recipes/CPxIcon.h"
#include "screens/Screens.h"
#include "GameRobot.h"
#include "support/TestGame.h"

namespace {

std::size_t heapInUse() {
#ifdef PEL_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class TenGames : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        reset();
        registerScreens();
        std::filesystem::copy_file(std::filesystem::path(std::getenv("PELMORA_BUILD_DIR")) / "game" / "assets.dat",
                                   dir_.path() / "assets.dat");
        MAux::WEBSITE = "http://127.0.0.1:9";
    }
    void TearDown() override {
        reset();
        GameFixture::TearDown();
    }
    static void reset() {
        CTape::reset(), CFloatingText::reset(), CScore::reset(), CSlot::reset(), CGame::reset(), CPxIcon::reset();
        CNetworking::reset();
    }
};

struct Mark {
    std::size_t objects, frameListeners, heap;
};

}  // namespace

TEST_F(TenGames, EachGameLeavesNothingBehindAndTheTotalsRunOn) {
    // Every picture decoded, its texture made and every glyph made up front,
    // and the player past the top level, so that neither the picture cache nor
    // the level badge has reason to grow, and no menu's warmer is still at work
    // when a game ends (how far it gets in a visit depends on the machine's speed).
    while (MAux::decodeAhead(1000)) {}
    for (const auto& name : MAux::decodedPictures()) MAux::getBitmapData(name)->texture();
    CScore::set_px(20000);
    robot::GameRobot robot(h());
    std::vector<Mark> marks;
    int px = 20000, yen = 0;
    for (int game = 0; game < 10; ++game) {
        ASSERT_TRUE(robot.choose(6)) << game;
        ASSERT_EQ(robot.playToEnd(), 6) << game;
        EXPECT_GT(CScore::actual_yen_, 0) << game;
        px += CScore::actual_px_;
        yen += CScore::actual_yen_;
        EXPECT_EQ(CScore::get_px(), px) << game;
        EXPECT_EQ(CScore::get_yen(), yen) << game;
        // Served orders add no unordered plate; what an earlier game left stays at three at most.
        EXPECT_LE(CGame::latest_plates_.size(), 3u);
        CMain::Dispatch(CMain::SCREEN_DURATION);
        robot.step(3);
        // Pictures kept for reuse fill a memo up to its budget: not a leak.
        h().forgetKeptPictures();
        marks.push_back({scene::DisplayObject::liveCount(), scene::EventDispatcher::frameListenerCount(), heapInUse()});
    }
    // After the first game has made whatever it makes once, no display object
    // or frame listener may stay behind. The heap in use still grows by some
    // 50 KiB a game: a picture first drawn at another size in a later game
    // keeps one copy stretched to it (one at most per picture). A game screen
    // left alive (megabytes) or a leak of 200 KiB a game would show.
    for (std::size_t i = 2; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].objects, marks[1].objects) << "after game " << i + 1;
        EXPECT_EQ(marks[i].frameListeners, marks[1].frameListeners) << "after game " << i + 1;
    }
    EXPECT_LT(marks.back().heap, marks[4].heap + 1024 * 1024);
}

// What the menus make ahead leaves the game over's first frame nothing to rasterise.
TEST_F(TenGames, TheGameOverFindsItsTextsMadeAhead) {
    robot::GameRobot robot(h());
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    robot.step(3);
    while (MAux::decodeAhead(1000)) {}
    scene::detail::Renderer::resetRasterCount();
    CMain::Dispatch(CMain::SCREEN_GAME_OVER);
    robot.step();
    ASSERT_TRUE(robot.over());
    EXPECT_EQ(scene::detail::Renderer::rasterCount(), 0);
}

namespace {

// What the first `count` ingredients of kind's recipe are worth on the strip.
struct Worth {
    std::int64_t px = 0, yen = 0;
};
Worth worthOf(CGame& g, const std::string& kind, std::size_t count = 99) {
    Worth w;
    const auto& ids = *g.preparations_->retrieve_ingredients_by_plate(CPlate(kind));
    for (std::size_t i = 0; i < std::min(count, ids.size()); ++i) {
        for (const auto& tile : g.ingredients_->getIngredients()) {
            if (tile->getId() == ids[i]) w.px += tile->getPx(), w.yen += tile->getYen();
        }
    }
    return w;
}

bool ordered(CGame& g, const std::string& kind) {
    for (const auto& item : g.tape_->tape_) {
        auto order = std::dynamic_pointer_cast<COrder>(item);
        if (order && order->getKind() == kind) return true;
    }
    return false;
}

}  // namespace

// Early in a game, before anything on the belt runs out, each mistake is booked
// at the press that makes it; a game left unserved costs every order's price.
TEST_F(TenGames, AClumsyPlayersMistakesCostWhatTheEconomySays) {
    robot::GameRobot robot(h());
    ASSERT_TRUE(robot.choose(6));
    auto g = robot.game();
    std::vector<std::string> kinds;
    for (const auto& k : g->preparations_->getNames()) {
        if (std::find(kinds.begin(), kinds.end(), k) == kinds.end()) kinds.push_back(k);
    }
    const auto booked = [](auto&& act) {
        const int px = CScore::actual_px_, yen = CScore::actual_yen_;
        act();
        return Worth{CScore::actual_px_ - px, CScore::actual_yen_ - yen};
    };

    // An unfinished preparation thrown away: its ingredients' yen, no px.
    const auto longRecipe = std::find_if(kinds.begin(), kinds.end(), [&](const std::string& k) {
        return g->preparations_->retrieve_ingredients_by_plate(CPlate(k))->size() >= 2;
    });
    ASSERT_NE(longRecipe, kinds.end());
    auto cost = booked([&] {
        ASSERT_TRUE(robot.pickRecipe(*g, *longRecipe, 1));
        robot.press(*g->table_);
    });
    EXPECT_EQ(cost.px, 0);
    EXPECT_EQ(cost.yen, -worthOf(*g, *longRecipe, 1).yen);

    // Plates nobody ordered: px at once for a kind not among the last three,
    // none for a repeat; once the belt is full a plate finds no slot and costs its yen.
    bool full = false;
    for (std::size_t i = 0; i < 60 && !full; ++i) {
        const std::string& kind = kinds[i % kinds.size()];
        if (ordered(*g, kind)) continue;
        ASSERT_TRUE(robot.pickRecipe(*g, kind));
        full = std::find(g->tape_->tape_.begin(), g->tape_->tape_.end(), nullptr) == g->tape_->tape_.end();
        const bool repeat = std::find(CGame::latest_plates_.begin(), CGame::latest_plates_.end(), kind) !=
                            CGame::latest_plates_.end();
        cost = booked([&] { robot.press(*g->table_); });
        const Worth w = worthOf(*g, kind);
        EXPECT_EQ(cost.px, full || repeat ? 0 : w.px) << kind;
        EXPECT_EQ(cost.yen, full ? -w.yen : 0) << kind;
    }
    EXPECT_TRUE(full);

    // A game left alone: every order expires on the belt and takes its price off.
    CMain::Dispatch(CMain::SCREEN_DURATION);
    robot.step();
    ASSERT_TRUE(robot.choose(6));
    g = robot.game();
    int prices = 0;
    for (const auto& order : g->orders_->orders_) prices += order->getYen();
    for (int frame = 0; frame < 30000 && !robot.over(); ++frame) robot.step();
    ASSERT_TRUE(robot.over());
    EXPECT_EQ(CScore::actual_px_, 0);
    EXPECT_EQ(CScore::actual_yen_, -prices);
}
