#include "app/MAux.h"

#include "app/ApplicationMain.h"

#include <chrono>
#include <cmath>
#include <random>

#include "scramble/PackageKey.h"
#include "scramble/Scramble.h"

#ifndef PELMORA_WEBSITE
#define PELMORA_WEBSITE "http://127.0.0.1:8080"
#endif

namespace sc = pelmora::scramble;

std::string MAux::WEBSITE = PELMORA_WEBSITE;
const char* const MAux::FONTNAME = "Arial";
const char* const MAux::JUSTIFY = "left";
const char* const MAux::PACKAGE_KEY_HEX = sc::PACKAGE_KEY_HEX;
std::optional<MAux::Bytes> MAux::PACKAGE_KEY;
std::unique_ptr<AssetPackage> MAux::assets_;
std::map<std::string, std::shared_ptr<scene::BitmapData>> MAux::bitmaps_;
std::vector<std::string> MAux::ahead_;
std::size_t MAux::aheadNext_ = 0;
std::vector<std::function<void()>> MAux::preparing_;
std::size_t MAux::prepareNext_ = 0;
std::vector<std::string>* MAux::requests_ = nullptr;

namespace {

// splitmix64: small, fast, and the same sequence on every platform for a seed.
struct RandomSource {
    std::uint64_t state = 0;
    bool seeded = false;
    double next() {
        if (!seeded) {
            std::random_device rd;
            state = (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
            seeded = true;
        }
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
};

RandomSource randomSource;

sc::RandomFn gameRandom() {
    return [] { return MAux::random(); };
}

}  // namespace

double MAux::random() { return randomSource.next(); }

MAux::RandomKept::RandomKept() : state_(randomSource.state), seeded_(randomSource.seeded) {}

MAux::RandomKept::~RandomKept() {
    randomSource.state = state_;
    randomSource.seeded = seeded_;
}

void MAux::seed(std::uint64_t s) {
    randomSource.state = s;
    randomSource.seeded = true;
}

int MAux::basic_checksum(const Bytes& data) { return sc::checksum(data); }

MAux::Bytes MAux::basic_encrypt(const Bytes& data, const Bytes& key) {
    if (key.empty()) return {};
    return sc::encrypt(data, key, sc::pickStart(key.size(), gameRandom()));
}

std::optional<MAux::Bytes> MAux::basic_decrypt(const Bytes& data, const Bytes& key) { return sc::decrypt(data, key); }

MAux::Bytes MAux::fromHex(const std::string& text) { return sc::fromHex(text); }

void MAux::load_assets() {
    if (assets_) return;
    if (!PACKAGE_KEY) PACKAGE_KEY = fromHex(PACKAGE_KEY_HEX);
    assets_ = std::make_unique<AssetPackage>(ApplicationMain::dataPath("assets.dat"), *PACKAGE_KEY);
}

MAux::OffsetAndLen MAux::assets_get_offset_and_len_of(const std::string& name) {
    load_assets();
    OffsetAndLen r;
    if (auto rec = assets_->find(name)) {
        r.offset = rec->offset;
        r.len = rec->length;
    }
    return r;
}

std::string MAux::getText(const std::string& name) {
    load_assets();
    return assets_->text(name);
}

std::shared_ptr<scene::BitmapData> MAux::getBitmapData(const std::string& name) {
    if (requests_) requests_->push_back(name);
    auto it = bitmaps_.find(name);
    if (it != bitmaps_.end()) return it->second;
    load_assets();
    return bitmaps_.emplace(name, assets_->picture(name)).first->second;
}

bool MAux::decodeAhead(double budgetMs) {
    load_assets();
    if (ahead_.empty() && aheadNext_ == 0) ahead_ = assets_->pictureNames();
    const auto start = std::chrono::steady_clock::now();
    const auto inBudget = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() < budgetMs;
    };
    while (aheadNext_ < ahead_.size() && inBudget()) {
        const std::string& name = ahead_[aheadNext_++];
        if (!bitmaps_.count(name)) bitmaps_.emplace(name, assets_->picture(name));
    }
    while (aheadNext_ >= ahead_.size() && prepareNext_ < preparing_.size() && inBudget()) preparing_[prepareNext_++]();
    return aheadNext_ < ahead_.size() || prepareNext_ < preparing_.size();
}

void MAux::prepareAhead(std::function<void()> task) {
    preparing_.push_back(std::move(task));
}

void MAux::trackPictureRequests(std::vector<std::string>* names) { requests_ = names; }

std::vector<std::string> MAux::decodedPictures() {
    std::vector<std::string> names;
    for (const auto& entry : bitmaps_) names.push_back(entry.first);
    return names;
}

std::shared_ptr<scene::Sound> MAux::getSound(const std::string& name) {
    static const std::string prefix = "assets/music/";
    std::string id = name;
    for (std::size_t at; (at = id.find(prefix)) != std::string::npos;) id.erase(at, prefix.size());
    return scene::SoundRegistry::get(id);
}

std::shared_ptr<scene::Sprite> MAux::pictureSprite(const std::string& name) {
    auto s = std::make_shared<scene::Sprite>();
    s->addChild(std::make_shared<scene::Bitmap>(getBitmapData(name)));
    return s;
}

void MAux::randomBackground(scene::DisplayObjectContainer& container, bool overlay) {
    const int r = static_cast<int>(std::floor(random() * 10));
    static const char* const pictures[] = {"assets/welcome01.png", "assets/welcome02.png", "assets/welcome03.png",
                                           "assets/welcome04.png", "assets/welcome05.png"};
    container.addChild(std::make_shared<scene::Bitmap>(getBitmapData(pictures[std::min(r / 2, 4)])));
    if (overlay) {
        auto light = std::make_shared<scene::Bitmap>(getBitmapData("assets/bgs.png"));
        light->setWidth(800);
        light->setHeight(480);
        container.addChild(light);
    }
}

void MAux::lightBackground(scene::DisplayObjectContainer& container, std::optional<bool> replace) {
    if (replace.value_or(false) && container.numChildren() > 1) container.removeChildAt(1);
    auto light = std::make_shared<scene::Bitmap>(getBitmapData("assets/bgs.png"));
    light->setWidth(800);
    light->setHeight(480);
    container.addChildAt(light, 1);
}

MAux::Bytes MAux::basic_obfuscate(const Bytes& data) { return sc::obfuscate(data, gameRandom()); }

std::optional<MAux::Bytes> MAux::basic_unobfuscate(const Bytes& data) { return sc::unobfuscate(data); }

std::string MAux::decimalToBase(std::int64_t number, int base) {
    if (base < 2) base = 2;
    // 31 zeros for nothing to write; otherwise the digits, most significant
    // first, padded with zeros to 32 characters.
    if (number <= 0) return std::string(31, '0');
    std::string digits;
    while (number > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(number % base) % 10));
        number /= base;
    }
    if (digits.size() < 32) digits.insert(0, 32 - digits.size(), '0');
    return digits;
}

