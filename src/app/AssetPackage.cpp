#include "app/AssetPackage.h"

#include <cstdio>

namespace sc = pelmora::scramble;

AssetPackage::AssetPackage(const std::string& path, const std::vector<std::uint8_t>& key) : path_(path) {
    // Mapped, not read: the start touches only the directory and a few pictures of it.
    if (auto mapped = scene::files::Mapped::open(path)) {
        reader_ = std::make_unique<sc::PackageReader>(mapped->bytes(), mapped, key);
    } else if (auto file = scene::files::read(path)) {
        reader_ = std::make_unique<sc::PackageReader>(std::move(*file), key);
    } else {
        throw Unusable("cannot read \"" + path + "\" in the game folder (missing or unreadable)");
    }
    if (!reader_->ok()) {
        throw Unusable("\"" + path + "\" is damaged: " + sc::PackageReader::describe(reader_->status()));
    }
}

std::optional<AssetPackage::Record> AssetPackage::find(const std::string& name) const { return reader_->find(name); }

std::string AssetPackage::text(const std::string& name) const {
    auto bytes = reader_->read(name);
    if (!bytes) {
        std::fprintf(stderr, "Warning : \"%s\" is missing or damaged in %s\n", name.c_str(), path_.c_str());
        return {};
    }
    return sc::textOf(*bytes);
}

std::vector<std::string> AssetPackage::pictureNames() const {
    std::vector<std::string> names;
    for (const auto& r : reader_->records()) {
        if (r.inFile && r.name.ends_with(".png")) names.push_back(r.name);
    }
    return names;
}

std::shared_ptr<scene::BitmapData> AssetPackage::picture(const std::string& name) const {
    std::shared_ptr<scene::BitmapData> data;
    if (auto bytes = reader_->read(name)) data = scene::BitmapData::fromBytes(*bytes);
    if (!data) {
        std::fprintf(stderr, "Warning : picture \"%s\" is missing or damaged in %s\n", name.c_str(), path_.c_str());
        data = std::make_shared<scene::BitmapData>(1, 1, true, 0);
    }
    return data;
}
