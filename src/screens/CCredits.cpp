#include "screens/CCredits.h"

#include "app/CMain.h"
#include "net/CNetworking.h"

CCredits::CCredits(const Value&) : CInformation("CREDITS TITLE", "CREDITS EXPLAINED") {
    // The two buttons share one row, each taking half of the width.
    auto back = std::make_shared<CButtonCreditsReturn>(this);
    addChild(back);
    back->setX(0);
    back->setWidth(400);
    if (CNetworking::isCryptReady()) {
        auto more = std::make_shared<CButtonCreditsMore>(this);
        addChild(more);
        more->setX(400);
        more->setWidth(400);
        more->setY(back->y());
    }
}

CButtonCreditsReturn::CButtonCreditsReturn(scene::DisplayObjectContainer* parent) : CButton("CREDITS RETURN BUTTON", parent) {}

void CButtonCreditsReturn::listener_click(scene::MouseEvent&) { CMain::Return(); }

CButtonCreditsMore::CButtonCreditsMore(scene::DisplayObjectContainer* parent) : CButton("CREDITS MORE BUTTON", parent) {}

void CButtonCreditsMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite("/condizioni"); }
