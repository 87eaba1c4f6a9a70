#include "screens/CPx.h"

#include "app/CMain.h"

CPx::CPx(const Value&) : CInformation("PX TITLE", "PX EXPLAINED") {
    addChild(std::make_shared<CButtonPxMore>(this));
    addChild(std::make_shared<CButtonPxReturn>(this));
}

CButtonPxReturn::CButtonPxReturn(scene::DisplayObjectContainer* parent) : CButton("PX RETURN BUTTON", parent) {}

void CButtonPxReturn::listener_click(scene::MouseEvent&) { CMain::Return(); }

CButtonPxMore::CButtonPxMore(scene::DisplayObjectContainer* parent) : CButton("PX MORE BUTTON", parent) {}

void CButtonPxMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite(""); }
