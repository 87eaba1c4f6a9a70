#include "BusyFrame.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

#include "GameRobot.h"
#include "platform/Headless.h"

namespace {

using Clock = std::chrono::steady_clock;
using scene::detail::DrawCall;

// Pairs of draws per busier frame, after a few untimed ones: the game's and
// SDL's in turns, each first every other pair, so a noisy neighbour slows both alike.
constexpr int kWarmup = 5;
constexpr int kPairs = 101;

void replay(SDL_Renderer* r, const std::vector<DrawCall>& calls) {
    for (const auto& c : calls) {
        switch (c.kind) {
            case DrawCall::Clear:
                SDL_SetRenderDrawColor(r, (c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF, 255);
                SDL_RenderClear(r);
                break;
            case DrawCall::Copy: {
                SDL_SetTextureAlphaMod(c.texture, c.alpha);
                SDL_SetTextureColorMod(c.texture, (c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);
                const SDL_FRect d{c.x, c.y, c.w, c.h};
                const SDL_Rect s{c.sx, c.sy, c.sw, c.sh};
                SDL_RenderCopyF(r, c.texture, c.sw ? &s : nullptr, &d);
                break;
            }
            case DrawCall::Fill: {
                SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
                SDL_SetRenderDrawColor(r, (c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF, c.alpha);
                const SDL_FRect d{c.x, c.y, c.w, c.h};
                SDL_RenderFillRectF(r, &d);
                break;
            }
        }
    }
    SDL_RenderPresent(r);
}

double median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

void BusyFrame::afterFrame(scene::Headless& h) {
    if (calls_.size() <= best_) return;
    best_ = calls_.size();
    const std::vector<DrawCall> list = calls_;
    SDL_Renderer* r = scene::detail::Renderer::current()->sdl();
    for (int i = 0; i < kWarmup; ++i) h.render(), replay(r, list);
    std::vector<double> game, raw;
    const auto timeGame = [&] {
        const auto t0 = Clock::now();
        h.render();
        game.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    };
    const auto timeRaw = [&] {
        const auto t0 = Clock::now();
        replay(r, list);
        raw.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    };
    for (int i = 0; i < kPairs; ++i) {
        if (i % 2) timeGame(), timeRaw();
        else timeRaw(), timeGame();
    }
    gameUs_ = median(game);
    rawUs_ = median(raw);
    if (!shotPath.empty()) h.savePNG(shotPath);
}

bool BusyFrame::fillAndTime(robot::GameRobot& robot, scene::Headless& h) {
    if (!robot.choose(24)) return false;
    auto g = robot.game();
    const auto onBelt = [&](const std::string& kind) {
        for (const auto& item : g->tape_->tape_) {
            auto order = std::dynamic_pointer_cast<COrder>(item);
            if (order && order->getKind() == kind) return true;
        }
        return false;
    };
    const auto full = [&] {
        return std::find(g->tape_->tape_.begin(), g->tape_->tape_.end(), nullptr) == g->tape_->tape_.end();
    };
    std::vector<std::shared_ptr<COrder>> orders;
    for (int frame = 0; frame < 3000 && orders.size() < 3 && !robot.over(); ++frame) {
        robot.step();
        for (auto& o : robot.newOrders(*g)) orders.push_back(o);
    }
    std::vector<std::string> kinds;
    for (const auto& k : g->preparations_->getNames()) {
        if (std::find(kinds.begin(), kinds.end(), k) == kinds.end()) kinds.push_back(k);
    }
    for (std::size_t i = 0; i < 4 * kinds.size() && !full() && !robot.over(); ++i) {
        const std::string& kind = kinds[i % kinds.size()];
        if (onBelt(kind) || !robot.pickRecipe(*g, kind)) continue;
        robot.press(*g->table_);
    }
    for (const auto& o : orders) {
        if (!o->parent() || o->isDead()) continue;
        robot.press(*o, 30, 30);
        robot.serve(*g, o->getKind());
        break;
    }
    for (int frame = 0; frame < 40 && !robot.over(); ++frame) {
        robot.step();
        afterFrame(h);
    }
    return best_ > 0;
}
