#pragma once

#include <string>

namespace scene {

// The user's base folders of the XDG layout. Each is the absolute path from
// its environment variable, or its default under the home folder; a relative
// value in the variable is ignored, as the layout requires. Empty when no
// home folder can be found.
std::string userStateHome();   // $XDG_STATE_HOME, default ~/.local/state
std::string userConfigHome();  // $XDG_CONFIG_HOME, default ~/.config

// Makes a folder and any missing parents (mode 0700 for the new ones).
// False when it does not exist afterwards.
bool makeFolders(const std::string& path);

}  // namespace scene
