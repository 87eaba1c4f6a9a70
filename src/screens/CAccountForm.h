#pragma once

#include <memory>
#include <string>

#include "app/CScreen.h"

class CInput;

// What the login and registration screens share: the score strip, the privacy
// and credits buttons, a title and explanation above a form of labelled
// inputs, and the panel that replaces the form when the service cannot be
// reached or has answered for good.
class CAccountForm : public CScreen {
public:
    static constexpr int KEY_ENTER = 13;

protected:
    CAccountForm(const std::string& titleKey, const std::string& textKey);

    // A label and its input below the screen's last child; the input takes
    // at most maxChars characters (the service accepts no more).
    std::shared_ptr<CInput> aux_add_input(const std::string& labelKey, bool password, int maxChars);
    // Removes every child but the background and its light overlay (the
    // panel's texts stay readable), last first, and lets go of the keyboard
    // so no key reaches a field that has left.
    void aux_clear_to_background();
    // Fields are joined by ";" on the wire: a field holding one is refused
    // with the given balloon. True when the field was refused.
    static bool aux_refuse_separator(CInput& input, const std::string& errorKey);

private:
    int background_children_ = 1;
};
