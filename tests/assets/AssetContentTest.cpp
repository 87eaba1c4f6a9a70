// Checks the built package against what the game reads from it: every entry name the code
// asks for, the recipe tree against its pictures, the belt path against the belt picture, and
// the tables' numbers. Reads build/game/assets.dat; without a packer it falls back to the
// staging tree the asset build writes.

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
#include "game/CTape.h"
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

TEST_F(AssetContent, HoldsEveryEntryTheGameReads) {
    std::vector<std::string> names = {
        "assets/version.txt", "assets/build.txt", "assets/b.png", "assets/bgs.png", "assets/title.png",
        "assets/score.png", "assets/yen.png", "assets/ordini.png", "assets/punti_esperienza.png",
        "assets/chef0.png", "assets/chef1.png", "assets/chef2.png", "assets/quit.png", "assets/quit_over.png",
        "assets/music/on.png", "assets/music/on_over.png", "assets/music/off.png", "assets/music/off_over.png",
        "assets/livelli.txt", "assets/tavoli/game1.txt", "assets/ingredienti/ingredienti.txt",
        "assets/preparazioni/preparazioni.txt", "assets/ingredienti/riquadro.png", "assets/ingredienti/disattivato.png",
        "assets/ingredienti/sfondo.png", "assets/ingredienti/scorri_sx.png", "assets/ingredienti/scorri_sx_over.png",
        "assets/ingredienti/scorri_dx.png", "assets/ingredienti/scorri_dx_over.png"};
    for (int n = 1; n <= 5; ++n) names.push_back("assets/welcome0" + std::to_string(n) + ".png");
    for (int n = 1; n <= 6; ++n) names.push_back("assets/ingredienti/selezionato" + std::to_string(n) + ".png");
    for (const auto& lang : kLanguages)
        for (const char* state : {"_off", "_over", "_on"}) names.push_back("assets/languages/" + lang + state + ".png");
    for (const char* dir : {"_d", "_c", "_s"}) {
        names.push_back(std::string("assets/personaggi/slot_in_scadenza") + dir + ".png");
        for (int k = 1; k <= 4; ++k) names.push_back("assets/personaggi/cliente_" + std::to_string(k) + dir + ".png");
    }
    for (const auto& id : ingredientIds()) names.push_back("assets/ingredienti/" + id + ".png");

    for (const auto& name : names) {
        auto b = assets.read(name);
        ASSERT_TRUE(b.has_value()) << name << " missing from " << assets.where();
        if (name.ends_with(".png")) {
            EXPECT_TRUE(isPng(*b)) << name << " is not a PNG";
        } else {
            EXPECT_FALSE(b->empty()) << name;
        }
    }

    EXPECT_EQ(assets.text("assets/version.txt"), "1.0.0");
    const std::string build = assets.text("assets/build.txt");
    EXPECT_FALSE(build.empty());
    EXPECT_TRUE(std::all_of(build.begin(), build.end(), [](char c) { return c >= '0' && c <= '9'; })) << build;

    // Pictures the game shows at a fixed place and size.
    const std::map<std::string, std::pair<int, int>> sized = {
        {"assets/welcome01.png", {800, 480}}, {"assets/welcome05.png", {800, 480}}, {"assets/title.png", {800, 480}},
        {"assets/ingredienti/riquadro.png", {68, 68}}, {"assets/ingredienti/disattivato.png", {68, 68}},
        {"assets/ingredienti/selezionato1.png", {64, 64}}};
    for (const auto& [name, size] : sized) EXPECT_EQ(pngSize(*assets.read(name)), size) << name;
    for (const auto& id : ingredientIds())
        EXPECT_EQ(pngSize(*assets.read("assets/ingredienti/" + id + ".png")), std::make_pair(64, 64)) << id;

    // The cover that lies over captions and labels must never show.
    auto cover = decode(*assets.read("assets/b.png"));
    ASSERT_TRUE(cover.has_value());
    for (int y = 0; y < cover->h(); ++y)
        for (int x = 0; x < cover->w(); ++x) ASSERT_EQ(cover->at(x, y)[3], 0) << "b.png is visible at " << x << "," << y;
    // The light overlay must let the scene through but stay light.
    auto overlay = decode(*assets.read("assets/bgs.png"));
    ASSERT_TRUE(overlay.has_value());
    const auto mid = overlay->at(400, 240);
    EXPECT_GT(mid[3], 100);
    EXPECT_LT(mid[3], 250);
    EXPECT_GT(mid[0] + mid[1] + mid[2], 600);
}

