#include <gtest/gtest.h>

#include <fstream>

#include "ServiceScreens.h"
#include "game/CDuration.h"
#include "ui/CButtonLanguage.h"
#include "ui/CTitle.h"

namespace {

using screentest::childrenOf;
using Welcome = screentest::ServiceScreens;

}  // namespace

TEST_F(Welcome, FirstStartOfflineShowsTheUnavailableMenu) {
    MAux::WEBSITE = "http://127.0.0.1:9";
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    ASSERT_TRUE(screen());
    EXPECT_TRUE(screen()->languages_.empty());  // nothing but the pictures until the service answers
    EXPECT_EQ(screen()->numChildren(), 2);      // the background without its overlay, and the logo
    waitForMenu();
    CWelcome& w = *screen();
    EXPECT_FALSE(CWelcome::first_time_);
    // The logo gave way to the light overlay.
    EXPECT_DOUBLE_EQ(w.getChildAt(1)->width(), 800);
    EXPECT_EQ(childrenOf<CButtonWelcomeRetry>(w).size(), 1u);
    EXPECT_EQ(childrenOf<CButtonWelcomeInstructions>(w).size(), 1u);
    auto titles = childrenOf<CTitle>(w);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_DOUBLE_EQ(titles[0]->y(), 25 + 50);

    // Flags: one row at y 4 from the right edge leftwards, the current language on.
    const auto& flags = w.languages_;
    EXPECT_EQ(flags[0]->id(), "tedesco");
    EXPECT_DOUBLE_EQ(flags[0]->x() + flags[0]->width(), 796);
    for (std::size_t i = 1; i < flags.size(); ++i) {
        EXPECT_DOUBLE_EQ(flags[i]->y(), 4);
        EXPECT_LT(flags[i]->x(), flags[i - 1]->x());
    }
    EXPECT_EQ(flags[4]->id(), "italiano");
    EXPECT_TRUE(flags[4]->button_on_->visible());

    // Retry builds a fresh welcome screen, which tries the service again.
    CWelcome* before = screen();
    h().click(400, childrenOf<CButtonWelcomeRetry>(w)[0]->y() + 10);
    h().step();
    EXPECT_NE(screen(), before);
}

TEST_F(Welcome, OnlineStartHandsOverTheCrashLogThenShowsTheMenu) {
    startService();
    Main::CRASH_LOG = (dir_.path() / "Pelmora.pml").string();
    std::ofstream(Main::CRASH_LOG) << "Exception: b at 0000000000401000 x@1:0 0 record in stack: \n";
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    waitForMenu();
    EXPECT_TRUE(CNetworking::isCryptReady());
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Pelmora.pml"));
    EXPECT_TRUE(childrenOf<CButtonWelcomeRetry>(*screen()).empty());
    EXPECT_EQ(childrenOf<CButtonWelcomeInstructions>(*screen()).size(), 1u);

    // With a session, a later welcome screen shows its menu at once, without a new handshake.
    const auto session = CNetworking::session_id_;
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    ASSERT_EQ(screen()->languages_.size(), 5u);
    h().step(5);
    EXPECT_EQ(CNetworking::session_id_, session);

    // Without a secure channel the start button goes straight to the game's length, never to a login.
    CNetworking::setCryptReadyForTests(false);
    press(*childrenOf<CButtonWelcomeStartGame>(*screen()).at(0));
    h().step(2);
    EXPECT_TRUE(screen<CDuration>());
    CNetworking::setCryptReadyForTests(std::nullopt);
}

TEST_F(Welcome, FlagsStillSwitchLanguageAfterEachSideScreen) {
    MAux::WEBSITE = "http://127.0.0.1:9";
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    waitForMenu();
    CWelcome* welcome = screen();
    for (int side : {CMain::SCREEN_PRIVACY, CMain::SCREEN_CREDITS}) {
        CMain::Call(side);
        h().step(2);
        CMain::Return(Value());
        h().step(2);
        ASSERT_EQ(screen(), welcome);
    }
    auto english = welcome->languages_[3];
    ASSERT_EQ(english->id(), "inglese");
    const scene::Point p = english->localToGlobal({english->width() / 2, english->height() / 2});
    h().click(p.x, p.y);
    EXPECT_EQ(CML::getLanguage(), "inglese");
    EXPECT_NE(screen(), welcome);  // rebuilt in the new language
}

TEST(WelcomeCrashLog, OnlyWholeNewestRecordsAreSent) {
    const std::string log = "aaa\nbbbb\ncc\n";
    EXPECT_EQ(CWelcome::newestRecords(log, 100), log);
    EXPECT_EQ(CWelcome::newestRecords(log, 8), "bbbb\ncc\n");  // the cut falls on a boundary
    EXPECT_EQ(CWelcome::newestRecords(log, 7), "cc\n");        // a partial record is dropped
    EXPECT_EQ(CWelcome::newestRecords(log, 2), "");
}
