#include "screens/CLogin.h"

#include "app/CMain.h"
#include "game/CScore.h"
#include "net/CNetworking.h"
#include "net/CServiceCommands.h"
#include "scramble/Protocol.h"
#include "ui/CInput.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

namespace sc = pelmora::scramble;

namespace {

// The form's three buttons share one row: equal thirds of the window with a
// 20-pixel margin on each side, so none overlaps another or leaves the window.
constexpr double ROW_X[] = {20, 274, 527};
constexpr double ROW_WIDTH = 253;

template <class Button>
std::shared_ptr<Button> addOnRow(CLogin& screen, int slot, double y) {
    auto button = std::make_shared<Button>(&screen);
    screen.addChild(button);
    button->setX(ROW_X[slot]);
    button->setWidth(ROW_WIDTH);
    if (slot > 0) button->setY(y);
    return button;
}

}  // namespace

CLogin::CLogin(const Value&) : CAccountForm("LOGIN TITLE", "LOGIN EXPLAINED") {
    input_username_ = aux_add_input("USERNAME", false, sc::MAX_USERNAME_CHARS);
    input_password_ = aux_add_input("PASSWORD", true, sc::MAX_PASSWORD_CHARS);
    button_login_ = addOnRow<CButtonLogin>(*this, 0, 0);
    button_register_ = addOnRow<CButtonShowRegister>(*this, 1, button_login_->y());
    addOnRow<CButtonCancel>(*this, 2, button_register_->y());
    CMain::setFocus(input_username_);

    addEventListener(CNetworkingEvent::COMPLETE, this, &CLogin::aux_listener_logged_success);
    addEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_listener_logged_error);
    addEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CLogin::listener_login_keydown);
    CNetworking::Logged(this);
}

void CLogin::Delete() {
    aux_stop_logged();
    aux_stop_login();
    aux_stop_score();
    removeEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CLogin::listener_login_keydown);
}

void CLogin::aux_stop_logged() {
    removeEventListener(CNetworkingEvent::COMPLETE, this, &CLogin::aux_listener_logged_success);
    removeEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_listener_logged_error);
}

void CLogin::aux_stop_login() {
    removeEventListener(CNetworkingEvent::COMPLETE, this, &CLogin::aux_listener_login_click_success);
    removeEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_listener_login_click_error);
}

void CLogin::aux_stop_score() {
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CLogin::aux_score_update);
    removeEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_score_error);
}

void CLogin::aux_listener_logged_success(scene::Event&) {
    aux_stop_logged();
    if (CNetworking::isLogged()) {
        aux_fetch_totals();
        return;
    }
    addEventListener(CNetworkingEvent::COMPLETE, this, &CLogin::aux_listener_login_click_success);
    addEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_listener_login_click_error);
    state_ = State::WAITING;
}

void CLogin::aux_listener_logged_error(scene::Event&) { aux_network_error(); }

void CLogin::listener_login_keydown(scene::KeyboardEvent& event) {
    if (event.keyCode == KEY_ENTER) listener_login_click();
}

void CLogin::listener_login_click() {
    // Before the session check has answered, a login would race its reply;
    // while one is on its way, a second would race the first.
    if (state_ != State::WAITING) return;
    input_username_->hide_error();
    input_password_->hide_error();
    const bool refused = aux_refuse_separator(*input_username_, "LOGIN ERROR INVALID USERNAME") |
                         aux_refuse_separator(*input_password_, "LOGIN ERROR INVALID PASSWORD");
    if (refused) return;
    state_ = State::LOGGING_IN;
    CNetworking::Login(input_username_->text(), input_password_->text(), this);
}

void CLogin::aux_listener_login_click_success(scene::Event& event) {
    const std::string reply = static_cast<CNetworkingEvent&>(event).getData();
    if (CServiceCommands::loginSucceeded(reply)) {
        aux_stop_login();
        aux_fetch_totals();
        return;
    }
    state_ = State::WAITING;
    input_username_->hide_error();
    input_password_->hide_error();
    for (const auto& balloon : CServiceCommands::loginBalloons(reply)) {
        (balloon.field == 0 ? input_username_ : input_password_)->show_error(balloon.key);
    }
}

void CLogin::aux_listener_login_click_error(scene::Event&) { aux_network_error(); }

void CLogin::aux_fetch_totals() {
    state_ = State::FETCHING;
    addEventListener(CNetworkingEvent::GetType(CServiceCommands::SCORE), this, &CLogin::aux_score_update);
    addEventListener(CNetworkingEvent::ERROR, this, &CLogin::aux_score_error);
    std::make_shared<CNetworking>()->SendAsync(CServiceCommands::SCORE, "", this);
}

void CLogin::aux_score_update(scene::Event& event) {
    aux_stop_score();
    if (const auto totals = CServiceCommands::readScoreReply(static_cast<CNetworkingEvent&>(event).getData())) {
        CScore::setTotalsFromService(static_cast<int>(totals->px), static_cast<int>(totals->yen));
    }
    CMain::Dispatch(CMain::SCREEN_DURATION);
}

void CLogin::aux_score_error(scene::Event&) {
    aux_stop_score();
    CMain::Dispatch(CMain::SCREEN_DURATION);
}

void CLogin::listener_cancel_click() { CMain::Dispatch(CMain::SCREEN_DURATION); }

void CLogin::aux_network_error() {
    aux_stop_logged();
    aux_stop_login();
    state_ = State::NETWORK_ERROR;
    aux_clear_to_background();
    addChild(std::make_shared<CTitle>("LOGIN TITLE"));
    addChild(std::make_shared<CText>("LOGIN NETWORK ERROR EXPLAINED", this));
    auto retry = std::make_shared<CButtonLoginRetry>(this);
    addChild(retry);
    retry->setX(50);
    retry->setWidth(350);
    auto cancel = std::make_shared<CButtonLoginCancel>(this);
    addChild(cancel);
    cancel->setX(450);
    cancel->setWidth(350);
    cancel->setY(retry->y());
}

CButtonLogin::CButtonLogin(scene::DisplayObjectContainer* parent) : CButton("LOGIN BUTTON", parent) {}

void CButtonLogin::listener_click(scene::MouseEvent&) {
    if (auto* login = dynamic_cast<CLogin*>(parent())) login->listener_login_click();
}

CButtonShowRegister::CButtonShowRegister(scene::DisplayObjectContainer* parent) : CButton("REGISTER BUTTON", parent) {}

void CButtonShowRegister::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_REGISTER); }

CButtonCancel::CButtonCancel(scene::DisplayObjectContainer* parent) : CButton("CANCEL BUTTON", parent) {}

void CButtonCancel::listener_click(scene::MouseEvent&) {
    if (auto* login = dynamic_cast<CLogin*>(parent())) login->listener_cancel_click();
}

CButtonLoginRetry::CButtonLoginRetry(scene::DisplayObjectContainer* parent) : CButton("LOGIN RETRY BUTTON", parent) {}

void CButtonLoginRetry::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_LOGIN); }

CButtonLoginCancel::CButtonLoginCancel(scene::DisplayObjectContainer* parent) : CButton("LOGIN CANCEL BUTTON", parent) {}

void CButtonLoginCancel::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_WELCOME); }
