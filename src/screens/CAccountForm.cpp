#include "screens/CAccountForm.h"

#include "app/CMain.h"
#include "app/MAux.h"
#include "game/CScore.h"
#include "screens/CButtonCredits.h"
#include "screens/CButtonPrivacy.h"
#include "ui/CInput.h"
#include "ui/CLabel.h"
#include "ui/CText.h"
#include "ui/CTitle.h"

CAccountForm::CAccountForm(const std::string& titleKey, const std::string& textKey) {
    MAux::randomBackground(*this);
    background_children_ = numChildren();
    auto score = std::make_shared<CScore>(-1);
    addChild(score);
    score->setY(400);
    addChild(std::make_shared<CButtonPrivacy>(this));
    addChild(std::make_shared<CButtonCredits>(this));
    addChild(std::make_shared<CTitle>(titleKey));
    addChild(std::make_shared<CText>(textKey, this));
}

std::shared_ptr<CInput> CAccountForm::aux_add_input(const std::string& labelKey, bool password, int maxChars) {
    addChild(std::make_shared<CLabel>(labelKey, this));
    auto input = std::make_shared<CInput>(std::string(), password, this);
    input->toTextField()->setMaxChars(maxChars);
    addChild(input);
    return input;
}

void CAccountForm::aux_clear_to_background() {
    if (CMain::stage_) {
        auto focus = CMain::stage_->focus();
        for (auto* p = focus ? focus->parent() : nullptr; p; p = p->parent()) {
            if (p == this) {
                CMain::stage_->setFocus(nullptr);
                break;
            }
        }
    }
    while (numChildren() > background_children_) removeChildAt(numChildren() - 1);
}

bool CAccountForm::aux_refuse_separator(CInput& input, const std::string& errorKey) {
    if (input.text().find(';') == std::string::npos) return false;
    input.show_error(errorKey);
    return true;
}
