#include "platform/Runtime.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/SharedLibrary.h"

namespace scene {

namespace {

std::function<void(const std::string&)>& opener() {
    static std::function<void(const std::string&)> f;
    return f;
}

void spawnBrowser(const std::string& url) {
    // Double fork: the browser helper is detached and never becomes our zombie.
    const pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            const int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
            }
            execlp("xdg-open", "xdg-open", url.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

void navigateToURL(const std::string& url) {
    if (opener()) {
        opener()(url);
        return;
    }
    // Only web addresses go to the browser helper.
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) return;
    spawnBrowser(url);
}

void setURLOpener(std::function<void(const std::string&)> f) { opener() = std::move(f); }

namespace files {

std::optional<std::vector<std::uint8_t>> read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        // A plain file in one read of its size: byte by byte, the package
        // alone took a good part of the game's start.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (in.bad() || static_cast<std::size_t>(in.gcount()) != bytes.size()) return std::nullopt;
        return bytes;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool exists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::shared_ptr<const Mapped> Mapped::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st{};
    const bool plain = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const auto size = static_cast<std::size_t>(st.st_size);
    // An empty file has nothing to map.
    void* data = plain && size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    ::close(fd);
    if (!plain || data == MAP_FAILED) return nullptr;
    return std::shared_ptr<const Mapped>(new Mapped(static_cast<const std::uint8_t*>(data), size));
}

Mapped::~Mapped() {
    if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

bool remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

std::string executableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

}  // namespace files

namespace detail {

void ensureFontLibrary() {
    static const bool ready = [] {
        if (TTF_WasInit() == 0 && TTF_Init() != 0) {
            std::fprintf(stderr, "Error : cannot start the font renderer: %s\n", TTF_GetError());
            return false;
        }
        return true;
    }();
    (void)ready;
}

void ensureImageLibrary() {
    static const bool ready = [] {
        IMG_Init(IMG_INIT_PNG);
        return true;
    }();
    (void)ready;
}

}  // namespace detail

namespace {

enum class Audio { Unknown, Open, Failed };
Audio audioState = Audio::Unknown;
constexpr const char* kMixerLibrary = "libSDL2_mixer-2.0.so.0";
bool mixerOpened = false;
// A preload asked for with preloadSoon and not yet run.
bool preloadWanted = false;

// SDL_mixer's functions, from the library opened with the audio device: its
// codecs' libraries are not loaded before the first frame. Null when it
// cannot be loaded; the game is then silent.
struct Mixer {
    decltype(&Mix_Init) init;
    decltype(&Mix_OpenAudio) openAudio;
    decltype(&Mix_LoadWAV) loadWAV;
    decltype(&Mix_PlayChannel) playChannel;
    decltype(&Mix_FreeChunk) freeChunk;
};

const Mixer* mixer() {
    static const Mixer* const api = []() -> const Mixer* {
        static detail::SharedLibrary library(kMixerLibrary, "no sound");
        static Mixer m{};
        mixerOpened = true;
        library.bind(m.init, "Mix_Init");
        library.bind(m.openAudio, "Mix_OpenAudio");
        library.bind(m.loadWAV, "Mix_LoadWAV");
        library.bind(m.playChannel, "Mix_PlayChannel");
        library.bind(m.freeChunk, "Mix_FreeChunk");
        return library.usable() ? &m : nullptr;
    }();
    return api;
}

bool openAudio() {
    if (audioState != Audio::Unknown) return audioState == Audio::Open;
    audioState = Audio::Failed;
    const Mixer* mix = mixer();
    if (!mix) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        mix->init(MIX_INIT_MP3);
        if (mix->openAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
            audioState = Audio::Open;
            return true;
        }
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // No sound card: the dummy driver keeps the game going in silence.
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && mix->openAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
        audioState = Audio::Open;
    }
    return audioState == Audio::Open;
}

struct Registry {
    std::map<std::string, std::string> paths;
    std::map<std::string, std::shared_ptr<Sound>> sounds;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

Sound::Sound(std::string path) : path_(std::move(path)) {}

Sound::~Sound() = default;

// Only chunks the mixer made are ever freed, so it is loaded here.
void Sound::ChunkDeleter::operator()(Mix_Chunk* chunk) const { mixer()->freeChunk(chunk); }

void Sound::load() {
    if (tried_ || !openAudio()) return;
    tried_ = true;
    chunk_.reset(mixer()->loadWAV(path_.c_str()));
}

void Sound::play() {
    load();
    if (chunk_) mixer()->playChannel(-1, chunk_.get(), 0);
}

void SoundRegistry::registerSound(const std::string& id, const std::string& path) { registry().paths[id] = path; }

std::shared_ptr<Sound> SoundRegistry::get(const std::string& id) {
    auto& r = registry();
    auto it = r.sounds.find(id);
    if (it != r.sounds.end()) return it->second;
    auto p = r.paths.find(id);
    if (p == r.paths.end()) return nullptr;
    auto sound = std::shared_ptr<Sound>(new Sound(p->second));
    r.sounds.emplace(id, sound);
    return sound;
}

void SoundRegistry::preload() {
    if (!openAudio()) return;
    for (const auto& entry : registry().paths) {
        if (auto sound = get(entry.first)) sound->load();
    }
}

void SoundRegistry::preloadSoon() {
    if (!mixerOpened) detail::SharedLibrary::preload(kMixerLibrary);
    preloadWanted = true;
}

void detail::pollSound() {
    if (!preloadWanted || !SharedLibrary::preloaded(kMixerLibrary)) return;
    preloadWanted = false;
    SoundRegistry::preload();
}

void SoundRegistry::clear() {
    auto& r = registry();
    r.sounds.clear();
    r.paths.clear();
}

bool SoundRegistry::audioOpen() { return audioState == Audio::Open; }

}  // namespace scene
