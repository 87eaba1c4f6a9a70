#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Byte-level scrambling shared by the asset package, the service channel, the
// packer and the service. No display dependency.
namespace pelmora::scramble {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// A source of uniform numbers in [0, 1). Values outside that range are clamped.
using RandomFn = std::function<double()>;

// Largest payload a padded block can describe: its length field has 16 bits.
inline constexpr std::size_t MAX_PADDED_DATA = 0xFFFF;

// 16-bit rolling checksum: h = ((h & 0x7FFF) << 1) ^ byte, starting from 0.
// Each byte's bits are shifted out after 16 more bytes, so the value depends on
// the last 16 bytes only: it catches a wrong key or damage near the end of a
// block, not damage further in.
std::uint16_t checksum(ByteView data);

// The start position in the key that encrypt() would draw for a key of
// keyLength bytes: floor(r * keyLength / 2), capped at 255 because the block
// stores it in one byte.
std::uint8_t pickStart(std::size_t keyLength, const RandomFn& random);

// Scrambled block of data.size() + 3 bytes: start, data XOR key from start,
// checksum of the plain data (low byte, high byte).
// Throws std::invalid_argument for an empty key.
Bytes encrypt(ByteView data, ByteView key, std::uint8_t start);

// Plain data of a scrambled block; nothing when the block is shorter than
// 3 bytes, the key is empty or the checksum does not match.
std::optional<Bytes> decrypt(ByteView block, ByteView key);

// Lenient decoding for trusted text: floor(size / 2) bytes, an odd last digit
// is ignored and a character that is not a hexadecimal digit counts as 0.
Bytes fromHex(std::string_view text);

// Strict decoding for untrusted text: nothing unless the text has an even
// number of characters, all of them hexadecimal digits (either case).
std::optional<Bytes> parseHex(std::string_view text);

// Two lowercase digits per byte, high digit first.
std::string toHex(ByteView data);

// Surrounds data with 30..157 random bytes in front and 10..137 behind, after a
// 3-byte header (data offset, length low byte, length high byte).
// Throws std::length_error when data is longer than MAX_PADDED_DATA.
Bytes obfuscate(ByteView data, const RandomFn& random);

// The data inside a padded block; nothing when the header is incomplete,
// points into the header itself or past the end of the block.
std::optional<Bytes> unobfuscate(ByteView block);

// Convenience views and copies between text and bytes.
inline ByteView bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}
inline std::string textOf(ByteView data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// A RandomFn for tools and the service: a generator per thread, seeded from
// the operating system's (std::random_device); safe to call from several threads.
RandomFn systemRandom();

}  // namespace pelmora::scramble
