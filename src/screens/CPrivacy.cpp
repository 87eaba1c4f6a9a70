#include "screens/CPrivacy.h"

#include "app/CMain.h"
#include "net/CNetworking.h"

CPrivacy::CPrivacy(const Value&) : CInformation("PRIVACY TITLE", "PRIVACY EXPLAINED") {
    addChild(std::make_shared<CButtonPrivacyReturn>(this));
    if (CNetworking::isCryptReady()) addChild(std::make_shared<CButtonPrivacyMore>(this));
}

CButtonPrivacyReturn::CButtonPrivacyReturn(scene::DisplayObjectContainer* parent) : CButton("PRIVACY RETURN BUTTON", parent) {}

void CButtonPrivacyReturn::listener_click(scene::MouseEvent&) { CMain::Return(); }

CButtonPrivacyMore::CButtonPrivacyMore(scene::DisplayObjectContainer* parent) : CButton("PRIVACY MORE BUTTON", parent) {}

void CButtonPrivacyMore::listener_click(scene::MouseEvent&) { CInformation::openWebsite("/privacy"); }
