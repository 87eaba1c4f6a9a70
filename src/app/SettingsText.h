#pragma once

#include <optional>
#include <string>
#include <string_view>

// The player's remembered settings and their small text form, one
// "name=value" line each:
//   language=inglese
//   sound=on
//   fullscreen=off
// Lines starting with "#" and blank lines are comments; a name this version
// does not know is skipped, so a newer game's file still reads here.
struct Settings {
    static constexpr std::size_t MAX_BYTES = 4096;

    std::string language = "italiano";
    bool sound = true;
    bool fullscreen = false;

    bool operator==(const Settings&) const = default;

    // Whether the game has a language file of that name.
    static bool knownLanguage(std::string_view language);
};

// The settings of a file's bytes; nothing when they are damaged: too long, a
// NUL byte, a line without "=", a known name given twice or with a value it
// cannot take. Names left out keep their defaults.
std::optional<Settings> parseSettings(std::string_view text);
std::string formatSettings(const Settings& settings);
