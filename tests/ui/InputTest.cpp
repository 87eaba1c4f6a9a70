#include <gtest/gtest.h>

#include <cmath>

#include "support/TestGame.h"
#include "ui/CInput.h"
#include "ui/CInputError.h"
#include "ui/CLabel.h"
#include "ui/CTitle.h"
#include "ui/UiTestPackage.h"

namespace {

class Inputs : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        auto e = uitest::basePackage();
        e["assets/languages/italiano.txt"] = uitest::languageFile({
            "USER:=Utente",
            "E1:=Nome sconosciuto",
            "E2:=Troppo corto",
            "ELONG:=Questo messaggio di errore e' davvero troppo lungo per stare su una sola riga sotto la casella",
            "EHTML:=Riprova <b>subito</b>",
        });
        package(e);
        screen = std::make_shared<CScreen>();
        MAux::randomBackground(*screen);
        stage().addChild(screen);
        CMain::aux_stage();
    }
    // A label and its input on the next row of the screen.
    std::shared_ptr<CInput> row(const std::optional<std::string>& text, bool password = false) {
        screen->addChild(std::make_shared<CLabel>("USER", screen.get()));
        auto in = std::make_shared<CInput>(text, password, screen.get());
        screen->addChild(in);
        return in;
    }
    void clickInto(const CInput& in) { h().click(in.x() + 300, in.y() + 15); }

    std::shared_ptr<CScreen> screen;
};

// Records the key codes that reach the screen.
struct KeyProbe : scene::LifeTracked {
    void onKey(scene::KeyboardEvent& e) { codes.push_back(e.keyCode); }
    std::vector<int> codes;
};

}  // namespace

TEST_F(Inputs, EmptyBoxTakesTypingAndEditingKeys) {
    auto in = row(std::nullopt);
    EXPECT_EQ(in->text(), "");
    EXPECT_EQ(in->x(), 410);
    EXPECT_EQ(in->width(), 350);
    EXPECT_TRUE(in->bg_->visible());
    EXPECT_FALSE(in->bg_error_->visible());

    clickInto(*in);
    EXPECT_EQ(stage().focus(), in->toTextField());
    h().type("pelmora");
    EXPECT_EQ(in->text(), "pelmora");
    // The field is the box's height; a descender may draw below it.
    auto field = in->toTextField();
    EXPECT_EQ(field->height(), 30);
    EXPECT_TRUE(field->overflowVisible());
    h().keyDown(scene::Keyboard::BACKSPACE);
    EXPECT_EQ(in->text(), "pelmor");
    h().keyDown(scene::Keyboard::HOME);
    h().keyDown(scene::Keyboard::DELETE);
    EXPECT_EQ(in->text(), "elmor");
    h().keyDown(scene::Keyboard::RIGHT);
    h().type("X");
    EXPECT_EQ(in->text(), "eXlmor");
    h().keyDown(scene::Keyboard::END);
    h().keyDown(scene::Keyboard::LEFT);
    h().type("Y");
    EXPECT_EQ(in->text(), "eXlmoYr");

    // Any length is taken.
    const std::string many(200, 'z');
    h().type(many);
    EXPECT_EQ(in->text().size(), 7 + many.size());
}

TEST_F(Inputs, GivenTextIsKeptAndEnterReachesTheScreen) {
    auto in = row(std::string("mario"));
    EXPECT_EQ(in->text(), "mario");
    KeyProbe probe;
    screen->addEventListener(scene::KeyboardEvent::KEY_DOWN, &probe, &KeyProbe::onKey);
    clickInto(*in);
    h().type("!");
    h().keyDown(scene::Keyboard::ENTER);
    EXPECT_EQ(in->text(), "mario!");  // Enter does not go into a one-line field
    ASSERT_FALSE(probe.codes.empty());
    EXPECT_EQ(probe.codes.back(), scene::Keyboard::ENTER);
    screen->removeEventListener(scene::KeyboardEvent::KEY_DOWN, &probe, &KeyProbe::onKey);
}

TEST_F(Inputs, PasswordIsMaskedOnScreenAndClearInText) {
    auto secret = row(std::nullopt, true);
    auto plain = row(std::nullopt, false);
    clickInto(*secret);
    h().type("lilli");
    EXPECT_EQ(secret->text(), "lilli");
    EXPECT_TRUE(secret->toTextField()->displayAsPassword());

    // Laid out as five masking characters, not as the narrow letters typed.
    clickInto(*plain);
    h().type("*****");
    EXPECT_EQ(secret->toTextField()->textWidth(), plain->toTextField()->textWidth());
    scene::TextField shown;
    shown.setDefaultTextFormat(*CInput::format_input_);
    shown.setText("lilli");
    EXPECT_NE(secret->toTextField()->textWidth(), shown.textWidth());
}

TEST_F(Inputs, ErrorsStackAndHideRemovesTheFirst) {
    auto in = row(std::string("x"));
    stage().setFocus(nullptr);
    in->show_error("E1");
    EXPECT_FALSE(in->bg_->visible());
    EXPECT_TRUE(in->bg_error_->visible());
    EXPECT_EQ(stage().focus(), in->toTextField());  // an error puts the keys back into the field
    in->show_error("E2");
    ASSERT_EQ(in->numChildren(), 5);
    auto first = std::dynamic_pointer_cast<CInputError>(in->getChildAt(3));
    auto second = std::dynamic_pointer_cast<CInputError>(in->getChildAt(4));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->t_->text(), "Nome sconosciuto");
    EXPECT_EQ(first->x(), 0);
    // The short line is centred under the 350-pixel box.
    EXPECT_NEAR(first->t_->x() + first->t_->width() / 2, 175, 1);
    EXPECT_EQ(first->y(), 30);
    EXPECT_EQ(second->x(), 0);
    EXPECT_EQ(second->y(), 30 + first->height());  // below the first, not over it

    in->hide_error();
    EXPECT_TRUE(in->bg_->visible());
    EXPECT_FALSE(in->bg_error_->visible());
    ASSERT_EQ(in->numChildren(), 4);
    EXPECT_EQ(in->getChildAt(3), second);
    EXPECT_EQ(second->t_->text(), "Troppo corto");
    EXPECT_EQ(second->y(), 30);

    in->hide_error();
    in->hide_error();  // nothing left to remove
    EXPECT_EQ(in->numChildren(), 3);
    EXPECT_EQ(in->text(), "x");
}

