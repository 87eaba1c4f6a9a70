#pragma once

// Test support: a temporary game folder with an assets.dat built from given
// entries, and a fixture that runs the game's statics against it on a headless stage.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/CML.h"
#include "app/CMain.h"
#include "app/CSound.h"
#include "app/MAux.h"
#include "app/Main.h"
#include "scramble/Package.h"
#include "platform/Headless.h"

namespace testsupport {

inline std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A 1 x 1 opaque PNG of one colour, made through the display layer's own writer.
inline std::vector<std::uint8_t> pngBytes(int w = 4, int h = 4, std::uint32_t argb = 0xFFCC3322);

// A fresh folder under the system's temporary directory, removed on destruction.
class TempDir {
public:
    TempDir() {
        static std::mt19937_64 rng{std::random_device{}()};
        path_ = std::filesystem::temp_directory_path() / ("pelmora-test-" + std::to_string(rng()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::vector<std::uint8_t>& data) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }

private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> buildPackage(const std::vector<pelmora::scramble::PackageEntry>& entries) {
    std::mt19937_64 rng{7};
    return pelmora::scramble::buildPackage(entries, pelmora::scramble::packageKey(), [&] {
        return std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    });
}

// Restores every static class of the game to its start-of-program state.
inline void resetStatics() {
    CMain::reset();
    MAux::reset();
    CML::reset();
    CSound::reset();
    Main::reset();
    MAux::seed(12345);
}

// Runs each test in its own game folder, with a headless stage and fresh statics.
class GameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        resetStatics();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        headless_ = std::make_unique<scene::Headless>();
    }
    void TearDown() override {
        resetStatics();
        headless_.reset();
        std::filesystem::current_path(previous_);
    }
    // Writes assets.dat from the given entries.
    void package(const std::map<std::string, std::vector<std::uint8_t>>& entries) {
        std::vector<pelmora::scramble::PackageEntry> list;
        for (const auto& [name, data] : entries) list.push_back({name, data});
        dir_.write("assets.dat", buildPackage(list));
    }
    scene::Headless& h() { return *headless_; }
    scene::Stage& stage() { return headless_->stage(); }

    TempDir dir_;
    std::unique_ptr<scene::Headless> headless_;
    std::filesystem::path previous_;
};

inline std::vector<std::uint8_t> pngBytes(int w, int h, std::uint32_t argb) {
    scene::Headless scratch(w, h);
    auto sprite = std::make_shared<scene::Sprite>();
    sprite->graphics().beginFill(argb & 0xFFFFFF);
    sprite->graphics().drawRect(0, 0, w, h);
    scratch.stage().addChild(sprite);
    scratch.render();
    const auto file = std::filesystem::temp_directory_path() / ("pelmora-png-" + std::to_string(::getpid()) + ".png");
    scratch.savePNG(file.string());
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    return data;
}

}  // namespace testsupport
