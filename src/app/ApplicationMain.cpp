#include "app/ApplicationMain.h"

#include <cstdio>

#include "app/CSettings.h"
#include "app/CSound.h"
#include "app/Main.h"
#include "platform/Display.h"

namespace {
const char* const kSounds[] = {"buttato.mp3", "mangiato.mp3", "ordine.mp3", "slot_in_scadenza.mp3"};
const char* const kPackage = "assets.dat";
}  // namespace

std::string ApplicationMain::dataFolder_;

const std::vector<std::string>& ApplicationMain::installedDataFolders() {
    // The program's own folder in the build tree; bin/ or games/ beside share/ once installed.
    static const std::vector<std::string> folders = {".", "../share/games/pelmora", "../share/pelmora"};
    return folders;
}

std::optional<std::string> ApplicationMain::useDataFolder(const std::string& given,
                                                          const std::vector<std::string>& beside) {
    std::vector<std::string> candidates;
    if (!given.empty()) {
        candidates.push_back(given);
    } else {
        const std::string home = scene::files::executableFolder();
        for (const auto& relative : beside) candidates.push_back(relative == "." ? home : home + "/" + relative);
    }
    std::string looked;
    for (const auto& folder : candidates) {
        if (scene::files::exists(folder + "/" + kPackage)) {
            dataFolder_ = folder;
            return std::nullopt;
        }
        looked += (looked.empty() ? "" : ", ") + folder;
    }
    return std::string("Error : the game's data (") + kPackage + ") is not in " + looked +
           "; name its folder with --data DIR\n";
}

std::string ApplicationMain::dataPath(const std::string& name) {
    return dataFolder_.empty() ? name : dataFolder_ + "/" + name;
}

void ApplicationMain::registerAssets() {
    for (const char* id : kSounds) scene::SoundRegistry::registerSound(id, dataPath(id));
}

std::shared_ptr<std::vector<std::uint8_t>> ApplicationMain::getAsset(const std::string& id) {
    if (id != kPackage) return nullptr;
    auto bytes = scene::files::read(dataPath(id));
    return bytes ? std::make_shared<std::vector<std::uint8_t>>(std::move(*bytes)) : nullptr;
}

int ApplicationMain::main(int argc, char** argv) {
    std::string given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--data" && i + 1 < argc) {
            given = argv[++i];
        } else {
            std::fprintf(stderr, "usage: pelmora [--data DIR]\n");
            return 2;
        }
    }
    if (auto problem = useDataFolder(given, installedDataFolders())) {
        std::fputs(problem->c_str(), stdout);
        return 1;
    }
    registerAssets();
    scene::WindowConfig config;
    config.width = 800;
    config.height = 480;
    config.frameRate = 60.0;
    config.background = 0x000000;
    config.resizable = true;
    config.title = "Pelmora";
    config.icon = dataPath("icon.png");
    return scene::Application::run(config, [](scene::Stage&) {
        CSound::prepare();
        CSettings::load();
        Main::main();
    });
}
