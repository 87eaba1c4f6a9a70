#pragma once

#include <filesystem>

#include "app/SettingsText.h"

// The remembered settings (language, sound switch, fullscreen) in
// $XDG_CONFIG_HOME/pelmora/settings.txt, or ~/.config/pelmora/ when that is
// unset. Nothing else is ever stored there.
class CSettings {
public:
    // The settings file; empty when neither XDG_CONFIG_HOME nor HOME gives a place.
    static std::filesystem::path path();
    // Reads the file and applies it: the language, the sound switch and the
    // stage's fullscreen. A missing file gives the defaults silently, a
    // damaged or unreadable one with one warning on stderr. From then on
    // save() writes every change.
    static void load();
    // Writes the current settings atomically (a temporary file renamed over
    // the old one); nothing before load().
    static void save();
    // The settings now in force.
    static Settings current();

    // Back to the state at program start: no file in use (tests only).
    static void reset();

private:
    static bool active_;
};
