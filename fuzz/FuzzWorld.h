#pragma once

// What the game-side fuzz targets share: one scratch game folder and one
// headless stage for the whole run, and a package written afresh for each
// input so the readers under test take their bytes the way the game does.
// The first input moves the process into that folder: give libFuzzer
// absolute paths for its corpus and artifacts.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/CML.h"
#include "app/MAux.h"
#include "platform/Headless.h"
#include "scramble/Package.h"

namespace fuzzworld {

// A table file of assets/ as the package holds it: every record ended by CR LF.
inline std::string packagedTable(const std::string& relative) {
    std::ifstream in(std::filesystem::path(PELMORA_SOURCE_DIR) / "assets" / relative, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    std::string out;
    for (char c : all.str()) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class World {
public:
    static World& get() {
        static World world;
        return world;
    }

    // Replaces assets.dat with these entries and drops every cached package read.
    void package(const std::map<std::string, std::string>& entries) {
        std::vector<pelmora::scramble::PackageEntry> list;
        for (const auto& [name, text] : entries) list.push_back({name, {text.begin(), text.end()}});
        const auto bytes = pelmora::scramble::buildPackage(list, pelmora::scramble::packageKey(), [this] {
            return std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
        });
        std::ofstream(dir_ / "assets.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        MAux::reset();
        CML::reset();
        MAux::seed(1);
    }

    scene::Headless& headless() { return *headless_; }

private:
    // In memory when the system offers it: each input writes a package.
    World()
        : dir_((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                           : std::filesystem::temp_directory_path()) /
               ("pelmora-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        headless_ = std::make_unique<scene::Headless>();
    }
    ~World() {
        headless_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::filesystem::path dir_;
    std::unique_ptr<scene::Headless> headless_;
    std::mt19937_64 rng_{7};
};

}  // namespace fuzzworld
