#pragma once

#include <memory>

#include "app/Value.h"
#include "screens/CAccountForm.h"
#include "ui/CButton.h"

class CInput;
class CButtonRegisterConfirm;
class CButtonRegisterCancel;

// The registration form: user name, password and e-mail, sent when the player
// confirms (button or Enter). The service accepts the account, after which
// the screen leads back to the login, or names the field it refuses.
class CRegister : public CAccountForm {
public:
    explicit CRegister(const Value& params = Value());
    void Delete() override;

    void listener_confirm_keydown(scene::KeyboardEvent& event);
    void listener_confirm_click();
    void aux_confirm_success(scene::Event& event);
    void aux_confirm_error(scene::Event& event);

    enum class State { FORM, WAITING, REGISTERED, NETWORK_ERROR };
    State state() const { return state_; }

    std::shared_ptr<CInput> input_username_;
    std::shared_ptr<CInput> input_password_;
    std::shared_ptr<CInput> input_email_;
    std::shared_ptr<CButtonRegisterConfirm> button_register_;
    std::shared_ptr<CButtonRegisterCancel> button_cancel_;

private:
    void aux_stop_register();

    State state_ = State::FORM;
};

// Confirms the form; reaches its screen as its display parent.
class CButtonRegisterConfirm : public CButton {
public:
    explicit CButtonRegisterConfirm(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonRegisterCancel : public CButton {
public:
    explicit CButtonRegisterCancel(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonRegisterRetry : public CButton {
public:
    explicit CButtonRegisterRetry(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonRegisterLogin : public CButton {
public:
    explicit CButtonRegisterLogin(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
