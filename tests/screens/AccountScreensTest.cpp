#include <gtest/gtest.h>

#include <fstream>

#include "AccountRules.h"
#include "ServiceScreens.h"
#include "net/NetSupport.h"
#include "recipes/CPxIcon.h"
#include "scramble/Protocol.h"
#include "game/CDuration.h"
#include "game/CScore.h"
#include "screens/CInstructions.h"
#include "screens/CLogin.h"
#include "screens/CNewVersion.h"
#include "screens/CRegister.h"
#include "ui/CButtonLanguage.h"
#include "ui/CInput.h"
#include "ui/CTitle.h"

namespace {

using screentest::childrenOf;

class Account : public screentest::ServiceScreens {
protected:
    // Error lines under an input (its box, red box and field come first).
    static int errors(const CInput& input) { return input.numChildren() - 3; }
    // A stand-in service answering each script with a text sealed under the session key "k".
    void fakeService(std::map<std::string, std::string>& replies) {
        fake_ = std::make_unique<nettest::FakeService>();
        fake_->reply = [&replies](const nettest::FakeService::Request& r) {
            const std::string text = replies[r.path.substr(r.path.rfind('/') + 1)];
            if (text == "garbled") return text;
            return pelmora::scramble::sealMessage(text, pelmora::scramble::bytesOf("k"), [] { return 0.5; });
        };
        MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(fake_->port());
        CNetworking::session_key_ = CNetworking::Bytes{'k'};
    }
    std::shared_ptr<CLogin> openLogin() {
        CMain::Dispatch(CMain::SCREEN_LOGIN);
        return std::dynamic_pointer_cast<CLogin>(stage().getChildAt(stage().numChildren() - 1));
    }
    std::unique_ptr<nettest::FakeService> fake_;
};

// Every text on the stage that is not drawn masked.
void visibleTexts(const scene::DisplayObjectContainer& c, std::string& out) {
    for (int i = 0; i < c.numChildren(); ++i) {
        auto child = c.getChildAt(i);
        if (auto* t = dynamic_cast<scene::TextField*>(child.get()); t && !t->displayAsPassword()) out += t->text();
        if (auto* sub = dynamic_cast<scene::DisplayObjectContainer*>(child.get())) visibleTexts(*sub, out);
    }
}

}  // namespace

TEST_F(Account, RegistrationRefusesSeparatorsThenShowsEachReplyOfTheService) {
    startService();
    CNetworking::PrepareCryptChannel(nullptr);
    ASSERT_TRUE(stepUntil([] { return CNetworking::isCryptReady(); }));
    auto fill = [&](const std::string& name, const char* email) {
        CMain::Dispatch(CMain::SCREEN_REGISTER);
        h().step();
        CRegister& form = *screen<CRegister>();
        typeInto(*form.input_username_, name);
        typeInto(*form.input_password_, "secret12");
        typeInto(*form.input_email_, email);
        h().keyDown(13);
        EXPECT_TRUE(stepUntil([&] { return form.state() != CRegister::State::WAITING; }));
        return &form;
    };
    // A ";" is refused on the screen, before anything is sent; a name stops at the longest the service takes.
    CRegister* form = fill(std::string(70, 'k'), "kai;@sushi.example");
    EXPECT_EQ(form->input_username_->text(), std::string(20, 'k'));
    EXPECT_TRUE(pelmora::server::validUsername(form->input_username_->text()));
    EXPECT_EQ(form->state(), CRegister::State::FORM);
    EXPECT_EQ(errors(*form->input_email_), 1);
    form = fill("kai_7", "no-at-sign");
    EXPECT_EQ(errors(*form->input_email_), 1);
    EXPECT_EQ(errors(*form->input_username_) + errors(*form->input_password_), 0);
    // The next reply first clears the balloon it replaces.
    form->input_email_->toTextField()->setText("kai@sushi.example");
    press(*form->button_register_);
    ASSERT_TRUE(stepUntil([&] { return form->state() != CRegister::State::WAITING; }));
    EXPECT_EQ(form->state(), CRegister::State::REGISTERED);
    EXPECT_DOUBLE_EQ(childrenOf<CTitle>(*form).at(0)->y(), 100);
    EXPECT_DOUBLE_EQ(childrenOf<CButtonRegisterLogin>(*form).at(0)->width(), 800);

    form = fill("kai_7", "kai@sushi.example");
    EXPECT_EQ(errors(*form->input_username_), 1);
    EXPECT_EQ(errors(*form->input_email_), 0);
}

