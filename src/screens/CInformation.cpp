#include "screens/CInformation.h"

#include "app/MAux.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

CInformation::CInformation(const std::string& titleKey, const std::string& textKey) {
    MAux::randomBackground(*this);
    addChild(std::make_shared<CTitle>(titleKey));
    addChild(std::make_shared<CText>(textKey, this));
}

void CInformation::openWebsite(const std::string& path) { scene::navigateToURL(MAux::WEBSITE + path); }
