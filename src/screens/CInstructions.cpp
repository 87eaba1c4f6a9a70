#include "screens/CInstructions.h"

#include "app/CMain.h"
#include "net/CNetworking.h"
#include "screens/CKeysLegend.h"

CInstructions::CInstructions(const Value&) : CInformation("INSTRUCTIONS TITLE", "INSTRUCTIONS EXPLAINED") {
    addChild(std::make_shared<CKeysLegend>("INSTRUCTIONS KEYS", this));
    // With the keys listed too, the two buttons share one row to stay on the screen.
    auto back = std::make_shared<CButtonInstructionsReturnToWelcome>(this);
    addChild(back);
    if (CNetworking::isCryptReady()) {
        back->setX(0);
        back->setWidth(400);
        auto more = std::make_shared<CButtonInstructionsMore>(this);
        addChild(more);
        more->setX(400);
        more->setWidth(400);
        more->setY(back->y());
    }
}

CButtonInstructionsReturnToWelcome::CButtonInstructionsReturnToWelcome(scene::DisplayObjectContainer* parent)
    : CButton("INSTRUCTIONS RETURN TO WELCOME BUTTON", parent) {}

void CButtonInstructionsReturnToWelcome::listener_click(scene::MouseEvent&) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
}

CButtonInstructionsMore::CButtonInstructionsMore(scene::DisplayObjectContainer* parent)
    : CButton("INSTRUCTIONS MORE BUTTON", parent) {}

void CButtonInstructionsMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite("/pel-mora/istruzioni"); }
