#pragma once

#include <memory>

#include "app/Value.h"
#include "screens/CAccountForm.h"
#include "ui/CButton.h"

class CInput;
class CButtonLogin;
class CButtonShowRegister;

// The login screen. It first asks the service whether this session already
// belongs to a user; if so it fetches that user's totals and goes on to the
// duration choice. Otherwise the player logs in (button or Enter), registers,
// or plays without an account. A failed request shows a retry panel.
class CLogin : public CAccountForm {
public:
    explicit CLogin(const Value& params = Value());
    void Delete() override;

    void aux_listener_logged_success(scene::Event& event);
    void aux_listener_logged_error(scene::Event& event);
    void listener_login_keydown(scene::KeyboardEvent& event);
    void listener_login_click();
    void aux_listener_login_click_success(scene::Event& event);
    void aux_listener_login_click_error(scene::Event& event);
    void aux_score_update(scene::Event& event);
    void aux_score_error(scene::Event& event);
    void listener_cancel_click();

    // Where the screen is in its talk with the service.
    enum class State { CHECKING, WAITING, LOGGING_IN, FETCHING, NETWORK_ERROR };
    State state() const { return state_; }

    std::shared_ptr<CInput> input_username_;
    std::shared_ptr<CInput> input_password_;
    std::shared_ptr<CButtonLogin> button_login_;
    std::shared_ptr<CButtonShowRegister> button_register_;

private:
    void aux_stop_logged();
    void aux_stop_login();
    void aux_stop_score();
    void aux_fetch_totals();
    void aux_network_error();

    State state_ = State::CHECKING;
};

// The login button; Enter in the form runs the same action. It reaches its
// screen as its display parent.
class CButtonLogin : public CButton {
public:
    explicit CButtonLogin(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonShowRegister : public CButton {
public:
    explicit CButtonShowRegister(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

// Plays without logging in.
class CButtonCancel : public CButton {
public:
    explicit CButtonCancel(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonLoginRetry : public CButton {
public:
    explicit CButtonLoginRetry(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonLoginCancel : public CButton {
public:
    explicit CButtonLoginCancel(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
