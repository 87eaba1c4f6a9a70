#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "Server.h"
#include "net/CNetworking.h"
#include "screens/CWelcome.h"
#include "screens/Screens.h"
#include "support/TestGame.h"
#include "ui/CButtonLanguage.h"
#include "ui/CTitle.h"
#include "ui/UiTestPackage.h"

namespace {

template <class T>
std::vector<T*> childrenOf(scene::DisplayObjectContainer& c) {
    std::vector<T*> found;
    for (int i = 0; i < c.numChildren(); ++i) {
        if (auto* t = dynamic_cast<T*>(c.getChildAt(i).get())) found.push_back(t);
    }
    return found;
}

class Welcome : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CNetworking::reset();
        CWelcome::reset();
        registerScreens();
        auto e = uitest::basePackage();
        e["assets/title.png"] = testsupport::pngBytes(200, 100, 0xFF8020A0);
        for (const char* lang : {"spagnolo", "francese", "tedesco"}) {
            const std::string base = std::string("assets/languages/") + lang;
            e[base + "_off.png"] = testsupport::pngBytes(30, 20, 0xFF808080);
            e[base + "_over.png"] = testsupport::pngBytes(30, 20, 0xFFFFFF00);
            e[base + "_on.png"] = testsupport::pngBytes(30, 20, 0xFF00FF00);
        }
        e["assets/languages/italiano.txt"] = uitest::languageFile(
            {"WELCOME RETRY:=Riprova", "WELCOME INSTRUCTIONS:=Istruzioni", "WELCOME NETWORK UNAVAILABLE EXPLAINED:=Offline"});
        e["assets/version.txt"] = testsupport::bytes("1.0.0");
        package(e);
        Main::VERSION = "1.0.0";
    }
    void TearDown() override {
        CNetworking::reset();
        CWelcome::reset();
        if (server_) {
            server_->stop();
            serving_.join();
        }
        GameFixture::TearDown();
    }
    void startService() {
        pelmora::server::ServerConfig config;
        config.port = 0;
        config.dataDir = dir_.path() / "db";
        config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
        server_ = std::make_unique<pelmora::server::Server>(config);
        const int port = server_->bind();
        serving_ = std::thread([this] { server_->listen(); });
        MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(port);
    }
    CWelcome* screen() { return dynamic_cast<CWelcome*>(stage().getChildAt(stage().numChildren() - 1).get()); }
    // Steps until the menu's flags are up, a few seconds at most.
    void waitForMenu() {
        for (int i = 0; i < 400 && (!screen() || screen()->languages_.empty()); ++i) h().step();
        ASSERT_TRUE(screen());
        ASSERT_EQ(screen()->languages_.size(), 5u);
    }

    std::unique_ptr<pelmora::server::Server> server_;
    std::thread serving_;
};

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
    std::ofstream(dir_.path() / "Pelmora.pml") << "Exception: b at 0000000000401000 x@1:0 0 record in stack: \n";
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
