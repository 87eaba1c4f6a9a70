#include "screens/CButtonPrivacy.h"

#include "app/CMain.h"

CButtonPrivacy::CButtonPrivacy(scene::DisplayObjectContainer* parent) : CButtonSmall("PRIVACY BUTTON", parent) {
    setWidth(WIDTH);
    // Above the score strip that fills the bottom 80 pixels.
    setX(800 - width() - 4);
    setY(480 - height() - 80 - 6);
}

void CButtonPrivacy::listener_click(scene::MouseEvent&) { CMain::Call(CMain::SCREEN_PRIVACY); }
