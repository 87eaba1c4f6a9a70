#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Display.h"
#include "platform/Headless.h"

using namespace scene;

namespace {

// A short mono 16-bit WAV tone.
void writeWav(const std::filesystem::path& path) {
    const std::uint32_t rate = 22050, samples = 2205;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out << "RIFF";
    u32(36 + samples * 2);
    out << "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out << "data";
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) u16(static_cast<std::uint16_t>((i % 50) < 25 ? 4000 : -4000));
}

}  // namespace

TEST(Sound, RegisteredSoundsPlayAndUnknownOrBrokenOnesStaySilent) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto tone = dir / "pelmora-tone.wav";
    const auto junk = dir / "pelmora-junk.mp3";
    writeWav(tone);
    std::ofstream(junk) << "not a sound";
    SoundRegistry::registerSound("tone.wav", tone.string());
    SoundRegistry::registerSound("junk.mp3", junk.string());

    SoundRegistry::preload();  // decoded ahead of the first play
    auto sound = SoundRegistry::get("tone.wav");
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->loaded());
    EXPECT_FALSE(SoundRegistry::get("junk.mp3")->loaded());
    EXPECT_EQ(SoundRegistry::get("tone.wav"), sound);  // loaded once, shared
    sound->play();
    EXPECT_TRUE(SoundRegistry::audioOpen());  // a real device or the silent stand-in
    SoundRegistry::get("junk.mp3")->play();   // a file that does not decode plays nothing
    EXPECT_EQ(SoundRegistry::get("nothing.mp3"), nullptr);

    SoundRegistry::clear();
    std::filesystem::remove(tone);
    std::filesystem::remove(junk);
}

TEST(Sound, APreloadAskedForSoonWaitsForTheEndOfAFrame) {
    const auto tone = std::filesystem::temp_directory_path() / "pelmora-soon.wav";
    writeWav(tone);
    SoundRegistry::registerSound("soon.wav", tone.string());
    Headless h;
    SoundRegistry::preloadSoon();
    auto sound = SoundRegistry::get("soon.wav");
    EXPECT_FALSE(sound->loaded());  // nothing before the frame has been drawn
    for (int i = 0; i < 1000 && !sound->loaded(); ++i) {
        h.step();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(sound->loaded());

    SoundRegistry::clear();
    std::filesystem::remove(tone);
}