TEST_F(AssetContent, RecipeTreeMatchesItsPicturesAndIngredients) {
    const std::string text = assets.text("assets/preparazioni/preparazioni.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "records must end with CR LF";
    EXPECT_EQ(replaceAll(text, "\r\n", "").find('\n'), std::string::npos) << "a bare line feed would join records";

    const auto all = recipes(text);
    const auto ids = ingredientIds();
    std::set<std::string> kinds;
    for (const auto& r : all) {
        kinds.insert(r.kind);
        EXPECT_GE(r.picks.size(), 2u) << r.kind;
        EXPECT_LE(r.picks.size(), 6u) << r.kind << ": the panel has six pick badges";
        std::set<std::string> unique(r.picks.begin(), r.picks.end());
        EXPECT_EQ(unique.size(), r.picks.size()) << r.kind << " uses an ingredient twice and cannot be built";
        for (const auto& p : r.picks)
            EXPECT_TRUE(std::find(ids.begin(), ids.end(), p) != ids.end()) << r.kind << " needs unknown ingredient " << p;
    }
    EXPECT_GE(kinds.size(), 12u);
    for (const auto& kind : kinds) {
        EXPECT_TRUE(assets.read("assets/piatti/" + kind + ".png").has_value()) << "no plate picture for " << kind;
        EXPECT_TRUE(assets.read("assets/ordini/" + kind + ".png").has_value()) << "no order picture for " << kind;
    }

    const auto numbers = treeNumbers(all);
    std::set<std::string> roots;
    for (const auto& r : all) roots.insert(r.picks.front());
    EXPECT_GE(roots.size(), 2u) << "the tree should branch at the first pick";
    EXPECT_LT(numbers.size(), all.size() * 4) << "recipes should share first picks";

    int pictures = 0;
    for (const auto& name : assets.names())
        if (name.starts_with("assets/preparazioni/") && name.ends_with(".png")) ++pictures;
    EXPECT_EQ(pictures, static_cast<int>(numbers.size())) << "one preparation picture per tree node";
    for (const auto& [path, id] : numbers) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", id % 1000);
        auto b = assets.read(std::string("assets/preparazioni/") + digits + ".png");
        ASSERT_TRUE(b.has_value()) << "no picture " << digits << " for node " << id;
        EXPECT_TRUE(isPng(*b));
    }

    // The finished preparation on the table is the very plate that then rides the belt: this
    // also catches pictures numbered in another order than the game walks the tree.
    std::map<std::vector<std::string>, std::string> plateAt;
    for (const auto& r : all) plateAt[r.picks] = r.kind;  // a later record takes the node over
    for (const auto& [path, kind] : plateAt) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%03d", numbers.at(path) % 1000);
        auto table = decode(*assets.read(std::string("assets/preparazioni/") + digits + ".png"));
        auto plate = decode(*assets.read("assets/piatti/" + kind + ".png"));
        ASSERT_TRUE(table && plate) << kind;
        ASSERT_EQ(std::make_pair(table->w(), table->h()), std::make_pair(plate->w(), plate->h())) << kind;
        int differing = 0;
        for (int y = 0; y < table->h(); ++y)
            for (int x = 0; x < table->w(); ++x) differing += table->at(x, y) != plate->at(x, y);
        EXPECT_EQ(differing, 0) << "preparation " << digits << " does not show " << kind;
    }
}

TEST_F(AssetContent, IngredientsPageAndPricesRewardServing) {
    const auto records = looseRecords(assets.text("assets/ingredienti/ingredienti.txt"));
    ASSERT_GE(records.size(), 11u) << "too few ingredients for the strip to page";
    // The strip pages one column of two at a time and stops at floor(n / 2) - 5: an odd last
    // tile could never be scrolled into view.
    EXPECT_EQ(records.size() % 2, 0u);
    std::map<std::string, std::pair<long, long>> priceOf;
    for (const auto& f : records) {
        ASSERT_GE(f.size(), 4u) << f[0];
        EXPECT_FALSE(f[1].empty()) << f[0] << " would be a display-only tile";
        const long px = static_cast<long>(readInt(f[2])), yen = static_cast<long>(readInt(f[3]));
        EXPECT_GT(px, 0) << f[0];
        EXPECT_GT(yen, 0) << f[0];
        priceOf[f[0]] = {px, yen};
    }
    // Orders pay 250 to 450 yen; a plate's own worth must stay below that, so serving an
    // order beats sending plates round on speculation, while waste still costs something.
    for (const auto& r : recipes(assets.text("assets/preparazioni/preparazioni.txt"))) {
        long yen = 0;
        for (const auto& p : r.picks) yen += priceOf[p].second;
        EXPECT_LT(yen, 250) << r.kind;
        EXPECT_GE(yen, 40) << r.kind;
    }
}

