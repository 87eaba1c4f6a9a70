#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "scramble/Package.h"

// The asset package "assets.dat" as the game reads it: opened once, entries
// looked up by name, texts and pictures unscrambled on request. A damaged
// entry never stops the game; a package that cannot be used at all does.
class AssetPackage {
public:
    // Raised when the file is missing, unreadable or its directory is damaged.
    class Unusable : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    using Record = pelmora::scramble::PackageReader::Record;

    // Reads the whole file and checks its directory under the key.
    AssetPackage(const std::string& path, const std::vector<std::uint8_t>& key);

    std::optional<Record> find(const std::string& name) const;
    // An entry's bytes as text; empty, with one warning on standard error, when
    // it is missing or damaged.
    std::string text(const std::string& name) const;
    // An entry's picture, decoded; an empty transparent picture, with one
    // warning, when it is missing, damaged or not a picture.
    std::shared_ptr<scene::BitmapData> picture(const std::string& name) const;
    // The names of the entries that are pictures, in directory order.
    std::vector<std::string> pictureNames() const;

private:
    std::string path_;
    std::unique_ptr<pelmora::scramble::PackageReader> reader_;
};
