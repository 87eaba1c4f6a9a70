#include "screens/CYen.h"

#include "app/CMain.h"

CYen::CYen(const Value&) : CInformation("YEN TITLE", "YEN EXPLAINED") {
    addChild(std::make_shared<CButtonYenMore>(this));
    addChild(std::make_shared<CButtonYenReturn>(this));
}

CButtonYenReturn::CButtonYenReturn(scene::DisplayObjectContainer* parent) : CButton("YEN RETURN BUTTON", parent) {}

void CButtonYenReturn::listener_click(scene::MouseEvent&) { CMain::Return(); }

CButtonYenMore::CButtonYenMore(scene::DisplayObjectContainer* parent) : CButton("YEN MORE BUTTON", parent) {}

void CButtonYenMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite("/pel-mora/mercato"); }
