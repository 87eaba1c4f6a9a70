#include "screens/CWelcome.h"

#include "app/CML.h"
#include "app/CMain.h"
#include "app/MAux.h"
#include "app/Main.h"
#include "game/CScore.h"
#include "net/CNetworking.h"
#include "net/CServiceCommands.h"
#include "recipes/CPxIcon.h"
#include "screens/CButtonCredits.h"
#include "screens/CButtonPrivacy.h"
#include "ui/CButtonLanguage.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

bool CWelcome::first_time_ = true;
bool CWelcome::startup_done_ = false;

std::string CWelcome::newestRecords(const std::string& log, std::size_t limit) {
    if (log.size() <= limit) return log;
    // Cut at a record boundary: only whole lines, the newest ones.
    std::size_t from = log.size() - limit;
    if (log[from - 1] != '\n') {
        const std::size_t next = log.find('\n', from);
        from = next == std::string::npos ? log.size() : next + 1;
    }
    return log.substr(from);
}

CWelcome::CWelcome(const Value&) {
    MAux::randomBackground(*this, !first_time_);
    if (first_time_) addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/title.png")));
    if (CNetworking::isCryptReady() && startup_done_) {
        aux_sync_totals();
        aux_welcome_menu(false);
        return;
    }
    addEventListener(CNetworkingEvent::VERSION, this, &CWelcome::aux_crypt_version);
    addEventListener(CNetworkingEvent::READY, this, &CWelcome::aux_crypt_ready);
    addEventListener(CNetworkingEvent::ERROR, this, &CWelcome::aux_crypt_error);
    CNetworking::PrepareCryptChannel(this);
}

// Only the start-up listeners stop: the flags keep theirs, so the screen still
// works when it comes back from a side screen.
void CWelcome::Delete() {
    warmer_.reset();
    aux_stop_handshake();
    aux_stop_downloads();
    // A late reply must not change the totals under a game that has begun.
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_retrieve);
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_resent);
}

void CWelcome::aux_stop_handshake() {
    removeEventListener(CNetworkingEvent::VERSION, this, &CWelcome::aux_crypt_version);
    removeEventListener(CNetworkingEvent::READY, this, &CWelcome::aux_crypt_ready);
    removeEventListener(CNetworkingEvent::ERROR, this, &CWelcome::aux_crypt_error);
}

void CWelcome::aux_send(const std::string& command, const std::string& payload,
                        void (CWelcome::*done)(scene::Event&)) {
    addEventListener(CNetworkingEvent::GetType(command), this, done);
    addEventListener(CNetworkingEvent::ERROR, this, &CWelcome::aux_error);
    std::make_shared<CNetworking>()->SendAsync(command, payload, this);
}

void CWelcome::aux_stop(const std::string& command, void (CWelcome::*done)(scene::Event&)) {
    removeEventListener(CNetworkingEvent::GetType(command), this, done);
    removeEventListener(CNetworkingEvent::ERROR, this, &CWelcome::aux_error);
}

void CWelcome::aux_crypt_ready(scene::Event&) {
    aux_stop_handshake();
    auto log = Main::CRASH_LOG.empty() ? std::nullopt : scene::files::read(Main::CRASH_LOG);
    if (log) {
        aux_send(CServiceCommands::PML, newestRecords(std::string(log->begin(), log->end()), MAX_PML_BYTES),
                 &CWelcome::aux_pml_ready);
    } else {
        aux_send(CServiceCommands::INGREDIENTS, "", &CWelcome::aux_ingredients_ready);
    }
}

void CWelcome::aux_crypt_version(scene::Event&) {
    aux_stop_handshake();
    CMain::Dispatch(CMain::SCREEN_NEW_VERSION);
}

void CWelcome::aux_crypt_error(scene::Event&) {
    aux_stop_handshake();
    aux_welcome_menu(true);
}

void CWelcome::aux_pml_ready(scene::Event&) {
    aux_stop(CServiceCommands::PML, &CWelcome::aux_pml_ready);
    scene::files::remove(Main::CRASH_LOG);
    aux_send(CServiceCommands::INGREDIENTS, "", &CWelcome::aux_ingredients_ready);
}

void CWelcome::aux_ingredients_ready(scene::Event&) {
    aux_stop(CServiceCommands::INGREDIENTS, &CWelcome::aux_ingredients_ready);
    aux_send(CServiceCommands::LEVELS, "", &CWelcome::aux_levels_ready);
}

void CWelcome::aux_levels_ready(scene::Event& event) {
    aux_stop(CServiceCommands::LEVELS, &CWelcome::aux_levels_ready);
    CPxIcon::setLevels(static_cast<CNetworkingEvent&>(event).getData());
    startup_done_ = true;
    aux_welcome_menu(false);
    // Gains of a game the service missed go to it as soon as it answers again.
    if (CScore::hasPending()) aux_sync_totals();
}

