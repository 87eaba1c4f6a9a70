#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

#include "net/CNetworking.h"
#include "screens/CButtonCredits.h"
#include "screens/CButtonPrivacy.h"
#include "screens/CCredits.h"
#include "screens/CInstructions.h"
#include "screens/CPrivacy.h"
#include "screens/CPx.h"
#include "screens/CYen.h"
#include "screens/Screens.h"
#include "support/TestGame.h"
#include "ui/CText.h"
#include "ui/CTitle.h"
#include "ui/UiTestPackage.h"

namespace {

// Stands in for the welcome screen, so these tests do not reach the service.
class WelcomeProbe : public CScreen {};

struct ScreenCase {
    int id;
    const char* prefix;      // of the title, text and button keys
    const char* morePath;    // after the web site's address
    bool moreFirst;          // the more button above the return button
    bool moreOnlyOnline;
    const std::type_info& returnType;
    const std::type_info& moreType;
};

const std::vector<ScreenCase>& cases() {
    static const std::vector<ScreenCase> all = {
        {CMain::SCREEN_INSTRUCTIONS, "INSTRUCTIONS", "/pel-mora/istruzioni", false, true,
         typeid(CButtonInstructionsReturnToWelcome), typeid(CButtonInstructionsMore)},
        {CMain::SCREEN_CREDITS, "CREDITS", "/condizioni", false, true, typeid(CButtonCreditsReturn),
         typeid(CButtonCreditsMore)},
        {CMain::SCREEN_PRIVACY, "PRIVACY", "/privacy", false, true, typeid(CButtonPrivacyReturn),
         typeid(CButtonPrivacyMore)},
        {CMain::SCREEN_PX, "PX", "", true, false, typeid(CButtonPxReturn), typeid(CButtonPxMore)},
        {CMain::SCREEN_YEN, "YEN", "/pel-mora/mercato", true, false, typeid(CButtonYenReturn), typeid(CButtonYenMore)},
    };
    return all;
}

class InformationScreens : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CNetworking::reset();
        auto e = uitest::basePackage();
        std::vector<std::string> lines;
        for (const auto& c : cases()) {
            const std::string p = c.prefix;
            lines.push_back(p + " TITLE:=" + p + " title");
            lines.push_back(p + " EXPLAINED:=" + p + " first line^Msecond line");
            lines.push_back(p + (c.id == CMain::SCREEN_INSTRUCTIONS ? " RETURN TO WELCOME BUTTON" : " RETURN BUTTON") +
                            ":=" + p + " back");
            lines.push_back(p + " MORE BUTTON:=" + p + " more");
        }
        lines.push_back("PRIVACY BUTTON:=Privacy");
        lines.push_back("CREDITS BUTTON:=Credits");
        e["assets/languages/italiano.txt"] = uitest::languageFile(lines);
        package(e);

