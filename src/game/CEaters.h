#pragma once

#include <memory>
#include <vector>

#include "game/CCharacterEater.h"
#include "platform/Display.h"

// A row of customers glancing around at random; the game adds one each time
// a customer takes a plate nobody ordered.
class CEaters : public scene::Sprite {
public:
    explicit CEaters(int count);

    // Stops the glances (the row is off the display tree, so nothing else would).
    virtual void Delete();
    virtual void listener_enter_frame(scene::Event& event);
    // Takes the first customer out of the row; null when the row is empty.
    virtual std::shared_ptr<CCharacterEater> getEater();
    virtual void addEater();

    std::vector<std::shared_ptr<CCharacterEater>> eaters_;
};
