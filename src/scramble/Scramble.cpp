#include "scramble/Scramble.h"

#include <cmath>
#include <random>
#include <stdexcept>

namespace pelmora::scramble {

namespace {

// Keeps a misbehaving random source from pushing sizes or positions out of range.
double unit(const RandomFn& random) {
    const double r = random();
    if (!(r >= 0.0)) return 0.0;  // also catches NaN
    if (r >= 1.0) return std::nextafter(1.0, 0.0);
    return r;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::uint16_t checksum(ByteView data) {
    std::uint32_t h = 0;
    for (std::uint8_t c : data) h = ((h & 0x7FFF) << 1) ^ c;
    return static_cast<std::uint16_t>(h);
}

std::uint8_t pickStart(std::size_t keyLength, const RandomFn& random) {
    const double s = std::floor(unit(random) * static_cast<double>(keyLength) * 0.5);
    return s >= 255.0 ? 255 : static_cast<std::uint8_t>(s);
}

Bytes encrypt(ByteView data, ByteView key, std::uint8_t start) {
    if (key.empty()) throw std::invalid_argument("scramble: the key must hold at least one byte");
    Bytes out;
    out.reserve(data.size() + 3);
    out.push_back(start);
    const std::size_t k = key.size();
    for (std::size_t i = 0; i < data.size(); ++i) out.push_back(data[i] ^ key[(start + i) % k]);
    const std::uint16_t c = checksum(data);
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    return out;
}

std::optional<Bytes> decrypt(ByteView block, ByteView key) {
    const std::size_t m = block.size();
    if (m < 3 || key.empty()) return std::nullopt;
    const std::size_t s = block[0];
    const std::size_t k = key.size();
    Bytes out(m - 3);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = block[i + 1] ^ key[(s + i) % k];
    const std::uint16_t stored = static_cast<std::uint16_t>(block[m - 1] << 8 | block[m - 2]);
    if (stored != checksum(out)) return std::nullopt;
    return out;
}

Bytes fromHex(std::string_view text) {
    Bytes out(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = hexValue(text[2 * i]);
        const int lo = hexValue(text[2 * i + 1]);
        out[i] = static_cast<std::uint8_t>((hi < 0 ? 0 : hi) << 4 | (lo < 0 ? 0 : lo));
    }
    return out;
}

std::optional<Bytes> parseHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    Bytes out(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = hexValue(text[2 * i]);
        const int lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return out;
}

std::string toHex(ByteView data) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(data.size() * 2);
    for (std::uint8_t b : data) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

Bytes obfuscate(ByteView data, const RandomFn& random) {
    // The header stores the length in 16 bits; a longer payload would come
    // back cut short, so it is refused instead.
    if (data.size() > MAX_PADDED_DATA)
        throw std::length_error("scramble: data too long to pad (at most 65535 bytes)");
    const std::size_t p = static_cast<std::size_t>(std::floor(unit(random) * 128)) + 30;
    const std::size_t q = static_cast<std::size_t>(std::floor(unit(random) * 128)) + 10;
    const std::size_t n = data.size();
    Bytes out;
    out.reserve(p + n + q + 3);
    out.push_back(static_cast<std::uint8_t>(p + 3));
    out.push_back(static_cast<std::uint8_t>(n & 0xFF));
    out.push_back(static_cast<std::uint8_t>((n >> 8) & 0xFF));
    auto filler = [&] { return static_cast<std::uint8_t>(std::floor(unit(random) * 250)); };
    for (std::size_t i = 0; i < p; ++i) out.push_back(filler());
    out.insert(out.end(), data.begin(), data.end());
    for (std::size_t i = 0; i < q; ++i) out.push_back(filler());
    return out;
}

std::optional<Bytes> unobfuscate(ByteView block) {
    if (block.size() < 3) return std::nullopt;
    const std::size_t offset = block[0];
    const std::size_t n = block[1] + 256u * block[2];
    if (offset < 3 || offset + n > block.size()) return std::nullopt;
    return Bytes(block.begin() + static_cast<std::ptrdiff_t>(offset),
                 block.begin() + static_cast<std::ptrdiff_t>(offset + n));
}

RandomFn systemRandom() {
    return [] {
        // The draws choose padding and a key offset that the block shows
        // anyway, so they need no secrecy. std::random_device may read the
        // processor's seed source on every call, which costs microseconds: a
        // message draws hundreds of numbers, so each thread seeds its own
        // generator from it once.
        thread_local std::mt19937_64 generator = [] {
            std::random_device device;
            std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
            return std::mt19937_64(seed);
        }();
        // 53 random bits give every double of [0, 1) with the same spacing.
        return static_cast<double>(generator() >> 11) * 0x1.0p-53;
    };
}

}  // namespace pelmora::scramble
