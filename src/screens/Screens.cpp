#include "screens/Screens.h"

#include "app/CMain.h"
#include "screens/CCredits.h"
#include "screens/CInstructions.h"
#include "screens/CNewVersion.h"
#include "screens/CPrivacy.h"
#include "screens/CPx.h"
#include "screens/CRegister.h"
#include "screens/CWelcome.h"
#include "screens/CYen.h"

void registerScreens() {
    CMain::registerScreen(CMain::SCREEN_WELCOME, [](const Value& p) { return std::make_shared<CWelcome>(p); });
    CMain::registerScreen(CMain::SCREEN_INSTRUCTIONS, [](const Value& p) { return std::make_shared<CInstructions>(p); });
    CMain::registerScreen(CMain::SCREEN_PRIVACY, [](const Value& p) { return std::make_shared<CPrivacy>(p); });
    CMain::registerScreen(CMain::SCREEN_CREDITS, [](const Value& p) { return std::make_shared<CCredits>(p); });
    CMain::registerScreen(CMain::SCREEN_PX, [](const Value& p) { return std::make_shared<CPx>(p); });
    CMain::registerScreen(CMain::SCREEN_YEN, [](const Value& p) { return std::make_shared<CYen>(p); });
    CMain::registerScreen(CMain::SCREEN_REGISTER, [](const Value& p) { return std::make_shared<CRegister>(p); });
    CMain::registerScreen(CMain::SCREEN_NEW_VERSION, [](const Value& p) { return std::make_shared<CNewVersion>(p); });
}
