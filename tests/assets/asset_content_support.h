#pragma once

// What the package content tests read with: the built package (or the staging
// tree), picture decoding, the belt path and recipe tables, and the fixture.

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataFiles.h"
#include "app/MAux.h"
#include "scramble/Package.h"

namespace fs = std::filesystem;
using pelmora::scramble::Bytes;

namespace {

using DataFiles::splitAt;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

using DataFiles::readDecimal;
using DataFiles::readInt;

// Records of the ingredients and levels files that hold at least two fields.
std::vector<std::vector<std::string>> looseRecords(const std::string& text) {
    std::vector<std::vector<std::string>> out;
    for (const auto& rec : DataFiles::looseRecords(text)) {
        auto fields = DataFiles::tabFields(rec);
        if (fields.size() >= 2) out.push_back(fields);
    }
    return out;
}

// Entries of the package, or of the staging tree when no package was built.
class Assets {
public:
    Assets() {
        const char* build = std::getenv("PELMORA_BUILD_DIR");
        const fs::path root = build ? build : "build";
        const fs::path dat = root / "game" / "assets.dat";
        if (fs::exists(dat)) {
            std::ifstream in(dat, std::ios::binary);
            Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            reader_ = std::make_unique<pelmora::scramble::PackageReader>(std::move(file), pelmora::scramble::packageKey());
            where_ = dat.string();
        } else {
            stage_ = root / "assets-stage";
            where_ = stage_.string();
        }
    }

