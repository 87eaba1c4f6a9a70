#include <gtest/gtest.h>

#include "app/CSoundButton.h"
#include "support/TestGame.h"

using testsupport::bytes;

class Languages : public testsupport::GameFixture {};

TEST_F(Languages, FileParsingRules) {
    const std::string italian =
        "TITLE:=Hello:=World\r\n"
        " LEAD:=with a blank\r\n"
        "comment line without the marker\r\n"
        "\r\n"
        "TWO:=first^Msecond\r\n"
        "ACCENT:=perch\xE8\r\n"
        "PX TITLE:=first wins\r\n"
        "PX TITLE:=second loses\r\n"
        "EMPTY:=\r\n";
    package({{"assets/languages/italiano.txt", bytes(italian)},
             {"assets/languages/inglese.txt", bytes("TITLE:=Hi\nOTHER:=lost on the same line")}});
    EXPECT_EQ(CML::text("TITLE"), "Hello");
    EXPECT_EQ(CML::text("LEAD"), "LEAD");
    EXPECT_EQ(CML::text(" LEAD"), "with a blank");
    EXPECT_EQ(CML::text("TWO"), "first\nsecond");
    EXPECT_EQ(CML::text("ACCENT"), "perch\xC3\xA8");
    EXPECT_EQ(CML::text("PX TITLE"), "first wins");
    EXPECT_EQ(CML::text("EMPTY"), "");
    EXPECT_EQ(CML::text("1234"), "1234");
    EXPECT_EQ(CML::getLanguage(), "italiano");

    // Bare LF line ends make the whole file one line: one entry, cut at the second marker.
    CML::setLanguage("inglese");
    EXPECT_EQ(CML::getLanguage(), "inglese");
    EXPECT_EQ(CML::text("TITLE"), "Hi\nOTHER");
    EXPECT_EQ(CML::text("OTHER"), "OTHER");
}

TEST_F(Languages, MissingLanguageFileShowsKeys) {
    package({{"assets/version.txt", bytes("1.0.0")}});
    testing::internal::CaptureStderr();
    EXPECT_EQ(CML::text("LOGIN TITLE"), "LOGIN TITLE");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("italiano.txt"), std::string::npos);
}

class SoundSwitch : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        package({{"assets/music/on.png", testsupport::pngBytes(10, 10)},
                 {"assets/music/on_over.png", testsupport::pngBytes(11, 10)},
                 {"assets/music/off.png", testsupport::pngBytes(12, 10)},
                 {"assets/music/off_over.png", testsupport::pngBytes(13, 10)}});
    }
    static std::string shown(const CSoundButton& b) {
        std::string s;
        if (b.button_on_->visible()) s += "on ";
        if (b.button_on_over_->visible()) s += "on_over ";
        if (b.button_off_->visible()) s += "off ";
        if (b.button_off_over_->visible()) s += "off_over ";
        return s;
    }
};

namespace {

class Panel : public scene::Sprite, public CSoundButtonHost {
public:
    int resets = 0;
    void listener_mouse_over(scene::MouseEvent&) override { ++resets; }
};

}  // namespace

TEST_F(SoundSwitch, PicturesFollowClicksAndHovers) {
    auto panel = std::make_shared<Panel>();
    auto button = std::make_shared<CSoundButton>();
    panel->addChild(button);
    button->setX(100);
    button->setY(100);
    stage().addChild(panel);
    EXPECT_EQ(shown(*button), "on ");

    h().mouseMove(105, 105);
    EXPECT_EQ(shown(*button), "on_over ");
    EXPECT_EQ(panel->resets, 1);
    h().mouseDown(105, 105);
    EXPECT_FALSE(CSound::isEnabled());
    EXPECT_EQ(shown(*button), "off_over ");
    h().mouseDown(105, 105);
    EXPECT_TRUE(CSound::isEnabled());
    EXPECT_EQ(shown(*button), "on_over ");
    h().mouseDown(105, 105);
    h().mouseMove(400, 400);
    EXPECT_EQ(shown(*button), "off ");

    // A switch made later, in the next game, shows the state as it is.
    auto next = std::make_shared<CSoundButton>();
    EXPECT_EQ(shown(*next), "off ");
    CSound effect("ordine");  // silent while switched off, and never an error
    CSound unknown("no such effect");
    EXPECT_EQ(CSound::requests(), 2);

    button->Delete();
    h().mouseMove(105, 105);
    EXPECT_EQ(shown(*button), "off ");  // no longer listening
}
