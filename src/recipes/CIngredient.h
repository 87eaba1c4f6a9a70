#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Display.h"

// One ingredient tile: frame and picture, and for a selectable tile a price
// label, a grey overlay while it may not be picked and a numbered badge while
// it is part of the recipe. A tile without a group only shows the ingredient.
class CIngredient : public scene::Sprite {
public:
    static constexpr int BADGES = 6;

    explicit CIngredient(std::string id, std::string group = "", std::int64_t px = 0, std::int64_t yen = 0);

    virtual void listener_mouse_over(scene::MouseEvent& event);
    virtual void listener_mouse_out(scene::MouseEvent& event);
    virtual void listener_mouse_click(scene::MouseEvent& event);

    bool isSelected() const { return selected_; }
    bool isDisabled() const { return disabled_; }
    bool isSelectable() const { return !group_.empty(); }
    // Removes the pick badge; the tile stays as enabled or disabled as it was.
    void unSelect();
    // Both do nothing on a picked tile and on a display-only tile.
    void disable();
    void enable();

    const std::string& getId() const { return id_; }
    const std::string& getGroup() const { return group_; }
    std::int64_t getPx() const { return px_; }
    std::int64_t getYen() const { return yen_; }

    // The shared format of the price labels is made again by the next tile (tests only).
    static void reset() { format_.reset(); }

private:
    std::string id_;
    std::string group_;
    std::int64_t px_;
    std::int64_t yen_;
    std::array<std::shared_ptr<scene::Sprite>, BADGES> sprite_selected_;
    std::shared_ptr<scene::Sprite> sprite_disabled_;
    bool selected_ = false;
    bool disabled_ = false;
    std::shared_ptr<scene::Sprite> s_;
    std::shared_ptr<scene::Sprite> bg_yen_;
    std::shared_ptr<scene::TextField> bg_yen_value_;

    static std::optional<scene::TextFormat> format_;
};
