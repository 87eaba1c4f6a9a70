#pragma once

#include <memory>
#include <optional>

#include "game/CCharacterEater.h"
#include "game/CCharacterWorried.h"
#include "platform/Display.h"

// Anything that rides the belt: a price tag, a life time in frames, the
// 100-frame disappearance countdown and two faces (worried, eating).
// Subclasses add their picture first, so it is always child 0.
class CSlot : public scene::Sprite {
public:
    static constexpr int COUNTDOWN = 100;

    explicit CSlot(int yen);

    virtual int getLifespan() const { return lifespan_; }
    virtual int getCountdown() const { return countdown_; }
    virtual bool getPositive() const { return positive_; }
    // Gives the item a life time in frames and restarts its countdown.
    virtual void setLifespan(int frames);
    // One frame of life, or, once dead (or immortal), one frame of countdown.
    virtual void decrementLifespan();
    virtual void setPositive(bool value) { positive_ = value; }
    virtual bool isImmortal() const { return lifespan_ == -1; }
    virtual bool isDead() const { return lifespan_ == 0; }
    virtual bool isDying() const { return countdown_ > 0; }
    virtual int getYen() const { return yen_; }
    virtual void setYen(int yen);
    // Shows the worried face on the side away from the middle; its sound plays once.
    virtual void hurryUp(int dx, int dy);
    virtual void hurryNoMore();
    // Shows the customer eating; its sound plays once.
    virtual void eatedUp(int dx, int dy);
    // Stops whatever the item listens to; called when it leaves the game.
    virtual void Delete() {}

    int yen_ = 0;
    int lifespan_ = -1;
    int countdown_ = COUNTDOWN;
    bool positive_ = false;
    std::shared_ptr<scene::Sprite> bg_yen_;
    std::shared_ptr<scene::TextField> bg_yen_value_;
    std::shared_ptr<CCharacterWorried> hurry_;
    std::shared_ptr<CCharacterEater> eated_;

    static std::optional<scene::TextFormat> format_;
    // Back to the state at program start (tests only).
    static void reset() { format_.reset(); }

protected:
    // Adds the picture and then the tag and both faces, in the order the belt relies on.
    void aux_add_children(const std::shared_ptr<scene::DisplayObject>& picture);
};
