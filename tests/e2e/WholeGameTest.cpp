// Whole games in one process on the headless stage, driven by presses only:
// the duration choice, orders read off the belt, recipes picked on the strip,
// plates served from the table, the pause of a side screen, the end; and the
// account around a game, against pelmora-server on a loopback port.

#include <cstdlib>
#include <filesystem>

#include "app/CMain.h"
#include "app/Main.h"
#include "game/CDuration.h"
#include "game/CFloatingText.h"
#include "game/CGame.h"
#include "game/COrders.h"
#include "game/CPause.h"
#include "ui/CQuitButton.h"
#include "game/CGameOver.h"
#include "game/CScore.h"
#include "game/CSlot.h"
#include "game/CTape.h"
#include "net/CNetworking.h"
#include "net/NetSupport.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparations.h"
#include "recipes/CPxIcon.h"
#include "recipes/CTable.h"
#include "screens/CLogin.h"
#include "screens/CRegister.h"
#include "screens/CYen.h"
#include "screens/ServiceScreens.h"
#include "scramble/Protocol.h"

namespace {

template <class T>
std::shared_ptr<T> find(const scene::DisplayObjectContainer& c) {
    for (int i = c.numChildren() - 1; i >= 0; --i) {
        if (auto t = std::dynamic_pointer_cast<T>(c.getChildAt(i))) return t;
    }
    return nullptr;
}

using screentest::childrenOf;

class WholeGame : public screentest::ServiceScreens {
protected:
    void SetUp() override {
        ServiceScreens::SetUp();
        reset();
        std::filesystem::copy_file(std::filesystem::path(std::getenv("PELMORA_BUILD_DIR")) / "game" / "assets.dat",
                                   dir_.path() / "assets.dat", std::filesystem::copy_options::overwrite_existing);
        MAux::WEBSITE = "http://127.0.0.1:9";
    }
    void TearDown() override {
        reset();
        ServiceScreens::TearDown();
    }
    static void reset() {
        CTape::reset();
        CFloatingText::reset();
        CScore::reset();
        CSlot::reset();
        CGame::reset();
        CPxIcon::reset();
        CNetworking::reset();
    }
    void press(const scene::DisplayObject& o, double dx = -1, double dy = -1) {
        const auto p = o.localToGlobal({dx < 0 ? o.localBounds().width / 2 : dx, dy < 0 ? o.localBounds().height / 2 : dy});
        h().click(p.x, p.y);
        h().step();
    }
    // From the welcome screen to the duration choice by clicks and typing:
    // registration with its refusals, login by Enter and by the button, the
    // stored totals (40 and 15) fetched.
    void registerAndLogIn() {
        startService();
        Main::main();
        waitForMenu();
        press(*childrenOf<CButtonWelcomeStartGame>(*screen())[0]);
        auto login = screen<CLogin>();
        ASSERT_TRUE(login && stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
        press(*login->button_register_);
        // Each refusal, sent by Enter, puts a balloon on its own field only; typing
        // on puts it right, then the button makes the account. The name is a text key.
        const auto form = screen<CRegister>();
        ASSERT_TRUE(form);
        const std::shared_ptr<CInput> fields[] = {form->input_username_, form->input_password_, form->input_email_};
        const char* const typed[] = {"US", "abc", "us", "ERNAME", "def", "@sushi.example"};
        for (int i = 0; i < 6; ++i) {
            if (i >= 3) {
                h().keyDown(13);
                ASSERT_TRUE(stepUntil([&] { return form->state() == CRegister::State::FORM; }));
                for (int f = 0; f < 3; ++f) EXPECT_EQ(fields[f]->numChildren() > 3, f == i - 3) << i;
            }
            typeInto(*fields[i % 3], typed[i]);
        }
        press(*form->button_register_);
        ASSERT_TRUE(stepUntil([&] { return form->state() == CRegister::State::REGISTERED; }));
        server_->database().raiseTotals(server_->database().findUser("USERNAME")->id, 40, 15);
        press(*childrenOf<CButtonRegisterLogin>(*form)[0]);
        login = screen<CLogin>();
        ASSERT_TRUE(login && stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
        typeInto(*login->input_username_, "USERNAME");
        typeInto(*login->input_password_, "abcdeX");
        h().keyDown(13);
        ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
        EXPECT_GT(login->input_password_->numChildren(), 3);
        press(*login->input_password_);
        h().keyDown(8);
        h().type("f");
        press(*login->button_login_);
        ASSERT_TRUE(stepUntil([&] { return screen<CDuration>() != nullptr; }));
        EXPECT_EQ(CScore::get_yen(), 15);
    }
    std::shared_ptr<CGame> game() { return find<CGame>(stage()); }
    // Starts a game of the given length from the duration choice.
    void choose(int orders) {
        if (!screen<CDuration>()) {
            CMain::Dispatch(CMain::SCREEN_DURATION);
            h().step();
        }
        const auto screen = find<CDuration>(stage());
        for (int i = 0; i < screen->numChildren(); ++i) {
            auto b = std::dynamic_pointer_cast<CButtonDurationBase>(screen->getChildAt(i));
            if (b && b->orders_ == orders) return press(*b);
        }
        FAIL() << "no button for " << orders;
    }
    // Picks kind's recipe tile by tile, paging the strip as needed, then serves it from the table.
    void serve(CGame& g, const std::string& kind) {
        for (const auto& id : *g.preparations_->retrieve_ingredients_by_plate(CPlate(kind))) {
            for (const auto& tile : g.ingredients_->getIngredients()) {
                if (tile->getId() != id) continue;
                for (int turns = 0; !tile->stage() || !tile->visible(); ++turns) {
                    ASSERT_LT(turns, 20);
                    press(turns < 10 ? *g.ingredients_->scorrimento_dx : *g.ingredients_->scorrimento_sx);
                }
                press(*tile, 20, 20);
                px_ += static_cast<int>(tile->getPx());
            }
        }
        press(*g.table_);
    }
    // The same by keys: Left and Right page, the tile's number picks it, Enter serves.
    void serveByKeys(CGame& g, const std::string& kind) {
        const auto& tiles = g.ingredients_->getIngredients();
        for (const auto& id : *g.preparations_->retrieve_ingredients_by_plate(CPlate(kind))) {
            const auto it = std::find_if(tiles.begin(), tiles.end(), [&](const auto& t) { return t->getId() == id; });
            ASSERT_NE(it, tiles.end());
            const int k = static_cast<int>(it - tiles.begin());
            while (k < g.ingredients_->getPage() * 2) h().keyDown(scene::Keyboard::LEFT);
            while (k >= g.ingredients_->getPage() * 2 + 10) h().keyDown(scene::Keyboard::RIGHT);
            const int at = k - g.ingredients_->getPage() * 2;  // column by column on the page
            h().keyDown("1234567890"[(at % 2) * 5 + at / 2]);
            px_ += static_cast<int>((*it)->getPx());
        }
        h().keyDown(scene::Keyboard::ENTER);
        h().step();
    }
    int px_ = 0;
};

}  // namespace

// A new account by clicks and typing: registration with its refusals, login by
// Enter and by the button, the stored totals fetched; then a six-order game
// played while the service is down, whose totals stay until it stores them.
TEST_F(WholeGame, ANewAccountsSixOrderGameEndsWithTheEconomyOfWhatWasDoneKeptByTheService) {
    registerAndLogIn();
    if (HasFatalFailure()) return;

    stopService();  // the upload at the end gets no answer
    choose(6);
    h().step();
    ASSERT_TRUE(game());
    EXPECT_EQ(game()->score_->orderstext_->text(), "6");
    std::vector<const CSlot*> seen;
    int yen = 0;
    int served = 0;
    bool risingAtEnd = true;
    for (int frame = 0; frame < 20000 && !find<CGameOver>(stage()); ++frame) {
        h().step();
        auto g = game();
        if (!g) continue;
        // Seen before the screen's teardown stops every text: the end waits for the last one.
        if (g->isOver() && risingAtEnd) risingAtEnd = CFloatingText::isFloatingRunning();
        for (const auto& item : g->tape_->tape_) {
            auto order = std::dynamic_pointer_cast<COrder>(item);
            if (!order || !order->parent() || order->isDead() || order->y() < 0) continue;
            if (std::find(seen.begin(), seen.end(), order.get()) != seen.end()) continue;
            seen.push_back(order.get());
            press(*order, 30, 30);  // the order panel shows what it takes
            yen += order->getYen();
            serve(*g, order->getKind());
            px_ += 20;
            ++served;
        }
    }
    ASSERT_TRUE(find<CGameOver>(stage())) << served << " served";
    EXPECT_EQ(served, 6);
    EXPECT_EQ(CScore::actual_px_, px_);
    EXPECT_EQ(CScore::actual_yen_, yen);
    EXPECT_EQ(CScore::px_, 40 + px_);
    h().step(2);
    auto current = find<CScore>(*find<CGameOver>(stage()));
    EXPECT_EQ(current->yentext_->text(), std::to_string(CScore::yen_));  // the totals strip is the last one
    EXPECT_FALSE(risingAtEnd);

    // Back on the same data: the rebuilt welcome screen, still logged in, keeps
    // the totals shown over the older stored ones and stores them itself.
    const std::string shown = current->pxtext_->text() + ";" + current->yentext_->text();
    startService();
    press(*childrenOf<CButtonGameOverWelcome>(*find<CGameOver>(stage()))[0]);
    ASSERT_TRUE(screen() && stepUntil([] { return scene::pendingRequests() == 0; }));
    EXPECT_TRUE(CNetworking::isLogged());
    ASSERT_TRUE(screen()->score_->nametext_);
    EXPECT_EQ(screen()->score_->nametext_->text(), "USERNAME");
    EXPECT_EQ(screen()->score_->pxtext_->text() + ";" + screen()->score_->yentext_->text(), shown);
    EXPECT_FALSE(CScore::hasPending());
    const auto user = server_->database().findUser("USERNAME").value();
    EXPECT_EQ(std::to_string(user.px) + ";" + std::to_string(user.yen), shown);
    // Stored, they no longer stand in the way: a rebuilt welcome screen fetches what another device added.
    server_->database().raiseTotals(user.id, user.px + 5, user.yen);
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    ASSERT_TRUE(stepUntil([] { return scene::pendingRequests() == 0; }));
    EXPECT_EQ(CScore::get_px(), user.px + 5);
}

// Logged in, the totals fetch fails, a game is played: once the service
// answers again, the game's gains reach it, added to its stored totals, once.
TEST_F(WholeGame, AGamePlayedAfterAFailedTotalsFetchReachesTheServiceOnce) {
    namespace sc = pelmora::scramble;
    std::string stored = "100;50";
    bool down = true;
    int updates = 0;
    nettest::FakeService fake;
    fake.reply = [&](const nettest::FakeService::Request& r) {
        const auto f = sc::splitFields(sc::openRequestBody(r.body, sc::bytesOf("k")).value_or(""));
        std::string text = r.path.ends_with("logged.php") ? ";" : "ok";
        if (r.path.ends_with("score.php") && f.size() == 4) stored = f[2] + ";" + f[3], ++updates;
        else if (r.path.ends_with("score.php")) text = down ? "failed;busy" : stored;
        return sc::sealMessage(text, sc::bytesOf("k"), [] { return 0.5; });
    };
    MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(fake.port());
    CNetworking::session_key_ = CNetworking::Bytes{'k'};
    CWelcome::startup_done_ = true;
    CMain::Dispatch(CMain::SCREEN_LOGIN);
    auto login = screen<CLogin>();
    ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
    typeInto(*login->input_username_, "kai_7");
    h().keyDown(13);
    ASSERT_TRUE(stepUntil([&] { return screen<CDuration>() != nullptr; }));

    CMain::Dispatch(CMain::SCREEN_GAME, Value(Value::Array{Value("1"), Value(1)}));
    auto g = game();
    g->tape_->count_for_next_order_ = 1;
    h().step(20);
    auto order = std::dynamic_pointer_cast<COrder>(g->tape_->tape_[g->tape_->slots_ - 1]);
    ASSERT_TRUE(order);
    serve(*g, order->getKind());
    for (int frame = 0; frame < 3000 && !find<CGameOver>(stage()); ++frame) h().step();
    ASSERT_EQ(CScore::actual_yen_, order->getYen());
    const std::string total = std::to_string(100 + CScore::actual_px_) + ";" + std::to_string(50 + order->getYen());

    down = false;
    for (int visit = 0; visit < 2; ++visit) {  // the second visit adds nothing again
        CMain::Dispatch(CMain::SCREEN_WELCOME);
        ASSERT_TRUE(stepUntil([&] { return fake.requests().size() == 5u + visit && scene::pendingRequests() == 0; }));
        EXPECT_EQ(updates, 1);
        EXPECT_EQ(stored, total);
        EXPECT_EQ(std::to_string(CScore::get_px()) + ";" + std::to_string(CScore::get_yen()), total);
    }
}

TEST_F(WholeGame, TheYenIconOfAGameOpensNothingNowThatPPauses) {
    choose(6);
    auto g = game();
    ASSERT_TRUE(g);
    press(*g->score_->yenicon_);
    h().step();
    EXPECT_FALSE(find<CYen>(stage()));
    EXPECT_FALSE(g->isPaused());
}

// Keys only after the duration choice: Tab, the number keys, Left, Right, Enter.
// P halfway holds the online game with nothing uploaded; Escape goes on to the end.
TEST_F(WholeGame, AnOnlineGamePlayedByKeysPausesAndEndsWithItsEconomy) {
    registerAndLogIn();
    if (HasFatalFailure()) return;
    const auto userTotals = [&] { return server_->database().findUser("USERNAME").value().px; };
    choose(6);
    h().step();
    std::vector<const CSlot*> seen;
    int yen = 0;
    for (int frame = 0; frame < 20000 && !find<CGameOver>(stage()); ++frame) {
        h().step();
        auto g = game();
        if (!g) continue;
        for (const auto& item : g->tape_->tape_) {
            auto order = std::dynamic_pointer_cast<COrder>(item);
            if (!order || !order->parent() || order->isDead() || order->y() < 0) continue;
            if (std::find(seen.begin(), seen.end(), order.get()) != seen.end()) continue;
            seen.push_back(order.get());
            h().keyDown(scene::Keyboard::TAB);
            yen += order->getYen();
            serveByKeys(*g, order->getKind());
            px_ += 20;
            if (seen.size() == 3) {
                h().keyDown('P');
                const int left = g->orders_->getOrdersCount();
                h().step(900);
                EXPECT_EQ(g->orders_->getOrdersCount(), left);
                EXPECT_EQ(userTotals(), 40);
                h().keyDown(27);
            }
        }
    }
    ASSERT_TRUE(find<CGameOver>(stage()));
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(CScore::actual_px_, px_);
    EXPECT_EQ(CScore::actual_yen_, yen);
    EXPECT_EQ(userTotals(), CScore::px_);
}

TEST_F(WholeGame, TwoGamesInARowShareOnlyTheRecentPlatesAndTheBeltPace) {
    choose(6);
    const std::size_t idle = scene::EventDispatcher::frameListenerCount();
    serve(*game(), "maki_tonno");
    EXPECT_TRUE(CFloatingText::isFloatingRunning());
    h().step(5);
    const int delay = CTape::frame_delay_;
    press(*game()->score_->cquitbutton_);  // quits with a text still rising
    h().step(3);
    EXPECT_FALSE(CFloatingText::isFloatingRunning());
    choose(12);
    h().step();
    EXPECT_EQ(CGame::latest_plates_, std::vector<std::string>{"maki_tonno"});
    EXPECT_EQ(CTape::frame_delay_, (delay + 2) % 16);  // counted on over the new belt's two frames
    EXPECT_EQ(scene::EventDispatcher::frameListenerCount(), idle);
    EXPECT_EQ(game()->orders_->getOrdersCount() + (game()->tape_->isEmpty() ? 0 : 1), 12);
    EXPECT_EQ(CScore::actual_px_, 0);
}

TEST_F(WholeGame, AnEndedGameIgnoresPressesAndALateUploadReplyChangesNothing) {
    // Logged in with totals fetched in this run: the end waits for the upload.
    CNetworking::setCryptReadyForTests(true);
    CNetworking::username_ = "ana";
    CScore::setTotalsFromService(100, 50);
    const Value empty(Value::Array{Value("1"), Value(0)});
    CMain::Dispatch(CMain::SCREEN_GAME, empty);
    auto g = game();
    h().step();
    ASSERT_TRUE(g->isOver());
    ASSERT_FALSE(find<CGameOver>(stage()));
    press(*g->ingredients_->getIngredients()[0], 20, 20);
    EXPECT_TRUE(g->ingredients_->getRecipe().empty());
    h().step(3);
    EXPECT_TRUE(find<CGameOver>(stage()));  // the upload's answer, a failure here, leads on

    // Quitting before the answer: it arrives on a game that has gone.
    CMain::Dispatch(CMain::SCREEN_GAME, empty);
    h().step();
    ASSERT_TRUE(game()->isOver());
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    h().step(30);
    EXPECT_FALSE(find<CGameOver>(stage()));

    // Totals never fetched (a failed retrieval): no upload, the end is at once.
    CScore::totals_from_service_ = false;
    CMain::Dispatch(CMain::SCREEN_GAME, Value(Value::Array{Value("1"), Value(0)}));
    h().step(2);
    EXPECT_TRUE(find<CGameOver>(stage()));
    // A game asked for without its length lets the player choose it.
    CMain::Dispatch(CMain::SCREEN_GAME);
    h().step();
    EXPECT_TRUE(find<CDuration>(stage()));
}
