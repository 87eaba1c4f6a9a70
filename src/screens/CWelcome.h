#pragma once

#include <memory>

#include "app/CScreen.h"
#include "app/Value.h"

// The first screen: the sushi bar behind the game's name and version.
class CWelcome : public CScreen {
public:
    explicit CWelcome(const Value& params = Value());

private:
    std::shared_ptr<scene::TextField> title_;
};