TEST_F(AssetContent, BeltPathRunsOnTheBeltPicture) {
    const auto lines = DataFiles::crlfRecords(assets.text("assets/tavoli/game1.txt"));
    ASSERT_GE(lines.size(), 6u);
    auto xy = [&](int i) {
        auto p = splitAt(lines[static_cast<std::size_t>(i)], ",");
        return Point{static_cast<double>(readInt(p[0])), p.size() > 1 ? static_cast<double>(readInt(p[1])) : 0.0};
    };
    const Point belt = xy(2), panel = xy(3), table = xy(4), score = xy(5);

    // Read by the belt's own reader, as the game reads it.
    const auto path = CTape::readPath(assets.text("assets/tavoli/" + lines[1]));
    std::vector<scene::Point> where;
    for (int i : CTape::slotOffsets(path)) where.push_back(path[static_cast<std::size_t>(i)]);
    ASSERT_GE(where.size(), 10u) << "the belt needs room for at least ten items";

    auto picture = assets.read("assets/tavoli/" + lines[0]);
    ASSERT_TRUE(picture.has_value()) << lines[0];
    auto img = decode(*picture);
    ASSERT_TRUE(img.has_value());

    // The loop closes: its last point lies close to the first.
    EXPECT_LT(std::hypot(path.back().x - path.front().x, path.back().y - path.front().y), 40.0);

    // Items are drawn 64 x 64 at (point - (34, 42)): the picture's centre is 2 px left of and
    // 10 px above the point, and that is where the belt's steel must be.
    int onSteel = 0;
    for (const auto& p : path) {
        const int cx = static_cast<int>(std::lround(p.x - 2)), cy = static_cast<int>(std::lround(p.y - 10));
        ASSERT_TRUE(cx >= 0 && cy >= 0 && cx < img->w() && cy < img->h()) << "path leaves the belt picture at " << p.x << "," << p.y;
        const auto c = img->at(cx, cy);
        const int hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
        if (c[3] == 255 && hi - lo < 40 && hi > 150) ++onSteel;
    }
    EXPECT_GE(onSteel * 10, static_cast<int>(path.size()) * 9) << "plates must ride on the drawn belt";

    for (const auto& s : where) {
        const double ey = s.y - 42;  // the item's y in the belt, which sets its size
        EXPECT_GE(ey, 0) << "an item this high is drawn smaller than 64 px";
        EXPECT_LT(ey, 350) << "the size rule breaks down at y 350";
        // On screen the item must not hide under the score strip, the panel or the table.
        const double left = belt.x + s.x - 34, top = belt.y + s.y - 42;
        EXPECT_GE(top, score.y + 80 - 4) << "item under the score strip at " << left << "," << top;
        auto overlaps = [&](double x, double y, double w, double h) {
            return left < x + w && left + 64 > x && top < y + h && top + 64 > y;
        };
        EXPECT_FALSE(overlaps(panel.x - 4, panel.y - 4, 420, 148)) << "item over the ingredient panel";
        EXPECT_FALSE(overlaps(table.x, table.y, 128, 128)) << "item over the preparation table";
        EXPECT_TRUE(left >= 0 && left + 64 <= 800 && top + 64 <= 480) << "item off screen";
    }
}

TEST_F(AssetContent, LevelsRiseGently) {
    const auto records = looseRecords(assets.text("assets/livelli.txt"));
    ASSERT_GE(records.size(), 20u);
    long lastPx = -1;
    double lastFactor = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& f = records[i];
        ASSERT_GE(f.size(), 5u) << "level " << i;
        const long px = static_cast<long>(readInt(f[3]));
        const double factor = readDecimal(f[4]);
        if (i == 0) {
            EXPECT_EQ(px, 0) << "a new player must have a level";
            EXPECT_DOUBLE_EQ(factor, 1.0);
        }
        EXPECT_GT(px, lastPx) << "level " << i;
        ASSERT_TRUE(std::isfinite(factor)) << "level " << i;
        EXPECT_GT(factor, 0.0) << "level " << i;
        EXPECT_LE(factor, 3.0) << "level " << i;
        EXPECT_GE(factor, lastFactor) << "level " << i;
        if (i > 0) {
            EXPECT_LE(factor - lastFactor, 0.25) << "level " << i;
        }
        lastPx = px;
        lastFactor = factor;
    }
}

TEST_F(AssetContent, LanguageFilesAreLatin1WithCrLf) {
    const char* src = std::getenv("PELMORA_SOURCE_DIR");
    bool written = false;
    for (const auto& lang : kLanguages)
        written = written || (src && fs::exists(fs::path(src) / "assets" / "languages" / (lang + ".txt")));
    if (!written) GTEST_SKIP() << "no language files written yet";
    for (const auto& lang : kLanguages) {
        auto b = assets.read("assets/languages/" + lang + ".txt");
        ASSERT_TRUE(b.has_value()) << lang;
        const std::string t(b->begin(), b->end());
        EXPECT_NE(t.find(":="), std::string::npos) << lang;
        EXPECT_EQ(replaceAll(t, "\r\n", "").find('\n'), std::string::npos) << lang << " has a bare line feed";
        // UTF-8 sequences for Latin-1 letters start with 0xC2 or 0xC3; after conversion an
        // accented letter is one byte, so no such pair may follow a letter byte pattern.
        std::size_t utf8Pairs = 0;
        for (std::size_t i = 0; i + 1 < t.size(); ++i) {
            const auto a = static_cast<unsigned char>(t[i]), c = static_cast<unsigned char>(t[i + 1]);
            if ((a == 0xC2 || a == 0xC3) && c >= 0x80 && c <= 0xBF) ++utf8Pairs;
        }
        EXPECT_EQ(utf8Pairs, 0u) << lang << " still looks UTF-8 encoded";
    }
}

}  // namespace