double MAux::distance(const scene::Point& a, const scene::Point& b) {
    return std::sqrt((a.y - b.y) * (a.y - b.y) + (a.x - b.x) * (a.x - b.x));
}

double MAux::bezier(int a, int b, int c, int d, double t) {
    const double u = 1 - t;
    const double q0 = u * a + t * b, q1 = u * b + t * c, q2 = u * c + t * d;
    return u * (u * q0 + t * q2) + t * (u * q1 + t * q2);
}

Value::Array MAux::clone(const Value::Array& array) { return Value::Array(array.begin(), array.end()); }

bool MAux::exists(const Value& value, const Value::Array& array) {
    for (const auto& v : array) {
        if (v == value) return true;
    }
    return false;
}

Value MAux::deepCopy(const Value& value) {
    if (!value.isArray()) return value;
    Value::Array out;
    for (const auto& v : value.array()) out.push_back(deepCopy(v));
    return Value(std::move(out));
}

void MAux::reset() {
    WEBSITE = PELMORA_WEBSITE;
    PACKAGE_KEY.reset();
    assets_.reset();
    bitmaps_.clear();
    ahead_.clear();
    aheadNext_ = 0;
    preparing_.clear();
    prepareNext_ = 0;
    requests_ = nullptr;
    randomSource = RandomSource{};
}
