#include "game/CEaters.h"

#include <cmath>

#include "app/MAux.h"

CEaters::CEaters(int count) {
    for (int i = 0; i < count; ++i) eaters_.push_back(std::make_shared<CCharacterEater>(i % 4 + 1));
    int x = 0;
    for (auto& e : eaters_) {
        addChild(e);
        e->setX(x);
        e->setY(std::floor(MAux::random() * 20));
        e->updateDisposition(-100, 100, false);
        x += static_cast<int>(std::floor(e->width()));
    }
    addEventListener(scene::Event::ENTER_FRAME, this, &CEaters::listener_enter_frame);
}

void CEaters::Delete() { removeEventListener(scene::Event::ENTER_FRAME, this, &CEaters::listener_enter_frame); }

void CEaters::listener_enter_frame(scene::Event&) {
    for (auto& e : eaters_) {
        if (MAux::random() > 0.9) {
            const int r1 = static_cast<int>(std::floor(MAux::random() * 400 - 200));
            const int r2 = static_cast<int>(std::floor(MAux::random() * 400 - 200));
            e->updateDisposition(r2, r1, false);
        }
    }
}

std::shared_ptr<CCharacterEater> CEaters::getEater() {
    if (eaters_.empty()) return nullptr;
    auto first = eaters_.front();
    eaters_.erase(eaters_.begin());
    removeChild(first);
    return first;
}

void CEaters::addEater() {
    auto e = std::make_shared<CCharacterEater>(static_cast<int>(std::floor(MAux::random() * 3)) + 1);
    const double x = eaters_.empty() ? 0 : eaters_.back()->x() + std::floor(eaters_.back()->width());
    eaters_.push_back(e);
    addChild(e);
    e->setX(x);
    e->setY(std::floor(MAux::random() * 20));
}
