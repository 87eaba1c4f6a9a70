#include "game/CDuration.h"

#include "app/CMain.h"
#include "app/MAux.h"
#include "game/CScore.h"
#include "ui/CTitle.h"

CDuration::CDuration(const Value&) {
    MAux::randomBackground(*this, true);
    auto score = std::make_shared<CScore>(-1);
    addChild(score);
    score->setY(400);
    // Placed from the top like every screen's title, not below the score strip.
    auto title = std::make_shared<CTitle>("DURATION TITLE");
    addChild(title);
    title->setY(title->y() + 40);
    addChild(std::make_shared<CButtonDurationBase>("DURATION SHORT BUTTON", 6, this));
    addChild(std::make_shared<CButtonDurationBase>("DURATION MEDIUM BUTTON", 12, this));
    addChild(std::make_shared<CButtonDurationBase>("DURATION LONG BUTTON", 24, this));
    addChild(std::make_shared<CButtonDurationCancel>(this));
}

CButtonDurationBase::CButtonDurationBase(const std::string& key, int orders, scene::DisplayObjectContainer* parent)
    : CButton(key, parent), orders_(orders) {
    setY(y() + 10);
}

void CButtonDurationBase::listener_click(scene::MouseEvent&) {
    CMain::Dispatch(CMain::SCREEN_GAME, Value(Value::Array{Value("1"), Value(orders_)}));
}

CButtonDurationCancel::CButtonDurationCancel(scene::DisplayObjectContainer* parent)
    : CButton("DURATION CANCEL BUTTON", parent) {
    setY(y() + 10);
}

void CButtonDurationCancel::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
