#include "screens/CInstructions.h"

#include "app/CMain.h"
#include "net/CNetworking.h"

CInstructions::CInstructions(const Value&) : CInformation("INSTRUCTIONS TITLE", "INSTRUCTIONS EXPLAINED") {
    addChild(std::make_shared<CButtonInstructionsReturnToWelcome>(this));
    if (CNetworking::isCryptReady()) addChild(std::make_shared<CButtonInstructionsMore>(this));
}

CButtonInstructionsReturnToWelcome::CButtonInstructionsReturnToWelcome(scene::DisplayObjectContainer* parent)
    : CButton("INSTRUCTIONS RETURN TO WELCOME BUTTON", parent) {}

void CButtonInstructionsReturnToWelcome::listener_click(scene::MouseEvent&) {
    CMain::Dispatch(CMain::SCREEN_WELCOME);
}

CButtonInstructionsMore::CButtonInstructionsMore(scene::DisplayObjectContainer* parent)
    : CButton("INSTRUCTIONS MORE BUTTON", parent) {}

void CButtonInstructionsMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite("/pel-mora/istruzioni"); }
