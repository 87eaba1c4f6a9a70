#include "app/CSettings.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/CML.h"
#include "app/CSound.h"
#include "platform/Display.h"

bool CSettings::active_ = false;

namespace {

// Saves the settings when the window goes to or leaves fullscreen.
struct FullScreenWatcher : scene::LifeTracked {
    void onChange(scene::Event&) { CSettings::save(); }
};
FullScreenWatcher watcher;

}  // namespace

std::filesystem::path CSettings::path() {
    const std::filesystem::path home = scene::userConfigHome();
    return home.empty() ? home : home / "pelmora" / "settings.txt";
}

Settings CSettings::current() {
    Settings s;
    s.language = CML::getLanguage();
    s.sound = CSound::isEnabled();
    if (auto* stage = scene::Stage::current()) s.fullscreen = stage->fullScreen();
    return s;
}

void CSettings::load() {
    active_ = true;
    auto* stage = scene::Stage::current();
    if (stage) stage->addEventListener(scene::Event::FULL_SCREEN, &watcher, &FullScreenWatcher::onChange);
    const auto file = path();
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(file, ec)) return;
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (in) {
        // One byte past the limit is enough to see the file is too long.
        text.resize(Settings::MAX_BYTES + 1);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
    }
    const auto settings = in.bad() || (!in && !in.eof()) ? std::nullopt : parseSettings(text);
    if (!settings) {
        std::fprintf(stderr, "Pelmora: the settings file %s is damaged or unreadable; using the defaults.\n",
                     file.c_str());
        return;
    }
    if (settings->language != CML::getLanguage()) CML::setLanguage(settings->language);
    if (settings->sound) CSound::enable();
    else CSound::disable();
    if (stage) stage->setFullScreen(settings->fullscreen);
}

void CSettings::save() {
    if (!active_) return;
    const auto file = path();
    if (file.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    auto temp = file;
    temp += ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << formatSettings(current());
        out.flush();
        if (!out) {
            std::fprintf(stderr, "Pelmora: cannot write the settings file %s.\n", temp.c_str());
            std::filesystem::remove(temp, ec);
            return;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::fprintf(stderr, "Pelmora: cannot write the settings file %s (%s).\n", file.c_str(), ec.message().c_str());
        std::filesystem::remove(temp, ec);
    }
}

void CSettings::reset() {
    active_ = false;
    if (auto* stage = scene::Stage::current()) {
        stage->removeEventListener(scene::Event::FULL_SCREEN, &watcher, &FullScreenWatcher::onChange);
    }
}
