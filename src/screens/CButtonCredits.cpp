#include "screens/CButtonCredits.h"

#include "app/CMain.h"

CButtonCredits::CButtonCredits(scene::DisplayObjectContainer* parent) : CButtonSmall("CREDITS BUTTON", parent) {
    setWidth(WIDTH);
    // Above the score strip that fills the bottom 80 pixels.
    setX(4);
    setY(480 - height() - 80 - 6);
}

void CButtonCredits::listener_click(scene::MouseEvent&) { CMain::Call(CMain::SCREEN_CREDITS); }