// Typing past the limit flashes the box red and keeps what fits; then the box
// has its colour from before again, red while an error is shown.
TEST_F(Inputs, TypingPastTheLimitFlashesTheBox) {
    auto in = row(std::nullopt);
    in->toTextField()->setMaxChars(4);
    clickInto(*in);
    for (bool error : {false, true}) {
        if (error) in->show_error("E1");
        h().type("abcdé");
        EXPECT_EQ(in->text(), "abcd");
        EXPECT_TRUE(in->bg_error_->visible());
        h().step(CInput::FLASH_FRAMES);
        EXPECT_EQ(in->bg_error_->visible(), error);
        EXPECT_NE(in->bg_->visible(), error);
    }
}

TEST_F(Inputs, ErrorLinesStayInsideTheWindow) {
    auto in = row(std::nullopt);
    in->show_error("ELONG");
    auto line = std::dynamic_pointer_cast<CInputError>(in->getChildAt(3));
    ASSERT_TRUE(line);
    EXPECT_GT(line->t_->numLines(), 1);
    EXPECT_LE(line->t_->width(), 350);
    EXPECT_LE(in->x() + line->x() + line->width(), 800);
    EXPECT_EQ(line->s_->height(), line->t_->height());

    // Markup is read, not shown; a short line keeps to one line.
    in->show_error("EHTML");
    auto markup = std::dynamic_pointer_cast<CInputError>(in->getChildAt(4));
    ASSERT_TRUE(markup);
    EXPECT_EQ(markup->t_->text(), "Riprova subito");
    EXPECT_EQ(markup->t_->numLines(), 1);
}

TEST_F(Inputs, LabelAndInputShareTheirRow) {
    // Right after the background picture, after a title, and as the first row.
    auto first = row(std::nullopt);
    auto label = screen->getChildAt(screen->numChildren() - 2);
    EXPECT_EQ(first->y(), label->y());

    screen->addChild(std::make_shared<CTitle>("T", screen.get()));
    auto second = row(std::nullopt);
    EXPECT_EQ(second->y(), screen->getChildAt(screen->numChildren() - 2)->y());
    EXPECT_GT(second->y(), first->y());

    // One thing above the row, then the label: the input must not jump to the top.
    scene::Sprite panel;
    panel.addChild(std::make_shared<CTitle>("T", &panel));
    auto label2 = std::make_shared<CLabel>("USER", &panel);
    panel.addChild(label2);
    EXPECT_GT(label2->y(), 25);
    EXPECT_EQ(CInput(std::nullopt, false, &panel).y(), label2->y());

    scene::Sprite empty;
    auto onlyLabel = std::make_shared<CLabel>("USER", &empty);
    empty.addChild(onlyLabel);
    EXPECT_EQ(CInput(std::nullopt, false, &empty).y(), onlyLabel->y());
    scene::Sprite none;
    EXPECT_EQ(CInput(std::nullopt, false, &none).y(), 25);
}

TEST_F(Inputs, PointerOverTheBoxDoesNotReachTheScreen) {
    struct MoveProbe : scene::LifeTracked {
        void onMove(scene::MouseEvent&) { ++moves; }
        int moves = 0;
    } probe;
    auto in = row(std::nullopt);
    screen->addEventListener(scene::MouseEvent::MOUSE_MOVE, &probe, &MoveProbe::onMove);
    h().mouseMove(in->x() + 100, in->y() + 10);
    EXPECT_EQ(probe.moves, 0);
    h().mouseMove(100, 470);
    EXPECT_EQ(probe.moves, 1);
    screen->removeEventListener(scene::MouseEvent::MOUSE_MOVE, &probe, &MoveProbe::onMove);
}

TEST_F(Inputs, FocusNeedsAnInputAndAStage) {
    auto in = row(std::nullopt);
    CMain::setFocus(std::shared_ptr<CInput>());
    EXPECT_EQ(stage().focus(), nullptr);
    CMain::setFocus(in);
    EXPECT_EQ(stage().focus(), in->toTextField());
    stage().setFocus(nullptr);
    CMain::reset();  // no stage known yet
    CMain::setFocus(in);
    EXPECT_EQ(stage().focus(), nullptr);
}

TEST_F(Inputs, TabCyclesTheFieldsInOrderAndAClickOutsideLetsGo) {
    const std::shared_ptr<CInput> in[] = {row("a"), row("b"), row("c")};
    const int order[] = {0, 1, 2, 0, 2, 1};  // Tab from nothing, Tab, Tab wraps, then Shift+Tab back
    for (int i = 0; i < 6; ++i) {
        stage().keyDown(scene::Keyboard::TAB, 0, i >= 4);
        EXPECT_EQ(stage().focus(), in[order[i]]->toTextField()) << i;
    }
    h().click(100, 470);
    EXPECT_EQ(stage().focus(), nullptr);
    h().type("x");
    for (const auto& field : in) EXPECT_EQ(field->text().size(), 1u);
}
