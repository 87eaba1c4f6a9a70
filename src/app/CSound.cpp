#include "app/CSound.h"

#include "app/MAux.h"

bool CSound::enabled_ = true;
int CSound::requests_ = 0;

CSound::CSound(const std::string& name) {
    ++requests_;
    if (!enabled_) return;
    if (auto sound = MAux::getSound("assets/music/" + name + ".mp3")) sound->play();
}

void CSound::enable() {
    enabled_ = true;
    prepare();
}

void CSound::prepare() {
    if (enabled_) scene::SoundRegistry::preloadSoon();
}

void CSound::reset() {
    enabled_ = true;
    requests_ = 0;
}