    std::optional<Bytes> read(const std::string& name) const {
        if (reader_) return reader_->read(name);
        std::ifstream in(stage_ / name, std::ios::binary);
        if (!in) return std::nullopt;
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::string text(const std::string& name) const {
        auto b = read(name);
        return b ? std::string(b->begin(), b->end()) : std::string();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        if (reader_) {
            for (const auto& r : reader_->records()) out.push_back(r.name);
        } else if (fs::exists(stage_)) {
            for (const auto& e : fs::recursive_directory_iterator(stage_))
                if (e.is_regular_file()) out.push_back(fs::relative(e.path(), stage_).generic_string());
        }
        return out;
    }

    bool usable() const { return reader_ ? reader_->ok() : fs::exists(stage_ / "assets"); }
    const std::string& where() const { return where_; }

private:
    std::unique_ptr<pelmora::scramble::PackageReader> reader_;
    fs::path stage_;
    std::string where_;
};

struct Surface {
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> s{nullptr, SDL_FreeSurface};
    int w() const { return s->w; }
    int h() const { return s->h; }
    // RGBA of one pixel.
    std::array<int, 4> at(int x, int y) const {
        const auto* row = static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch;
        const std::uint8_t* p = row + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }
};

std::optional<Surface> decode(const Bytes& png) {
    SDL_Surface* raw = IMG_Load_RW(SDL_RWFromConstMem(png.data(), static_cast<int>(png.size())), 1);
    if (!raw) return std::nullopt;
    Surface out;
    out.s.reset(SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ABGR8888, 0));  // bytes R, G, B, A
    SDL_FreeSurface(raw);
    if (!out.s) return std::nullopt;
    return out;
}

struct Point { double x, y; };

// The belt's path: 200 samples per curve, a point kept when more than 20 px from the last.
std::vector<Point> beltPath(const std::string& text) {
    auto coord = [](const std::string& tok) {
        auto xy = splitAt(tok, ",");
        return std::pair<int, int>{static_cast<int>(readInt(xy[0])), xy.size() > 1 ? static_cast<int>(readInt(xy[1])) : 0};
    };
    std::vector<Point> pts;
    std::pair<int, int> p0{0, 0}, off{0, 0};
    for (const auto& line : splitAt(text, "\r\n")) {
        auto toks = splitAt(line, " ");
        if (toks[0] == "#") {
            if (toks.size() > 1) off = coord(toks[1]);
        } else if (toks.size() == 1) {
            p0 = coord(toks[0]);
        } else {
            auto p1 = coord(toks[0]), p2 = coord(toks[1]);
            auto p3 = toks.size() > 2 ? coord(toks[2]) : std::pair<int, int>{0, 0};
            for (int i = 0; i < 200; ++i) {
                const double t = i / 200.0;
                Point p{MAux::bezier(p0.first, p1.first, p2.first, p3.first, t) + off.first,
                        MAux::bezier(p0.second, p1.second, p2.second, p3.second, t) + off.second};
                if (pts.empty() || std::hypot(p.x - pts.back().x, p.y - pts.back().y) > 20) pts.push_back(p);
            }
            p0 = p3;
        }
    }
    return pts;
}

std::vector<Point> slots(const std::vector<Point>& pts) {
    std::vector<Point> out;
    if (pts.empty()) return out;
    Point ref = pts[0];
    for (const auto& p : pts) {
        if (std::hypot(p.x - ref.x, p.y - ref.y) > 80) {
            out.push_back(p);
            ref = p;
        }
    }
    return out;
}

struct Recipe {
    std::string kind;
    std::vector<std::string> picks;
};

std::vector<Recipe> recipes(const std::string& text) {
    std::vector<Recipe> out;
    for (const auto& rec : DataFiles::crlfRecords(text)) {
        const auto fields = DataFiles::nonEmptyTabFields(rec);
        if (fields.size() < 2) continue;
        out.push_back({fields[0], std::vector<std::string>(fields.begin() + 2, fields.end())});
    }
    return out;
}

// Pre-order numbers of the recipe tree (root 0, children in order of first appearance).
std::map<std::vector<std::string>, int> treeNumbers(const std::vector<Recipe>& all) {
    std::vector<std::vector<std::string>> firstSeen;
    std::set<std::vector<std::string>> seen;
    for (const auto& r : all)
        for (std::size_t n = 1; n <= r.picks.size(); ++n) {
            std::vector<std::string> prefix(r.picks.begin(), r.picks.begin() + static_cast<long>(n));
            if (seen.insert(prefix).second) firstSeen.push_back(prefix);
        }
    // Children in first-seen order: a stable sort by the sequence of first-seen ranks of the
    // prefixes gives exactly the pre-order walk.
    std::map<std::vector<std::string>, std::size_t> rank;
    for (std::size_t i = 0; i < firstSeen.size(); ++i) rank[firstSeen[i]] = i;
    auto key = [&](const std::vector<std::string>& p) {
        std::vector<std::size_t> k;
        for (std::size_t n = 1; n <= p.size(); ++n)
            k.push_back(rank[std::vector<std::string>(p.begin(), p.begin() + static_cast<long>(n))]);
        return k;
    };
    std::vector<std::vector<std::string>> order = firstSeen;
    std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    std::map<std::vector<std::string>, int> out;
    for (std::size_t i = 0; i < order.size(); ++i) out[order[i]] = static_cast<int>(i + 1);
    return out;
}

bool isPng(const Bytes& b) {
    static const std::uint8_t sig[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b.size() > 24 && std::equal(std::begin(sig), std::end(sig), b.begin());
}

std::pair<int, int> pngSize(const Bytes& b) {
    auto be = [&](std::size_t i) { return (b[i] << 24) | (b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3]; };
    return {be(16), be(20)};
}

const std::vector<std::string> kLanguages = {"italiano", "inglese", "spagnolo", "francese", "tedesco"};

class AssetContent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_SetMainReady();
        IMG_Init(IMG_INIT_PNG);
    }

    void SetUp() override { ASSERT_TRUE(assets.usable()) << "no package or staging tree at " << assets.where(); }

    std::vector<std::string> ingredientIds() const {
        std::vector<std::string> ids;
        for (const auto& f : looseRecords(assets.text("assets/ingredienti/ingredienti.txt"))) ids.push_back(f[0]);
        return ids;
    }

    Assets assets;
};

}  // namespace