TEST_F(Account, AnOfflineStartRetriedOnlineShowsTheNewerVersionAndFetchesTheLevels) {
    MAux::WEBSITE = "http://127.0.0.1:9";
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    waitForMenu();
    levelsFile_ = dir_.path() / "levels.txt";
    std::ofstream(levelsFile_) << "0\t0\t1\r\n1\t50\t1.5\r\n";
    startService("9.9.9");
    std::vector<std::string> opened;
    scene::setURLOpener([&](const std::string& url) { opened.push_back(url); });
    press(*childrenOf<CButtonWelcomeRetry>(*screen())[0]);
    ASSERT_TRUE(stepUntil([&] { return screen<CNewVersion>() != nullptr; }));
    press(*childrenOf<CButtonNewVersionMore>(*screen<CNewVersion>())[0]);
    EXPECT_EQ(opened, std::vector<std::string>{MAux::WEBSITE + "/pel-mora"});
    scene::setURLOpener(nullptr);

    // A flag rebuilds the welcome screen, whose handshake leads back here in the new language.
    press(*screen<CNewVersion>()->languages_[3]);
    ASSERT_TRUE(stepUntil([&] { return screen<CNewVersion>() != nullptr; }));
    EXPECT_EQ(CML::getLanguage(), "inglese");

    press(*childrenOf<CButtonNewVersionReturn>(*screen<CNewVersion>())[0]);
    waitForMenu();
    EXPECT_EQ(CPxIcon::levels_txt_, "0\t0\t1\r\n1\t50\t1.5\r\n");
    CNetworking::session_key_.reset();  // a rebuilt welcome screen handshakes again, and is not sent back
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    waitForMenu();
    EXPECT_TRUE(CNetworking::isCryptReady());
}

TEST_F(Account, LoginWaitsForTheSessionCheckAndKeepsTotalsAFailedRetrievalDidNotBring) {
    std::map<std::string, std::string> replies{{"logged.php", ";"},
                                               {"login.php", "failed;wrong username/password"},
                                               {"score.php", "failed;wrong username/password"}};
    fakeService(replies);
    CScore::set_px(7);
    auto login = openLogin();
    typeInto(*login->input_username_, "kai_7");
    typeInto(*login->input_password_, "secret12");
    h().keyDown(13);  // before the session check has answered: nothing is sent
    ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
    EXPECT_EQ(fake_->requests().size(), 1u);
    h().keyDown(13);
    EXPECT_EQ(login->state(), CLogin::State::LOGGING_IN);
    ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
    EXPECT_EQ(errors(*login->input_username_) + errors(*login->input_password_), 2);
    std::string shown;
    visibleTexts(stage(), shown);
    EXPECT_EQ(shown.find("secret12"), std::string::npos);

    replies["login.php"] = "ok";
    press(*login->button_login_);
    ASSERT_TRUE(stepUntil([&] { return screen<CDuration>() != nullptr; }));
    EXPECT_EQ(CScore::get_px(), 7);
    EXPECT_FALSE(CScore::totalsFromService());

    // A rebuilt welcome screen fetches the totals it lacks; "12;x" gives 12 and 0.
    replies["score.php"] = "12;x";
    CWelcome::startup_done_ = true;
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    ASSERT_TRUE(stepUntil([] { return CScore::totalsFromService(); }));
    EXPECT_EQ(CScore::get_px(), 12);
    EXPECT_EQ(CScore::get_yen(), 0);
}

TEST_F(Account, LoginRepliesReachOnlyTheHandlerWaitingForThem) {
    std::map<std::string, std::string> replies{{"logged.php", "kai_7;token"}, {"score.php", "garbled"}};
    fakeService(replies);
    // A screen replaced during the session check hears nothing more.
    openLogin();
    CMain::Dispatch(CMain::SCREEN_INSTRUCTIONS);
    stepUntil([&] { return fake_->requests().size() == 1; });
    h().step(30);
    EXPECT_NE(screen<CInstructions>(), nullptr);

    // A failed totals request runs its own handler only: the duration choice, no error panel.
    auto login = openLogin();
    ASSERT_TRUE(stepUntil([&] { return screen<CDuration>() != nullptr; }));
    EXPECT_EQ(login->state(), CLogin::State::FETCHING);

    // A login whose reply cannot be read: the error panel, and the user before it is back.
    replies = {{"logged.php", ";"}, {"login.php", "garbled"}};
    login = openLogin();
    ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::WAITING; }));
    typeInto(*login->input_username_, "kai_8");
    typeInto(*login->input_password_, "secret12");
    press(*login->button_login_);
    ASSERT_TRUE(stepUntil([&] { return login->state() == CLogin::State::NETWORK_ERROR; }));
    EXPECT_FALSE(CNetworking::isLogged());
    h().keyDown(13);
    EXPECT_EQ(login->state(), CLogin::State::NETWORK_ERROR);
    press(*childrenOf<CButtonLoginCancel>(*login)[0]);
    EXPECT_NE(screen(), nullptr);
}
