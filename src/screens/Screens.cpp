#include "screens/Screens.h"

#include "app/CMain.h"
#include "game/CDuration.h"
#include "game/CFloatingText.h"
#include "game/CGame.h"
#include "game/CGameOver.h"
#include "screens/CCredits.h"
#include "screens/CInstructions.h"
#include "screens/CLogin.h"
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
    // A game needs its length: without one (a start with no session) the player chooses it first.
    CMain::registerScreen(CMain::SCREEN_GAME, [](const Value& p) -> std::shared_ptr<CScreen> {
        if (!CGame::hasOrderCount(p)) return std::make_shared<CDuration>(Value());
        return std::make_shared<CGame>(p);
    });
    CMain::registerScreen(CMain::SCREEN_DURATION, [](const Value& p) { return std::make_shared<CDuration>(p); });
    CMain::registerScreen(CMain::SCREEN_GAME_OVER, [](const Value& p) { return std::make_shared<CGameOver>(p); });
    CMain::registerScreen(CMain::SCREEN_YEN, [](const Value& p) { return std::make_shared<CYen>(p); });
    CMain::registerScreen(CMain::SCREEN_LOGIN, [](const Value& p) { return std::make_shared<CLogin>(p); });
    CMain::registerScreen(CMain::SCREEN_REGISTER, [](const Value& p) { return std::make_shared<CRegister>(p); });
    CMain::registerScreen(CMain::SCREEN_NEW_VERSION, [](const Value& p) { return std::make_shared<CNewVersion>(p); });
    // The rising figures' characters and the game over's headings and button
    // are made while the player lingers on a menu.
    CFloatingText::prepareAheadOfPlay();
    CGameOver::prepareAheadOfPlay();
}
