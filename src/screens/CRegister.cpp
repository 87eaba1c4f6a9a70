#include "screens/CRegister.h"

#include "app/CMain.h"
#include "net/CNetworking.h"
#include "net/CServiceCommands.h"
#include "scramble/Protocol.h"
#include "ui/CInput.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

namespace sc = pelmora::scramble;

namespace {

template <class Button>
std::shared_ptr<Button> addButton(CRegister& screen, double x, double width) {
    auto button = std::make_shared<Button>(&screen);
    screen.addChild(button);
    button->setX(x);
    button->setWidth(width);
    return button;
}

}  // namespace

CRegister::CRegister(const Value&) : CAccountForm("REGISTER TITLE", "REGISTER EXPLAINED") {
    input_username_ = aux_add_input("USERNAME", false, sc::MAX_USERNAME_CHARS);
    input_password_ = aux_add_input("PASSWORD", true, sc::MAX_PASSWORD_CHARS);
    input_email_ = aux_add_input("EMAIL", false, sc::MAX_EMAIL_BYTES);
    button_register_ = addButton<CButtonRegisterConfirm>(*this, 50, 350);
    button_cancel_ = addButton<CButtonRegisterCancel>(*this, 450, 350);
    button_cancel_->setY(button_register_->y());
    CMain::setFocus(input_username_);
    addEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CRegister::listener_confirm_keydown);
}

void CRegister::Delete() {
    aux_stop_register();
    removeEventListener(scene::KeyboardEvent::KEY_DOWN, this, &CRegister::listener_confirm_keydown);
}

void CRegister::aux_stop_register() {
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::REGISTER), this, &CRegister::aux_confirm_success);
    removeEventListener(CNetworkingEvent::ERROR, this, &CRegister::aux_confirm_error);
}

void CRegister::listener_confirm_keydown(scene::KeyboardEvent& event) {
    if (event.keyCode == KEY_ENTER) listener_confirm_click();
}

void CRegister::listener_confirm_click() {
    // One request at a time, and only from the form: a second confirm would
    // come back as a duplicate of the account the first one made.
    if (state_ != State::FORM) return;
    input_username_->hide_error();
    input_password_->hide_error();
    input_email_->hide_error();
    const bool refused = aux_refuse_separator(*input_username_, "REGISTER ERROR INVALID USERNAME") |
                         aux_refuse_separator(*input_password_, "REGISTER ERROR INVALID PASSWORD") |
                         aux_refuse_separator(*input_email_, "REGISTER ERROR INVALID EMAIL");
    if (refused) return;
    state_ = State::WAITING;
    addEventListener(CNetworkingEvent::GetType(CServiceCommands::REGISTER), this, &CRegister::aux_confirm_success);
    addEventListener(CNetworkingEvent::ERROR, this, &CRegister::aux_confirm_error);
    std::make_shared<CNetworking>()->SendAsync(
        CServiceCommands::REGISTER,
        CServiceCommands::registerPayload(input_username_->text(), input_password_->text(), input_email_->text()),
        this);
}

void CRegister::aux_confirm_success(scene::Event& event) {
    aux_stop_register();
    const std::string reply = static_cast<CNetworkingEvent&>(event).getData();
    input_username_->hide_error();
    input_password_->hide_error();
    input_email_->hide_error();
    if (CServiceCommands::registerSucceeded(reply)) {
        state_ = State::REGISTERED;
        aux_clear_to_background();
        auto title = std::make_shared<CTitle>("REGISTER SUCCESS TITLE");
        addChild(title);
        title->setY(100);
        addChild(std::make_shared<CText>("REGISTER SUCCESS EXPLAINED", this));
        addButton<CButtonRegisterLogin>(*this, 0, 800);
        return;
    }
    state_ = State::FORM;
    const std::shared_ptr<CInput> fields[] = {input_username_, input_password_, input_email_};
    for (const auto& balloon : CServiceCommands::registerBalloons(reply)) fields[balloon.field]->show_error(balloon.key);
}

void CRegister::aux_confirm_error(scene::Event&) {
    aux_stop_register();
    state_ = State::NETWORK_ERROR;
    aux_clear_to_background();
    addChild(std::make_shared<CTitle>("REGISTER TITLE"));
    addChild(std::make_shared<CText>("REGISTER NETWORK ERROR EXPLAINED", this));
    auto retry = addButton<CButtonRegisterRetry>(*this, 50, 350);
    addButton<CButtonRegisterCancel>(*this, 450, 350)->setY(retry->y());
}

CButtonRegisterConfirm::CButtonRegisterConfirm(scene::DisplayObjectContainer* parent)
    : CButton("REGISTER CONFIRM BUTTON", parent) {}

void CButtonRegisterConfirm::listener_click(scene::MouseEvent&) {
    if (auto* screen = dynamic_cast<CRegister*>(parent())) screen->listener_confirm_click();
}

CButtonRegisterCancel::CButtonRegisterCancel(scene::DisplayObjectContainer* parent)
    : CButton("REGISTER CANCEL BUTTON", parent) {}

void CButtonRegisterCancel::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_LOGIN); }

CButtonRegisterRetry::CButtonRegisterRetry(scene::DisplayObjectContainer* parent)
    : CButton("REGISTER RETRY BUTTON", parent) {}

void CButtonRegisterRetry::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_REGISTER); }

CButtonRegisterLogin::CButtonRegisterLogin(scene::DisplayObjectContainer* parent)
    : CButton("REGISTER LOGIN BUTTON", parent) {}

void CButtonRegisterLogin::listener_click(scene::MouseEvent&) { CMain::Dispatch(CMain::SCREEN_LOGIN); }
