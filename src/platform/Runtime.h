#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace scene {

// Opens an address in the system browser without blocking the frame.
void navigateToURL(const std::string& url);
// Replaces the browser for tests (null restores it).
void setURLOpener(std::function<void(const std::string&)> opener);

// Files by path (a relative path is taken from the working directory).
namespace files {
std::optional<std::vector<std::uint8_t>> read(const std::string& path);
bool exists(const std::string& path);

// A plain file mapped read-only: its pages are read when first touched, so
// the parts of a large file that are never used cost nothing.
class Mapped {
public:
    // Null when the path is not a plain file or cannot be mapped.
    static std::shared_ptr<const Mapped> open(const std::string& path);
    ~Mapped();
    Mapped(const Mapped&) = delete;
    Mapped& operator=(const Mapped&) = delete;
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    Mapped(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    const std::uint8_t* data_;
    std::size_t size_;
};
bool remove(const std::string& path);
// The folder of the running program (symbolic links resolved); empty when unknown.
std::string executableFolder();
}  // namespace files

// A short sound loaded from a file beside the program.
class Sound {
public:
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;
    // Plays once on a free channel; silent when no audio device could be opened.
    void play();
    // Decodes the file once; the first play then costs no decoding.
    void load();
    bool loaded() const { return chunk_ != nullptr; }
    const std::string& path() const { return path_; }

private:
    friend class SoundRegistry;
    explicit Sound(std::string path);
    std::string path_;
    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk_;
    bool tried_ = false;
};

// The registry of sound files beside the program, by id ("ordine.mp3").
class SoundRegistry {
public:
    static void registerSound(const std::string& id, const std::string& path);
    // Null for an id that was never registered.
    static std::shared_ptr<Sound> get(const std::string& id);
    static void clear();
    // Opens the audio device and decodes every registered sound now, so the
    // first effect of a game does not stall a frame. Silent without a device.
    static void preload();
    // The same, but never before the end of the current frame: the sound
    // library loads on a thread of its own meanwhile, so neither holds up the
    // start. A sound played before then loads at once.
    static void preloadSoon();
    // Whether an audio device (real or the silent fallback) is open.
    static bool audioOpen();
};

namespace detail {
// Runs the sound preload asked for with preloadSoon once its library is in
// memory. The frame loop calls it at the end of each frame.
void pollSound();
void ensureFontLibrary();
void ensureImageLibrary();
}  // namespace detail

}  // namespace scene
