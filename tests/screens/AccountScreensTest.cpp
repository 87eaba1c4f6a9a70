#include <gtest/gtest.h>

#include <fstream>

#include "ServiceScreens.h"
#include "net/NetSupport.h"
#include "recipes/CPxIcon.h"
#include "screens/CNewVersion.h"
#include "screens/CRegister.h"
#include "ui/CButtonLanguage.h"
#include "ui/CInput.h"
#include "ui/CTitle.h"

namespace {

using screentest::childrenOf;

class Account : public screentest::ServiceScreens {
protected:
    void addEntries(uitest::Entries& e) override {
        e["assets/languages/inglese.txt"] = uitest::languageFile({"NEW VERSION TITLE:=New version"});
    }
    // Types into a field as a player does: focus by a click, then the keys.
    void typeInto(CInput& input, const std::string& text) {
        press(input);
        h().type(text);
    }
    // Error lines under an input (its box, red box and field come first).
    static int errors(const CInput& input) { return input.numChildren() - 3; }
};

}  // namespace

TEST_F(Account, RegistrationRefusesSeparatorsThenShowsEachReplyOfTheService) {
    startService();
    CNetworking::session_key_ = CNetworking::Bytes{'k'};  // a key the service does not know
    CMain::Dispatch(CMain::SCREEN_REGISTER);
    CRegister& form = *screen<CRegister>();
    typeInto(*form.input_username_, std::string(70, 'a') + ";");
    EXPECT_EQ(form.input_username_->text(), std::string(64, 'a'));
    typeInto(*form.input_password_, "pass;word");
    h().keyDown(13);
    // Refused on the screen: nothing was sent.
    EXPECT_EQ(form.state(), CRegister::State::FORM);
    EXPECT_EQ(errors(*form.input_username_), 0);
    EXPECT_EQ(errors(*form.input_password_), 1);

    // An answer that does not open under the session key is a network error.
    form.input_password_->toTextField()->setText("password1");
    press(*form.button_register_);
    ASSERT_TRUE(stepUntil([&] { return form.state() != CRegister::State::WAITING; }));
    EXPECT_EQ(form.state(), CRegister::State::NETWORK_ERROR);
    EXPECT_EQ(childrenOf<CButtonRegisterRetry>(form).size(), 1u);
    EXPECT_EQ(childrenOf<CButtonRegisterCancel>(form).size(), 1u);
    EXPECT_EQ(childrenOf<CInput>(form).size(), 0u);
}

TEST_F(Account, RegistrationBalloonsByReasonThenSuccess) {
    startService();
    CNetworking::PrepareCryptChannel(nullptr);
    ASSERT_TRUE(stepUntil([] { return CNetworking::isCryptReady(); }));
    auto fill = [&](const char* name, const char* email) {
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
    CRegister* form = fill("kai_7", "no-at-sign");
    EXPECT_EQ(form->state(), CRegister::State::FORM);
    EXPECT_EQ(errors(*form->input_email_), 1);
    EXPECT_EQ(errors(*form->input_username_) + errors(*form->input_password_), 0);
    // The next reply first clears the balloon it replaces.
    form->input_email_->toTextField()->setText("kai@sushi.example");
    press(*form->button_register_);
    ASSERT_TRUE(stepUntil([&] { return form->state() != CRegister::State::WAITING; }));
    EXPECT_EQ(form->state(), CRegister::State::REGISTERED);
    auto titles = childrenOf<CTitle>(*form);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_DOUBLE_EQ(titles[0]->y(), 100);
    ASSERT_EQ(childrenOf<CButtonRegisterLogin>(*form).size(), 1u);
    EXPECT_DOUBLE_EQ(childrenOf<CButtonRegisterLogin>(*form)[0]->width(), 800);

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
    press(*childrenOf<CButtonNewVersionMore>(*screen<CNewVersion>())[0]);
    EXPECT_EQ(opened, std::vector<std::string>(2, MAux::WEBSITE + "/pel-mora"));
    scene::setURLOpener(nullptr);

    // A flag rebuilds the welcome screen, whose handshake leads back here in the new language.
    press(*screen<CNewVersion>()->languages_[3]);
    ASSERT_TRUE(stepUntil([&] { return screen<CNewVersion>() != nullptr; }));
    EXPECT_EQ(CML::getLanguage(), "inglese");
    EXPECT_TRUE(screen<CNewVersion>()->languages_[3]->button_on_->visible());
    EXPECT_EQ(childrenOf<CTitle>(*screen<CNewVersion>()).at(0)->y(), 25 + 150);

    press(*childrenOf<CButtonNewVersionReturn>(*screen<CNewVersion>())[0]);
    waitForMenu();
    EXPECT_EQ(CPxIcon::levels_txt_, "0\t0\t1\r\n1\t50\t1.5\r\n");
    CNetworking::session_key_.reset();  // a rebuilt welcome screen handshakes again, and is not sent back
    CMain::Dispatch(CMain::SCREEN_WELCOME);
    waitForMenu();
    EXPECT_TRUE(CNetworking::isCryptReady());
}
