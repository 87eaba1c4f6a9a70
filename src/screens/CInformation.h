#pragma once

#include <string>

#include "app/CScreen.h"

// What the five information screens share: a random background, a title and
// an explanatory paragraph; each screen then adds its buttons below.
class CInformation : public CScreen {
public:
    static constexpr int DISPLACEMENT = 10;

    // Opens a page of the game's web site in the browser; the screen stays.
    static void openWebsite(const std::string& path);

protected:
    CInformation(const std::string& titleKey, const std::string& textKey);
};
