#include "game/CPause.h"

#include "app/CMain.h"
#include "ui/CQuitButton.h"
#include "ui/CTitle.h"

namespace {
constexpr double PANEL_X = 200;
constexpr double PANEL_Y = 130;
constexpr double PANEL_W = 400;
constexpr double PANEL_H = 220;
}  // namespace

CPause::CPause() {
    auto dim = std::make_shared<scene::Sprite>();
    dim->graphics().beginFill(0x000000, 0.55);
    dim->graphics().drawRect(0, 0, 800, 480);
    dim->graphics().beginFill(0xDCC2B1, 1);
    dim->graphics().drawRoundRect(PANEL_X - 2, PANEL_Y - 2, PANEL_W + 4, PANEL_H + 4, 24);
    dim->graphics().beginFill(0xFCE2D1, 1);
    dim->graphics().drawRoundRect(PANEL_X, PANEL_Y, PANEL_W, PANEL_H, 20);
    dim->graphics().endFill();
    addChild(dim);

    auto title = std::make_shared<CTitle>("PAUSE TITLE");
    addChild(title);
    title->setY(PANEL_Y + 24);
    auto resume = std::make_shared<CButtonPauseResume>(this);
    addChild(resume);
    resume->setY(PANEL_Y + 96);
    cquitbutton_ = std::make_shared<CQuitButton>();
    addChild(cquitbutton_);
    cquitbutton_->setX((800 - cquitbutton_->width()) / 2);
    cquitbutton_->setY(PANEL_Y + PANEL_H - cquitbutton_->height() - 16);

    if (auto* stage = scene::Stage::current()) {
        stage->addEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CPause::listener_key_down);
    }
}

void CPause::Delete() {
    closed_ = true;
    if (auto* stage = scene::Stage::current()) {
        stage->removeEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CPause::listener_key_down);
    }
    if (cquitbutton_) cquitbutton_->Delete();
}

void CPause::listener_key_down(scene::KeyboardEvent& event) {
    if (event.keyCode == 'P' || event.keyCode == scene::Keyboard::ESCAPE) resumeGame();
}

void CPause::resumeGame() {
    if (closed_) return;
    Delete();
    CMain::Return();
}

CButtonPauseResume::CButtonPauseResume(scene::DisplayObjectContainer* parent) : CButton("PAUSE RESUME BUTTON", parent) {}

void CButtonPauseResume::listener_click(scene::MouseEvent&) {
    if (auto* pause = dynamic_cast<CPause*>(parent())) pause->resumeGame();
}
