#pragma once

// A player made of presses: it starts a game from the duration choice, reads
// each new order off the belt, picks its recipe on the ingredient strip and
// serves it from the table, until the game ends. Shared by the whole-game
// tests and the frame bench: anything that needs a real game played.
// No test framework here: it reports what it could not do by its results.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CMain.h"
#include "game/CDuration.h"
#include "game/CGame.h"
#include "game/CGameOver.h"
#include "game/COrder.h"
#include "game/CPlate.h"
#include "game/CTape.h"
#include "platform/Headless.h"
#include "platform/Stage.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparations.h"
#include "recipes/CTable.h"

namespace robot {

template <class T>
std::shared_ptr<T> topmost(const scene::DisplayObjectContainer& c) {
    for (int i = c.numChildren() - 1; i >= 0; --i) {
        if (auto t = std::dynamic_pointer_cast<T>(c.getChildAt(i))) return t;
    }
    return nullptr;
}

class GameRobot {
public:
    // step runs one whole frame; by default the headless runner's own, a
    // bench passes one that times it.
    explicit GameRobot(scene::Headless& h, std::function<void()> step = {})
        : h_(h), step_(step ? std::move(step) : std::function<void()>([&h] { h.step(); })) {}

    void step(int frames = 1) {
        for (int i = 0; i < frames; ++i) step_();
    }
    // Clicks at a point of o (its middle by default), then runs a frame.
    void press(const scene::DisplayObject& o, double dx = -1, double dy = -1) {
        const auto b = o.localBounds();
        const auto p = o.localToGlobal({dx < 0 ? b.width / 2 : dx, dy < 0 ? b.height / 2 : dy});
        h_.click(p.x, p.y);
        step();
    }

    std::shared_ptr<CGame> game() const { return topmost<CGame>(h_.stage()); }
    bool over() const { return topmost<CGameOver>(h_.stage()) != nullptr; }

    // From wherever the game is to a new game of that many orders, by the
    // duration screen's button. False when there is no such button.
    bool choose(int orders) {
        if (!topmost<CDuration>(h_.stage())) {
            CMain::Dispatch(CMain::SCREEN_DURATION);
            step();
        }
        const auto screen = topmost<CDuration>(h_.stage());
        if (!screen) return false;
        for (int i = 0; i < screen->numChildren(); ++i) {
            auto b = std::dynamic_pointer_cast<CButtonDurationBase>(screen->getChildAt(i));
            if (b && b->orders_ == orders) {
                press(*b);
                step();
                return game() != nullptr;
            }
        }
        return false;
    }

    // Picks the tile of one ingredient, paging the strip until it shows.
    bool pick(CGame& g, const std::string& id) {
        for (const auto& tile : g.ingredients_->getIngredients()) {
            if (tile->getId() != id) continue;
            for (int turns = 0; !tile->stage() || !tile->visible(); ++turns) {
                if (turns >= 20) return false;
                press(turns < 10 ? *g.ingredients_->scorrimento_dx : *g.ingredients_->scorrimento_sx);
            }
            press(*tile, 20, 20);
            pickedPx_ += tile->getPx();
            return true;
        }
        return false;
    }
    // Picks the first `count` ingredients of kind's recipe (all of them when negative).
    bool pickRecipe(CGame& g, const std::string& kind, int count = -1) {
        const auto* ids = g.preparations_->retrieve_ingredients_by_plate(CPlate(kind));
        if (!ids) return false;
        const int n = count < 0 ? static_cast<int>(ids->size()) : std::min<int>(count, static_cast<int>(ids->size()));
        for (int i = 0; i < n; ++i) {
            if (!pick(g, (*ids)[static_cast<std::size_t>(i)])) return false;
        }
        return true;
    }
    // Picks kind's whole recipe and presses the table to serve it.
    bool serve(CGame& g, const std::string& kind) {
        if (!pickRecipe(g, kind)) return false;
        press(*g.table_);
        return true;
    }

    // Orders on the belt, in view, alive and not yet handled by this robot.
    std::vector<std::shared_ptr<COrder>> newOrders(CGame& g) {
        std::vector<std::shared_ptr<COrder>> found;
        for (const auto& item : g.tape_->tape_) {
            auto order = std::dynamic_pointer_cast<COrder>(item);
            if (!order || !order->parent() || order->isDead() || order->y() < 0) continue;
            if (std::find(seen_.begin(), seen_.end(), order.get()) != seen_.end()) continue;
            seen_.push_back(order.get());
            found.push_back(order);
        }
        return found;
    }

    // Plays the current game to its end screen: each new order is pressed
    // (its panel shows) and its plate served. Returns the orders served, or -1
    // when the end screen did not come within maxFrames.
    int playToEnd(int maxFrames = 20000) {
        seen_.clear();
        int served = 0;
        for (int frame = 0; frame < maxFrames; ++frame) {
            if (over()) return served;
            step();
            auto g = game();
            if (!g) continue;
            for (const auto& order : newOrders(*g)) {
                press(*order, 30, 30);
                servedYen_ += order->getYen();
                if (serve(*g, order->getKind())) ++served;
            }
        }
        return over() ? served : -1;
    }

    // What the served orders and picked tiles are worth, as this robot counted them.
    long servedYen() const { return servedYen_; }
    long pickedPx() const { return pickedPx_; }

private:
    scene::Headless& h_;
    std::function<void()> step_;
    std::vector<const CSlot*> seen_;
    long servedYen_ = 0;
    long pickedPx_ = 0;
};

}  // namespace robot
