#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Value.h"
#include "app/AssetPackage.h"
#include "platform/Display.h"

// Game-wide utilities: the asset package (read through AssetPackage) and its
// scrambling, the one random source, byte padding, digit texts, curve helpers and the shared backgrounds.
class MAux {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Raised when the package cannot be used at all; start-up reports it and stops.
    using FatalError = AssetPackage::Unusable;

    struct OffsetAndLen {
        std::optional<std::int64_t> offset;
        std::optional<std::int64_t> len;
    };

    static std::string WEBSITE;
    static const char* const FONTNAME;
    static const char* const JUSTIFY;
    static constexpr int ONE_SECOND_IN_FRAMES = 60;
    static const char* const PACKAGE_KEY_HEX;
    static std::optional<Bytes> PACKAGE_KEY;

    // Scrambling with a trailing checksum.
    static int basic_checksum(const Bytes& data);
    static Bytes basic_encrypt(const Bytes& data, const Bytes& key);
    static std::optional<Bytes> basic_decrypt(const Bytes& data, const Bytes& key);
    static Bytes fromHex(const std::string& text);

    // The package. The first lookup opens "assets.dat" in the game's data folder;
    // a missing or damaged file raises FatalError.
    static void load_assets();
    static OffsetAndLen assets_get_offset_and_len_of(const std::string& name);
    // A missing or damaged entry gives an empty text (with one warning on standard error).
    static std::string getText(const std::string& name);
    // Decoded once and kept; a missing or damaged entry gives an empty transparent picture.
    static std::shared_ptr<scene::BitmapData> getBitmapData(const std::string& name);
    // Names of the pictures decoded so far, in name order (what a screen cost to build).
    static std::vector<std::string> decodedPictures();
    // Decodes pictures of the package not decoded yet, one at a time, until
    // budgetMs have passed; whether any remain. Screens the player lingers on
    // call it each frame, so the game screen built later finds its pictures
    // ready instead of stalling its first frame.
    static bool decodeAhead(double budgetMs);
    // Work making pictures that play shows but no package holds (the rising
    // figures' characters): decodeAhead does it, a task at a time, once every
    // picture is decoded.
    static void prepareAhead(std::function<void()> task);
    // Every later getBitmapData name is also appended to names; null stops.
    static void trackPictureRequests(std::vector<std::string>* names);
    static std::shared_ptr<scene::Sound> getSound(const std::string& name);
    // A sprite holding one bitmap of a package picture: the pictures of switches and flags.
    static std::shared_ptr<scene::Sprite> pictureSprite(const std::string& name);

    static void randomBackground(scene::DisplayObjectContainer& container, bool overlay = true);
    static void lightBackground(scene::DisplayObjectContainer& container, std::optional<bool> replace = std::nullopt);

    static void mouseCursorToArrow() {}
    static void mouseCursorToIBeam() {}
    static void mouseCursorToButton() {}

    // Random filler around a byte sequence. The header's length field has 16
    // bits: longer data throws std::length_error rather than wrap.
    static Bytes basic_obfuscate(const Bytes& data);
    // The data inside a padded block; nothing when its header points past the end.
    static std::optional<Bytes> basic_unobfuscate(const Bytes& data);
    static std::string decimalToBase(std::int64_t number, int base);
    static double distance(const scene::Point& a, const scene::Point& b);
    static double bezier(int a, int b, int c, int d, double t);
    static Value::Array clone(const Value::Array& array);
    static bool exists(const Value& value, const Value::Array& array);
    static Value deepCopy(const Value& value);

    // Uniform in [0, 1). Every random choice of the game goes through here.
    static double random();
    static void seed(std::uint64_t seed);
    // While one lives, the random choices made are taken back when it goes:
    // pictures made ahead of play take nothing from the game's sequence.
    class RandomKept {
    public:
        RandomKept();
        ~RandomKept();
        RandomKept(const RandomKept&) = delete;
        RandomKept& operator=(const RandomKept&) = delete;

    private:
        std::uint64_t state_;
        bool seeded_;
    };

    // Back to the state at program start (tests only).
    static void reset();

private:
    static std::unique_ptr<AssetPackage> assets_;
    static std::map<std::string, std::shared_ptr<scene::BitmapData>> bitmaps_;
    static std::vector<std::string> ahead_;
    static std::size_t aheadNext_;
    static std::vector<std::function<void()>> preparing_;
    static std::size_t prepareNext_;
    static std::vector<std::string>* requests_;
};
