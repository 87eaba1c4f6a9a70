#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Display.h"

// The experience levels: as a class, the level table (thresholds of points and
// their difficulty factors) and its lookups; as a sprite, the experience badge
// of the score panel, showing the level as up to three chef pictures (its
// base-3 digits) and opening the experience screen when clicked.
class CPxIcon : public scene::Sprite {
public:
    static constexpr int MAX_LEVEL = 129;
    static constexpr const char* FILE_NAME = "assets/livelli.txt";

    explicit CPxIcon(bool clickable = true);

    // The next lookup reads the table from this text; "" reads the file.
    static void setLevels(const std::string& text);
    // The level reached with px points; -1 below the first threshold or with no table.
    static int aux_decode_px_to_level(std::int64_t px);
    // The difficulty factor for px points, always a positive finite number:
    // where the table gives none (no level, a missing or unusable factor) it is 1,
    // so callers may divide by it.
    static double get_difficult_factor(std::int64_t px);

    virtual void listener_click(scene::MouseEvent& event);
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);
    virtual void forceUpdate();
    // Redraws the chef pictures for the current level; levels outside 0 .. 129 keep the old drawing.
    virtual void aux_decode_level();
    // Redraws only when the level changes.
    virtual void set_px(std::int64_t px);
    int getLevel() const { return level_; }

    static std::string levels_txt_;
    static std::vector<std::int64_t> levels_px_;
    static std::vector<double> levels_difficult_factor_;

    // Forgets the table and its text (tests only).
    static void reset();

private:
    static void aux_read_levels();
    void aux_add_chef(char digit);
    void aux_place_last(int slotsFromRight);

    int level_ = 0;
    static bool levels_read_;
};
