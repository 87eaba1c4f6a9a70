#include "app/ApplicationMain.h"

#include "app/CSettings.h"
#include "app/CSound.h"
#include "app/Main.h"
#include "platform/Display.h"

namespace {
const char* const kSounds[] = {"buttato.mp3", "mangiato.mp3", "ordine.mp3", "slot_in_scadenza.mp3"};
}

void ApplicationMain::registerAssets() {
    for (const char* id : kSounds) scene::SoundRegistry::registerSound(id, id);
}

std::shared_ptr<std::vector<std::uint8_t>> ApplicationMain::getAsset(const std::string& id) {
    if (id != "assets.dat") return nullptr;
    auto bytes = scene::files::read(id);
    return bytes ? std::make_shared<std::vector<std::uint8_t>>(std::move(*bytes)) : nullptr;
}

int ApplicationMain::main() {
    registerAssets();
    scene::WindowConfig config;
    config.width = 800;
    config.height = 480;
    config.frameRate = 60.0;
    config.background = 0x000000;
    config.resizable = true;
    config.title = "Pelmora";
    return scene::Application::run(config, [](scene::Stage&) {
        CSound::prepare();
        CSettings::load();
        Main::main();
    });
}
