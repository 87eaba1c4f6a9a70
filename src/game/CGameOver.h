#pragma once

#include "app/CScreen.h"
#include "app/Value.h"
#include "ui/CButton.h"

// After a game: the figures of the game just played, the new totals, and the way back to the menu.
class CGameOver : public CScreen {
public:
    static constexpr int DISPLACEMENT = 10;

    explicit CGameOver(const Value& params = Value());
    // The pictures of its headings and button, made while the player lingers
    // on a menu: the game's last frame then only places them.
    static void prepareAheadOfPlay();
};

class CButtonGameOverWelcome : public CButton {
public:
    explicit CButtonGameOverWelcome(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
