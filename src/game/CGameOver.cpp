#include "game/CGameOver.h"

#include "app/CMain.h"
#include "app/MAux.h"
#include "game/CScore.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

CGameOver::CGameOver(const Value&) {
    MAux::randomBackground(*this, true);
    auto current = std::make_shared<CScore>(-2);
    auto total = std::make_shared<CScore>(-3);
    addChild(std::make_shared<CTitle>("GAME OVER TITLE"));
    auto currentText = std::make_shared<CText>("GAME OVER EXPLAINED CURRENT SCORE", this);
    addChild(currentText);
    addChild(current);
    current->setY(currentText->y() + currentText->height() + DISPLACEMENT);
    auto totalText = std::make_shared<CText>("GAME OVER EXPLAINED TOTAL SCORE", this);
    addChild(totalText);
    addChild(total);
    total->setY(totalText->y() + totalText->height() + DISPLACEMENT);
    addChild(std::make_shared<CButtonGameOverWelcome>(this));
}

void CGameOver::prepareAheadOfPlay() {
    // One task each, so that a menu frame's budget is spent one text and its glow at a time.
    MAux::prepareAhead([] { std::make_shared<CTitle>("GAME OVER TITLE")->prepare(); });
    MAux::prepareAhead([] { std::make_shared<CText>("GAME OVER EXPLAINED CURRENT SCORE")->prepare(); });
    MAux::prepareAhead([] { std::make_shared<CText>("GAME OVER EXPLAINED TOTAL SCORE")->prepare(); });
    MAux::prepareAhead([] { std::make_shared<CButtonGameOverWelcome>(nullptr)->prepare(); });
}

CButtonGameOverWelcome::CButtonGameOverWelcome(scene::DisplayObjectContainer* parent)
    : CButton("GAME OVER WELCOME BUTTON", parent) {}

void CButtonGameOverWelcome::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