void CWelcome::aux_stop_downloads() {
    aux_stop(CServiceCommands::PML, &CWelcome::aux_pml_ready);
    aux_stop(CServiceCommands::INGREDIENTS, &CWelcome::aux_ingredients_ready);
    aux_stop(CServiceCommands::LEVELS, &CWelcome::aux_levels_ready);
}

void CWelcome::aux_error(scene::Event&) {
    aux_stop_downloads();
    MAux::lightBackground(*this, true);
    aux_welcome_menu(true);
}

void CWelcome::aux_sync_totals() {
    if (!CNetworking::isLogged()) return;
    // Totals the service gave and gains it has not acknowledged are sent as
    // they stand: sending the same totals twice stores them once.
    if (CScore::hasPending() && CScore::totalsFromService()) return aux_send_totals();
    addEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_retrieve);
    std::make_shared<CNetworking>()->SendAsync(CServiceCommands::SCORE, "", this);
}

void CWelcome::aux_send_totals() {
    addEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_resent);
    std::make_shared<CNetworking>()->SendAsync(
        CServiceCommands::SCORE, CServiceCommands::scoreUpdatePayload(CScore::px_, CScore::yen_), this);
}

void CWelcome::aux_score_resent(scene::Event&) {
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_resent);
    // Any reply means the service read them (a refusal leaves its own totals
    // standing, which the next retrieval brings); no reply keeps them pending.
    CScore::acknowledgePending();
}

void CWelcome::aux_score_retrieve(scene::Event& event) {
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CWelcome::aux_score_retrieve);
    const auto totals = CServiceCommands::readScoreReply(static_cast<CNetworkingEvent&>(event).getData());
    if (!totals) return;
    // Pending gains were never sent without totals from the service, so the
    // stored ones cannot hold them yet: they are added here and sent once.
    CScore::setTotalsFromService(static_cast<int>(totals->px), static_cast<int>(totals->yen));
    if (CScore::hasPending()) aux_send_totals();
    if (!score_) return;
    score_->pximage_->set_px(CScore::get_px());
    score_->aux_print_score();
}

void CWelcome::aux_welcome_menu(bool unavailable) {
    if (first_time_) {
        MAux::lightBackground(*this, true);
        first_time_ = false;
    }
    languages_ = aux_add_flags(*this);
    score_ = std::make_shared<CScore>(-1);
    addChild(score_);
    score_->setY(400);
    addChild(std::make_shared<CButtonPrivacy>(this));
    addChild(std::make_shared<CButtonCredits>(this));
    auto title = std::make_shared<CTitle>("Pelmora " + Main::VERSION);
    addChild(title);
    title->setY(title->y() + 50);
    if (unavailable) {
        addChild(std::make_shared<CText>("WELCOME NETWORK UNAVAILABLE EXPLAINED", this));
        addChild(std::make_shared<CButtonWelcomePlayGame>(this));
        addChild(std::make_shared<CButtonWelcomeInstructions>(this));
        addChild(std::make_shared<CButtonWelcomeRetry>(this));
    } else {
        addChild(std::make_shared<CButtonWelcomeStartGame>(this));
        addChild(std::make_shared<CButtonWelcomeInstructions>(this));
    }
}

std::vector<std::shared_ptr<CButtonLanguage>> CWelcome::aux_add_flags(scene::DisplayObjectContainer& screen) {
    std::vector<std::shared_ptr<CButtonLanguage>> flags;
    const char* const order[] = {"tedesco", "francese", "spagnolo", "inglese", "italiano"};
    for (int k = 1; k <= 5; ++k) {
        auto flag = std::make_shared<CButtonLanguage>(order[k - 1]);
        flags.push_back(flag);
        screen.addChild(flag);
        if (flag->id() == CML::getLanguage()) flag->setOn();
        flag->setX(800 - (flag->width() + 4) * k);
        flag->setY(4);
    }
    return flags;
}

CButtonWelcomeInstructions::CButtonWelcomeInstructions(scene::DisplayObjectContainer* parent)
    : CButton("WELCOME INSTRUCTIONS", parent) {}

void CButtonWelcomeInstructions::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_INSTRUCTIONS); }

CButtonWelcomeStartGame::CButtonWelcomeStartGame(scene::DisplayObjectContainer* parent)
    : CButton("WELCOME START GAME", parent) {}

void CButtonWelcomeStartGame::listener_click(scene::MouseEvent&) {
    if (!CNetworking::isCryptReady()) CMain::Dispatch(CMain::SCREEN_GAME);
    else CMain::Dispatch(CNetworking::isLogged() ? CMain::SCREEN_DURATION : CMain::SCREEN_LOGIN);
}

CButtonWelcomePlayGame::CButtonWelcomePlayGame(scene::DisplayObjectContainer* parent)
    : CButton("WELCOME PLAY GAME", parent) {}

void CButtonWelcomePlayGame::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_DURATION); }

CButtonWelcomeRetry::CButtonWelcomeRetry(scene::DisplayObjectContainer* parent) : CButton("WELCOME RETRY", parent) {}

void CButtonWelcomeRetry::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