        registerScreens();
        CMain::registerScreen(CMain::SCREEN_WELCOME, [this](const Value&) {
            auto s = std::make_shared<WelcomeProbe>();
            MAux::randomBackground(*s);
            welcomes.push_back(s);
            return s;
        });
        scene::setURLOpener([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override {
        scene::setURLOpener(nullptr);
        CMain::registerScreen(CMain::SCREEN_WELCOME, [](const Value&) { return std::shared_ptr<CScreen>(); });
        CNetworking::reset();
        GameFixture::TearDown();
    }

    std::shared_ptr<scene::DisplayObject> top() { return stage().getChildAt(stage().numChildren() - 1); }
    std::shared_ptr<CScreen> show(int id) {
        CMain::Dispatch(id);
        h().step();
        EXPECT_EQ(stage().numChildren(), 1);
        return std::dynamic_pointer_cast<CScreen>(top());
    }
    // The buttons of a screen, bottom child first.
    static std::vector<std::shared_ptr<CButton>> buttons(const CScreen& s) {
        std::vector<std::shared_ptr<CButton>> out;
        for (int i = 0; i < s.numChildren(); ++i) {
            if (auto b = std::dynamic_pointer_cast<CButton>(s.getChildAt(i))) out.push_back(b);
        }
        return out;
    }
    void press(const CTextButton& b) {
        const double w = b.width(), x = b.x() + w / 2;
        h().click(x, b.y() + b.height() / 2);
    }

    std::vector<std::shared_ptr<WelcomeProbe>> welcomes;
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(InformationScreens, EachScreenOfflineAndOnline) {
    for (bool online : {false, true}) {
        CNetworking::setCryptReadyForTests(online);
        for (const auto& c : cases()) {
            SCOPED_TRACE(std::string(c.prefix) + (online ? " online" : " offline"));
            auto s = show(c.id);
            ASSERT_TRUE(s);
            // Background and light overlay, title, text, then the buttons.
            auto title = std::dynamic_pointer_cast<CTitle>(s->getChildAt(2));
            auto text = std::dynamic_pointer_cast<CText>(s->getChildAt(3));
            ASSERT_TRUE(title && text);
            EXPECT_EQ(std::dynamic_pointer_cast<scene::TextField>(title->getChildAt(0))->text(),
                      std::string(c.prefix) + " title");
            EXPECT_EQ(title->y(), 25);
            EXPECT_EQ(text->t_->text(), std::string(c.prefix) + " first line\nsecond line");
            EXPECT_EQ(text->y(), title->y() + title->height() + 25);

            const auto bs = buttons(*s);
            const bool withMore = online || !c.moreOnlyOnline;
            ASSERT_EQ(bs.size(), withMore ? 2u : 1u);
            // The instructions list the keys below the text, and their buttons share a row.
            const bool keys = c.id == CMain::SCREEN_INSTRUCTIONS;
            EXPECT_EQ(s->numChildren(), 4 + keys + static_cast<int>(bs.size()));
            const auto& back = c.moreFirst ? *bs.back() : *bs.front();
            EXPECT_EQ(typeid(back), c.returnType);
            EXPECT_EQ(back.t_->text(), std::string(c.prefix) + " back");
            if (withMore) {
                const auto& more = c.moreFirst ? *bs.front() : *bs.back();
                EXPECT_EQ(typeid(more), c.moreType);
                EXPECT_EQ(more.t_->text(), std::string(c.prefix) + " more");
            }
            const auto& above = *s->getChildAt(3 + keys);
            EXPECT_EQ(bs.front()->y(), above.y() + above.height() + 15);
            if (c.id == CMain::SCREEN_CREDITS || keys) continue;  // one row, below
            for (const auto& b : bs) {
                EXPECT_EQ(b->x(), 0);
                EXPECT_EQ(b->width(), 800);
            }
            if (bs.size() == 2) {
                EXPECT_EQ(bs[1]->y(), bs[0]->y() + bs[0]->height() + 15);
            }
        }
    }
}

TEST_F(InformationScreens, CreditsButtonsShareOneRowHalfEach) {
    auto offline = show(CMain::SCREEN_CREDITS);
    auto bs = buttons(*offline);
    ASSERT_EQ(bs.size(), 1u);
    EXPECT_EQ(bs[0]->x(), 0);
    EXPECT_EQ(bs[0]->width(), 400);
    EXPECT_EQ(bs[0]->t_->width(), 400);  // its caption centred in the left half

    CNetworking::setCryptReadyForTests(true);
    auto online = show(CMain::SCREEN_CREDITS);
    bs = buttons(*online);
    ASSERT_EQ(bs.size(), 2u);
    EXPECT_EQ(bs[0]->x(), 0);
    EXPECT_EQ(bs[0]->width(), 400);
    EXPECT_EQ(bs[1]->x(), 400);
    EXPECT_EQ(bs[1]->width(), 400);
    EXPECT_EQ(bs[1]->y(), bs[0]->y());
    EXPECT_EQ(bs[0]->scaleX(), 1);
    EXPECT_EQ(bs[1]->scaleX(), 1);

    // Each half answers for itself.
    press(*bs[1]);
    EXPECT_EQ(opened, std::vector<std::string>{MAux::WEBSITE + "/condizioni"});
    EXPECT_EQ(top(), online);
}

TEST_F(InformationScreens, MoreButtonsOpenTheirPageAndTheScreenStays) {
    CNetworking::setCryptReadyForTests(true);
    MAux::WEBSITE = "http://example.test:8080";
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.prefix);
        opened.clear();
        auto s = show(c.id);
        const auto bs = buttons(*s);
        ASSERT_EQ(bs.size(), 2u);
        press(c.moreFirst ? *bs.front() : *bs.back());
        h().step(2);
        EXPECT_EQ(opened, std::vector<std::string>{"http://example.test:8080" + std::string(c.morePath)});
        EXPECT_EQ(stage().numChildren(), 1);
        EXPECT_EQ(top(), s);
    }
}

TEST_F(InformationScreens, SideScreensReturnToTheSameScreenObject) {
    auto welcome = show(CMain::SCREEN_WELCOME);
    for (const auto& c : cases()) {
        if (c.id == CMain::SCREEN_INSTRUCTIONS) continue;
        SCOPED_TRACE(c.prefix);
        CMain::Call(c.id);
        h().step();
        auto side = std::dynamic_pointer_cast<CScreen>(top());
        ASSERT_NE(side, welcome);
        const auto bs = buttons(*side);
        press(c.moreFirst ? *bs.back() : *bs.front());
        h().step();
        EXPECT_EQ(stage().numChildren(), 1);
        EXPECT_EQ(top(), welcome);
        EXPECT_TRUE(CMain::getValue().isNull());
        EXPECT_TRUE(CMain::stack_.empty());
    }
    EXPECT_EQ(welcomes.size(), 1u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(InformationScreens, InstructionsLeadToANewWelcomeScreen) {
    auto first = show(CMain::SCREEN_WELCOME);
    auto instructions = show(CMain::SCREEN_INSTRUCTIONS);
    press(*buttons(*instructions).front());
    h().step();
    ASSERT_EQ(welcomes.size(), 2u);
    EXPECT_EQ(top(), welcomes[1]);
    EXPECT_NE(top(), first);
    EXPECT_EQ(stage().numChildren(), 1);
}

TEST_F(InformationScreens, SmallButtonsSitAboveTheScoreStripAndOpenSideScreens) {
    auto welcome = show(CMain::SCREEN_WELCOME);
    auto privacy = std::make_shared<CButtonPrivacy>(welcome.get());
    welcome->addChild(privacy);
    auto credits = std::make_shared<CButtonCredits>(welcome.get());
    welcome->addChild(credits);

    EXPECT_EQ(privacy->width(), 140);
    EXPECT_EQ(privacy->x(), 800 - 140 - 4);
    EXPECT_EQ(privacy->y(), 480 - privacy->height() - 80 - 6);
    EXPECT_EQ(privacy->t_->text(), "Privacy");
    EXPECT_EQ(credits->width(), 100);
    EXPECT_EQ(credits->x(), 4);
    EXPECT_EQ(credits->y(), privacy->y());
    EXPECT_LE(privacy->t_->textWidth(), 140);

    press(*privacy);
    h().step();
    ASSERT_TRUE(std::dynamic_pointer_cast<CPrivacy>(top()));
    ASSERT_EQ(CMain::stack_.size(), 1u);
    EXPECT_EQ(CMain::stack_.back(), welcome);
    press(*buttons(*std::dynamic_pointer_cast<CScreen>(top())).front());
    h().step();
    EXPECT_EQ(top(), welcome);

    press(*credits);
    h().step();
    EXPECT_TRUE(std::dynamic_pointer_cast<CCredits>(top()));
    EXPECT_EQ(CMain::stack_.back(), welcome);
}
