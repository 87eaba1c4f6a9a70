#include "scramble/Package.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

using namespace pelmora::scramble;

namespace {

Bytes toBytes(std::string_view text) {
    const ByteView view = bytesOf(text);
    return Bytes(view.begin(), view.end());
}

RandomFn seeded(unsigned seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

void putU32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// One directory record with any name bytes and padding, for hand-made packages.
Bytes record(std::string_view name, std::uint8_t pad, std::uint32_t offset, std::uint32_t length) {
    Bytes r(PACKAGE_RECORD_BYTES, pad);
    std::copy(name.begin(), name.end(), r.begin());
    putU32(r, 256, offset);
    putU32(r, 260, length);
    return r;
}

// A package laid out by hand: header, the given data blocks back to back from
// offset 8, then the directory scrambled from the given plain records.
struct HandMade {
    Bytes file;
    std::vector<std::uint32_t> offsets;  // of each block
    std::vector<std::uint32_t> lengths;
};

HandMade handMade(const std::vector<Bytes>& plainEntries, const Bytes& key) {
    HandMade h;
    h.file.assign(8, 0);
    for (const auto& e : plainEntries) {
        const Bytes block = encrypt(e, key, 11);
        h.offsets.push_back(static_cast<std::uint32_t>(h.file.size()));
        h.lengths.push_back(static_cast<std::uint32_t>(block.size()));
        h.file.insert(h.file.end(), block.begin(), block.end());
    }
    return h;
}

void finish(HandMade& h, const Bytes& directoryPlain, const Bytes& key) {
    const Bytes dir = encrypt(directoryPlain, key, 29);
    putU32(h.file, 0, static_cast<std::uint32_t>(h.file.size()));
    putU32(h.file, 4, static_cast<std::uint32_t>(dir.size()));
    h.file.insert(h.file.end(), dir.begin(), dir.end());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(PackageKey, Is93Bytes) {
    EXPECT_EQ(packageKey().size(), 93u);
}

TEST(Package, BuildAndReadBack) {
    const Bytes key = packageKey();
    const std::vector<PackageEntry> entries{
        {"assets/version.txt", toBytes("1.0.0\n")},
        {"assets/empty.txt", {}},
        {"assets/b.png", Bytes(3000, 0x42)},
        {std::string(256, 'n'), toBytes("longest name")},
    };
    const Bytes file = buildPackage(entries, key, seeded(1));
    const PackageReader reader(file, key);
    ASSERT_TRUE(reader.ok()) << PackageReader::describe(reader.status());
    for (const auto& e : entries) {
        const auto back = reader.read(e.name);
        ASSERT_TRUE(back) << e.name;
        EXPECT_EQ(*back, e.data);
    }
    const auto records = reader.records();
    ASSERT_EQ(records.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(records[i].name, entries[i].name);
        EXPECT_EQ(records[i].length, entries[i].data.size() + 3);
        EXPECT_TRUE(records[i].inFile);
    }
    EXPECT_FALSE(reader.read("assets/missing.png"));
    EXPECT_FALSE(reader.read("assets/b.pn"));
    EXPECT_FALSE(reader.read("assets/B.png"));
    EXPECT_FALSE(reader.read("assets/b.png "));
}

TEST(Package, EmptyPackageHasNoEntries) {
    const Bytes key = packageKey();
    const PackageReader reader(buildPackage({}, key, seeded(2)), key);
    ASSERT_TRUE(reader.ok());
    EXPECT_TRUE(reader.records().empty());
    EXPECT_FALSE(reader.read(""));
}

TEST(Package, WriterRefusesNamesTheReaderCouldNotFind) {
    const Bytes key = packageKey();
    auto refuses = [&](std::string name) {
        EXPECT_TRUE(entryNameProblem(name)) << name;
        EXPECT_THROW(buildPackage({{name, {}}}, key, seeded(3)), std::invalid_argument) << name;
    };
    refuses(std::string(257, 'a'));
    refuses("assets/a.png ");
    refuses("assets/a.png\t");
    refuses("assets/a.png\n");
    refuses("assets/a.png\r");
    refuses("");
    EXPECT_FALSE(entryNameProblem(std::string(256, 'a')));
    EXPECT_FALSE(entryNameProblem("assets/a b.png"));
    EXPECT_THROW(buildPackage({}, Bytes{}, seeded(3)), std::invalid_argument);
}

TEST(Package, NamesPaddedWithWhitespaceAreFoundNulPaddedNever) {
    const Bytes key = packageKey();
    HandMade h = handMade({toBytes("blank"), toBytes("nul"), toBytes("mixed")}, key);
    Bytes mixed = record("assets/c.png", ' ', h.offsets[2], h.lengths[2]);
    mixed[12] = '\t';
    mixed[13] = '\r';
    mixed[14] = '\n';
    mixed[15] = '\v';
    mixed[16] = '\f';
    finish(h,
           concat({record("assets/b.png", ' ', h.offsets[0], h.lengths[0]),
                   record("assets/n.png", '\0', h.offsets[1], h.lengths[1]), mixed}),
           key);
    const PackageReader reader(h.file, key);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.read("assets/b.png"), toBytes("blank"));
    EXPECT_EQ(reader.read("assets/c.png"), toBytes("mixed"));
    EXPECT_FALSE(reader.read("assets/n.png"));
    EXPECT_EQ(reader.read("assets/n.png" + std::string(244, '\0')), toBytes("nul"));
}

TEST(Package, FirstRecordWithTheNameWins) {
    const Bytes key = packageKey();
    HandMade h = handMade({toBytes("first"), toBytes("second")}, key);
    finish(h,
           concat({record("assets/x.txt", ' ', h.offsets[0], h.lengths[0]),
                   record("assets/x.txt", ' ', h.offsets[1], h.lengths[1])}),
           key);
    const PackageReader reader(h.file, key);
    EXPECT_EQ(reader.read("assets/x.txt"), toBytes("first"));
}

TEST(Package, RecordsPointingOutsideTheFileAreMissing) {
    const Bytes key = packageKey();
    HandMade h = handMade({toBytes("good"), toBytes("later")}, key);
    const std::uint32_t tooLong = 0x00FFFFFFu;
    finish(h,
           concat({record("assets/good.txt", ' ', h.offsets[0], h.lengths[0]),
                   record("assets/far.txt", ' ', 0x7FFFFFF0u, 5),
                   record("assets/long.txt", ' ', h.offsets[0], tooLong),
                   record("assets/wrap.txt", ' ', 0xFFFFFFF0u, 0x20),
                   // The first record decides, even when a later one would fit.
                   record("assets/later.txt", ' ', 0xFFFFFF00u, 3),
                   record("assets/later.txt", ' ', h.offsets[1], h.lengths[1])}),
           key);
    const PackageReader reader(h.file, key);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.read("assets/good.txt"), toBytes("good"));
    EXPECT_FALSE(reader.find("assets/far.txt"));
    EXPECT_FALSE(reader.read("assets/far.txt"));
    EXPECT_FALSE(reader.read("assets/long.txt"));
    EXPECT_FALSE(reader.read("assets/wrap.txt"));
    EXPECT_FALSE(reader.read("assets/later.txt"));
    const auto records = reader.records();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_TRUE(records[0].inFile);
    EXPECT_FALSE(records[1].inFile);
    EXPECT_FALSE(records[2].inFile);
    EXPECT_FALSE(records[3].inFile);
}

TEST(Package, PartialTrailingRecordIsIgnored) {
    const Bytes key = packageKey();
    HandMade h = handMade({toBytes("whole")}, key);
    Bytes dir = concat({record("assets/a.txt", ' ', h.offsets[0], h.lengths[0]),
                        record("assets/b.txt", ' ', h.offsets[0], h.lengths[0])});
    dir.resize(PACKAGE_RECORD_BYTES + 200);  // second record cut inside its name area
    finish(h, dir, key);
    const PackageReader reader(h.file, key);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.records().size(), 1u);
    EXPECT_EQ(reader.read("assets/a.txt"), toBytes("whole"));
    EXPECT_FALSE(reader.read("assets/b.txt"));
}

