#include "scramble/PackageKey.h"
#include "scramble/Scramble.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

using namespace pelmora::scramble;

namespace {

// Deterministic stand-in for the game's random source.
RandomFn seeded(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

RandomFn constant(double value) {
    return [value] { return value; };
}

Bytes toBytes(std::string_view text) {
    const ByteView view = bytesOf(text);
    return Bytes(view.begin(), view.end());
}

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 engine(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(engine());
    return out;
}

}  // namespace

TEST(Checksum, KnownValues) {
    EXPECT_EQ(checksum(bytesOf("abc")), 0x0123);
    EXPECT_EQ(checksum(ByteView{}), 0);
    EXPECT_EQ(checksum(bytesOf("abcd")), 0x0222);
    EXPECT_NE(checksum(bytesOf("ab")), checksum(bytesOf("ba")));
    // The top bit is dropped before each shift: a bit walks up to bit 15, then out.
    Bytes walk{0x80, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(checksum(walk), 0x8000);
    walk.push_back(0);
    EXPECT_EQ(checksum(walk), 0);
    // So only the last 16 bytes count: the check is weak against damage further in.
    const Bytes text = randomBytes(100, 8);
    EXPECT_EQ(checksum(text), checksum(ByteView(text).last(16)));
}

TEST(EncryptDecrypt, RoundTripsAnyDataIncludingEmpty) {
    const Bytes key = fromHex(PACKAGE_KEY_HEX);
    ASSERT_EQ(key.size(), 93u);
    for (std::size_t n : {0u, 1u, 2u, 3u, 92u, 93u, 94u, 1000u}) {
        for (std::uint8_t start : {0, 1, 46, 200, 255}) {
            const Bytes data = randomBytes(n, static_cast<unsigned>(n * 7 + start));
            const Bytes block = encrypt(data, key, start);
            ASSERT_EQ(block.size(), n + 3);
            EXPECT_EQ(block[0], start);
            const auto back = decrypt(block, key);
            ASSERT_TRUE(back) << "n=" << n << " start=" << int(start);
            EXPECT_EQ(*back, data);
        }
    }
    const Bytes empty = encrypt(ByteView{}, key, 5);
    EXPECT_EQ(empty, (Bytes{5, 0, 0}));
}

TEST(EncryptDecrypt, LayoutIsStartXorThenChecksumLowHigh) {
    const Bytes key{0x10, 0x20, 0x30};
    const Bytes block = encrypt(bytesOf("abc"), key, 1);
    // Key bytes used: positions 1, 2, 0.
    EXPECT_EQ(block, (Bytes{1, 'a' ^ 0x20, 'b' ^ 0x30, 'c' ^ 0x10, 0x23, 0x01}));
}

TEST(EncryptDecrypt, RejectsShortDamagedOrWronglyKeyedBlocks) {
    const Bytes key = fromHex(PACKAGE_KEY_HEX);
    EXPECT_FALSE(decrypt(Bytes{}, key));
    EXPECT_FALSE(decrypt(Bytes{0, 0}, key));
    EXPECT_TRUE(decrypt(Bytes{0, 0, 0}, key));

    // Every single-bit flip in the last 8 data bytes, or in the checksum, is caught.
    const Bytes data = randomBytes(40, 12);
    const Bytes block = encrypt(data, key, 17);
    for (std::size_t i = block.size() - 10; i < block.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            Bytes damaged = block;
            damaged[i] ^= static_cast<std::uint8_t>(1 << bit);
            EXPECT_FALSE(decrypt(damaged, key)) << "byte " << i << " bit " << bit;
        }
    }
    // Changing the start byte shifts the whole key stream.
    Bytes shifted = block;
    shifted[0] ^= 1;
    EXPECT_FALSE(decrypt(shifted, key));

    Bytes otherKey = key;
    otherKey[10] ^= 1;  // used for data byte 196, near the end
    Bytes longer = encrypt(randomBytes(200, 3), key, 0);
    EXPECT_FALSE(decrypt(longer, otherKey));
    EXPECT_FALSE(decrypt(block, Bytes{}));
}

TEST(EncryptDecrypt, EmptyKeyIsRefused) {
    EXPECT_THROW(encrypt(bytesOf("x"), Bytes{}, 0), std::invalid_argument);
}

TEST(EncryptDecrypt, TwoEncryptionsDifferOnlyOutsideTheChecksum) {
    const Bytes key = fromHex(PACKAGE_KEY_HEX);
    const Bytes data = randomBytes(64, 9);
    const Bytes a = encrypt(data, key, 3);
    const Bytes b = encrypt(data, key, 40);
    EXPECT_NE(a[0], b[0]);
    EXPECT_NE(Bytes(a.begin() + 1, a.end() - 2), Bytes(b.begin() + 1, b.end() - 2));
    EXPECT_EQ(Bytes(a.end() - 2, a.end()), Bytes(b.end() - 2, b.end()));
}

TEST(PickStart, StaysInTheFirstHalfOfTheKeyAndInOneByte) {
    EXPECT_EQ(pickStart(93, constant(0.0)), 0);
    EXPECT_EQ(pickStart(93, constant(0.999999)), 46);
    EXPECT_EQ(pickStart(36, constant(0.5)), 9);
    // A long key would give positions above 255; the block could not store them.
    EXPECT_EQ(pickStart(2000, constant(0.9)), 255);
    // Out-of-range random values are clamped instead of wrapping.
    EXPECT_EQ(pickStart(93, constant(1.5)), 46);
    EXPECT_EQ(pickStart(93, constant(-3.0)), 0);
    const Bytes key(2000, 0x5A);
    const Bytes data = randomBytes(300, 4);
    EXPECT_EQ(decrypt(encrypt(data, key, pickStart(key.size(), constant(0.9))), key), data);
}

TEST(Hex, LenientAndStrictDecoding) {
    EXPECT_EQ(fromHex("00ff7A"), (Bytes{0x00, 0xFF, 0x7A}));
    EXPECT_EQ(fromHex("abc"), (Bytes{0xAB}));
    EXPECT_EQ(fromHex("a"), Bytes{});
    EXPECT_EQ(fromHex(""), Bytes{});
    // Lenient: a non-digit counts as 0, the length is kept.
    EXPECT_EQ(fromHex("zz1g"), (Bytes{0x00, 0x10}));

    EXPECT_EQ(parseHex("00ff7A"), (Bytes{0x00, 0xFF, 0x7A}));
    EXPECT_EQ(parseHex(""), Bytes{});
    EXPECT_FALSE(parseHex("abc"));
    EXPECT_FALSE(parseHex("0g"));
    EXPECT_FALSE(parseHex("x=00"));
    EXPECT_FALSE(parseHex(std::string("00\0", 4)));
}

TEST(Hex, ToHexIsLowercaseAndRoundTrips) {
    EXPECT_EQ(toHex(Bytes{0x00, 0xAB, 0x0F, 0xF0}), "00ab0ff0");
    EXPECT_EQ(toHex(Bytes{}), "");
    const Bytes all = [] {
        Bytes b(256);
        for (int i = 0; i < 256; ++i) b[i] = static_cast<std::uint8_t>(i);
        return b;
    }();
    EXPECT_EQ(parseHex(toHex(all)), all);
    EXPECT_EQ(fromHex(toHex(all)), all);
}

TEST(Padding, RoundTripsAndHeaderDescribesTheData) {
    auto random = seeded(1);
    for (std::size_t n : {0u, 1u, 255u, 256u, 5000u, 65535u}) {
        const Bytes data = randomBytes(n, static_cast<unsigned>(n));
        const Bytes block = obfuscate(data, random);
        const std::size_t p = block[0] - 3u;
        ASSERT_GE(p, 30u);
        ASSERT_LE(p, 157u);
        const std::size_t q = block.size() - 3 - p - n;
        EXPECT_GE(q, 10u);
        EXPECT_LE(q, 137u);
        EXPECT_EQ(block[1] + 256u * block[2], n);
        for (std::size_t i = 3; i < block[0]; ++i) ASSERT_LT(block[i], 250);
        for (std::size_t i = block[0] + n; i < block.size(); ++i) ASSERT_LT(block[i], 250);
        EXPECT_EQ(unobfuscate(block), data) << "n=" << n;
    }
}

TEST(Padding, ExtremeRandomValuesStayInRange) {
    const Bytes data = toBytes("maki");
    const Bytes low = obfuscate(data, constant(0.0));
    EXPECT_EQ(low.size(), 3u + 30 + 4 + 10);
    const Bytes high = obfuscate(data, constant(1.0));
    EXPECT_EQ(high.size(), 3u + 157 + 4 + 137);
    EXPECT_EQ(high[3], 249);
    EXPECT_EQ(unobfuscate(low), data);
    EXPECT_EQ(unobfuscate(high), data);
}

TEST(Padding, TwoPaddingsOfTheSameDataDiffer) {
    auto random = seeded(2);
    const Bytes data = toBytes("nigiri;12;34");
    const Bytes a = obfuscate(data, random);
    const Bytes b = obfuscate(data, random);
    EXPECT_NE(a, b);
    EXPECT_EQ(unobfuscate(a), data);
    EXPECT_EQ(unobfuscate(b), data);
}

TEST(Padding, TooLongDataIsRefusedNotTruncated) {
    const Bytes data(MAX_PADDED_DATA + 1, 7);
    EXPECT_THROW(obfuscate(data, constant(0.5)), std::length_error);
}

TEST(Padding, InconsistentHeaderGivesNothing) {
    EXPECT_FALSE(unobfuscate(Bytes{}));
    EXPECT_FALSE(unobfuscate(Bytes{3, 0}));
    EXPECT_TRUE(unobfuscate(Bytes{3, 0, 0}));
    // Offset 5 plus 2 data bytes fits a 7-byte block, 3 data bytes do not.
    EXPECT_EQ(unobfuscate(Bytes{5, 2, 0, 9, 9, 1, 2}), (Bytes{1, 2}));
    EXPECT_FALSE(unobfuscate(Bytes{5, 3, 0, 9, 9, 1, 2}));
    // Lengths above 255 use the high byte.
    EXPECT_FALSE(unobfuscate(Bytes{3, 0, 1, 1, 2, 3}));
    // An offset into the header itself is not a padded block.
    EXPECT_FALSE(unobfuscate(Bytes{1, 1, 0, 0}));

    Bytes block = obfuscate(bytesOf("uramaki"), constant(0.3));
    block.pop_back();
    EXPECT_TRUE(unobfuscate(block));
    block.resize(block[0] + 6);
    EXPECT_FALSE(unobfuscate(block));
}
