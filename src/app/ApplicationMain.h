#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Display.h"

// Process entry: finds the game's data folder, registers the files in it,
// opens the window and hands over to Main once the stage exists.
class ApplicationMain {
public:
    // Runs until the window closes; returns the exit status. Takes
    // "--data DIR" to name the data folder.
    static int main(int argc, char** argv);

    // Chooses the data folder: the given one, or else the first of the
    // folders beside the program (relative to its own folder) that holds
    // "assets.dat". Nothing chosen: an "Error : " line naming where it
    // looked, for the caller to print before it stops.
    static std::optional<std::string> useDataFolder(const std::string& given, const std::vector<std::string>& beside);
    // The data folders of an installed game or the build tree, as useDataFolder takes them.
    static const std::vector<std::string>& installedDataFolders();
    // A file of the data folder (relative to the working directory while none is chosen).
    static std::string dataPath(const std::string& name);

    // Registers the four sound files of the data folder (also used by the headless runner).
    static void registerAssets();
    // Raw bytes of "assets.dat" through the same registry; null for other ids.
    static std::shared_ptr<std::vector<std::uint8_t>> getAsset(const std::string& id);

private:
    static std::string dataFolder_;
};