TEST(Package, DamagedEntryBlockReadsAsNothing) {
    const Bytes key = packageKey();
    Bytes file = buildPackage({{"assets/a.txt", toBytes("tamago")}, {"assets/b.txt", toBytes("ebi")}}, key, seeded(4));
    const PackageReader before(file, key);
    const auto rec = before.find("assets/a.txt");
    ASSERT_TRUE(rec);
    file[rec->offset + 2] ^= 0x10;
    const PackageReader after(file, key);
    ASSERT_TRUE(after.ok());
    EXPECT_TRUE(after.find("assets/a.txt"));
    EXPECT_FALSE(after.read("assets/a.txt"));
    EXPECT_EQ(after.read("assets/b.txt"), toBytes("ebi"));
}

TEST(Package, BrokenHeaderOrDirectoryIsReportedDistinctly) {
    const Bytes key = packageKey();
    const Bytes good = buildPackage({{"assets/a.txt", toBytes("ikura")}}, key, seeded(5));

    EXPECT_EQ(PackageReader(Bytes{}, key).status(), PackageReader::Status::TooShort);
    EXPECT_EQ(PackageReader(Bytes(7, 0), key).status(), PackageReader::Status::TooShort);

    Bytes beyond = good;
    putU32(beyond, 4, static_cast<std::uint32_t>(good.size()));
    EXPECT_EQ(PackageReader(beyond, key).status(), PackageReader::Status::DirectoryOutOfRange);
    Bytes wrap = good;
    putU32(wrap, 0, 0xFFFFFFFFu);
    putU32(wrap, 4, 2);
    EXPECT_EQ(PackageReader(wrap, key).status(), PackageReader::Status::DirectoryOutOfRange);

    Bytes damaged = good;
    damaged[damaged.size() - 10] ^= 0x01;
    const PackageReader broken(damaged, key);
    EXPECT_EQ(broken.status(), PackageReader::Status::DirectoryChecksum);
    EXPECT_FALSE(broken.read("assets/a.txt"));
    EXPECT_TRUE(broken.records().empty());

    Bytes otherKey = key;
    for (std::size_t i = 0; i < otherKey.size(); ++i) otherKey[i] = static_cast<std::uint8_t>(otherKey[i] * 7 + i);
    EXPECT_EQ(PackageReader(good, otherKey).status(), PackageReader::Status::DirectoryChecksum);

    // A too-short directory block (under 3 bytes) cannot be a scrambled block.
    Bytes tiny = good;
    putU32(tiny, 4, 2);
    EXPECT_EQ(PackageReader(tiny, key).status(), PackageReader::Status::DirectoryChecksum);
}
