#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::server {

// The experience levels of the table the service hands to the game: each
// level's name and the experience points it starts at, read the way the game
// reads them (records end at a line break or ";", fields at a tab; the name is
// field 2, the threshold field 4).
class LevelTable {
public:
    struct Level {
        std::string name;
        std::int64_t px = 0;  // experience points from which the level is reached
    };

    LevelTable() = default;
    explicit LevelTable(std::string_view text);
    // The table of a file; empty when it cannot be read.
    static LevelTable fromFile(const std::filesystem::path& file);

    const std::vector<Level>& levels() const { return levels_; }
    // The level reached with px points: the last one before the first
    // threshold above px; nothing below the first threshold or for an empty table.
    std::optional<int> levelOf(std::int64_t px) const;

private:
    std::vector<Level> levels_;
};

}  // namespace pelmora::server
