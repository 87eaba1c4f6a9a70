// Any bytes as the player's settings file: read as the game reads it at
// start, what it applies must be what the bytes say (the defaults when they
// are damaged), and what the game would write back must read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzWorld.h"
#include "app/CML.h"
#include "app/CSettings.h"
#include "app/SettingsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        auto& world = fuzzworld::World::get();
        std::map<std::string, std::string> languages;
        for (const char* name : {"italiano", "inglese", "spagnolo", "francese", "tedesco"}) {
            const std::string file = std::string("languages/") + name + ".txt";
            languages["assets/" + file] = fuzzworld::packagedTable(file);
        }
        world.package(languages);
        ::setenv("XDG_CONFIG_HOME", std::filesystem::current_path().c_str(), 1);
        std::filesystem::create_directories(CSettings::path().parent_path());
        return true;
    }();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = parseSettings(text);
    if (parsed && parseSettings(formatSettings(*parsed)) != parsed) std::abort();

    std::ofstream(CSettings::path(), std::ios::binary | std::ios::trunc) << text;
    const Settings before = CSettings::current();
    CSettings::load();
    if (CSettings::current() != (parsed ? *parsed : before)) std::abort();
    CSettings::reset();
    if (CML::getLanguage() != Settings().language) CML::setLanguage(Settings().language);
    return 0;
}
