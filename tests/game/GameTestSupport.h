#pragma once

// Game tests run on the real package of the build, or on a small one of given
// entries, with every static of the gameplay classes back at its start value.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "game/CFloatingText.h"
#include "game/CGame.h"
#include "game/CScore.h"
#include "game/CSlot.h"
#include "game/CTape.h"
#include "game/CTapeHost.h"
#include "recipes/CPxIcon.h"
#include "support/TestGame.h"

namespace gametest {

inline void resetGameStatics() {
    CTape::reset();
    CFloatingText::reset();
    CScore::reset();
    CSlot::reset();
    CGame::reset();
    CPxIcon::reset();
}

class GameTest : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        resetGameStatics();
        const char* build = std::getenv("PELMORA_BUILD_DIR");
        std::filesystem::copy_file(std::filesystem::path(build ? build : ".") / "game" / "assets.dat",
                                   dir_.path() / "assets.dat");
    }
    void TearDown() override {
        resetGameStatics();
        GameFixture::TearDown();
    }
};

// A stand-in for the game screen under a belt: counts what the belt asks.
class HostStub : public scene::Sprite, public CTapeHost {
public:
    void listener_dead_slot(const std::shared_ptr<CSlot>& item) override { dead.push_back(item); }
    void listener_new_order() override { ++newOrders; }
    void listener_new_consume() override { ++consumes; }
    bool listener_game_over() override { return over; }
    void listener_order_click(const std::shared_ptr<COrder>&) override {}
    std::vector<std::shared_ptr<CSlot>> dead;
    int newOrders = 0;
    int consumes = 0;
    bool over = false;
};

inline void stepTape(CTape& tape, int frames) {
    scene::Event e(scene::Event::ENTER_FRAME);
    for (int i = 0; i < frames; ++i) tape.aux_step_tape(e);
}

}  // namespace gametest

namespace gametest {

// A game screen of the given length on the stage, built as the duration screen would.
inline std::shared_ptr<CGame> startGame(scene::Stage& stage, int orders) {
    auto game = std::make_shared<CGame>(Value(Value::Array{Value("1"), Value(orders)}));
    stage.addChild(game);
    return game;
}

}  // namespace gametest
