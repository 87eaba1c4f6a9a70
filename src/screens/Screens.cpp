#include "screens/Screens.h"

#include "app/CMain.h"
#include "screens/CWelcome.h"

void registerScreens() {
    CMain::registerScreen(CMain::SCREEN_WELCOME, [](const Value& p) { return std::make_shared<CWelcome>(p); });
}
