#include "screens/CNewVersion.h"

#include "app/CMain.h"
#include "app/MAux.h"
#include "net/CNetworking.h"
#include "screens/CWelcome.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

CNewVersion::CNewVersion(const Value&) {
    MAux::randomBackground(*this, true);
    languages_ = CWelcome::aux_add_flags(*this);
    auto title = std::make_shared<CTitle>("NEW VERSION TITLE");
    addChild(title);
    title->setY(title->y() + 150);
    addChild(std::make_shared<CText>("NEW VERSION EXPLAINED", this));
    addChild(std::make_shared<CButtonNewVersionMore>(this));
    addChild(std::make_shared<CButtonNewVersionReturn>(this));
}

CButtonNewVersionMore::CButtonNewVersionMore(scene::DisplayObjectContainer* parent)
    : CButton("NEW VERSION MORE", parent) {}

void CButtonNewVersionMore::listener_click(scene::MouseEvent&) { scene::navigateToURL(MAux::WEBSITE + "/pel-mora"); }

CButtonNewVersionReturn::CButtonNewVersionReturn(scene::DisplayObjectContainer* parent)
    : CButton("NEW VERSION RETURN", parent) {}

void CButtonNewVersionReturn::listener_click(scene::MouseEvent&) {
    CNetworking::IgnoreCheckVersionDuringPrepareCryptChannel();
    CMain::Dispatch(CMain::SCREEN_WELCOME);
}
