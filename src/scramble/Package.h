#pragma once

#include "scramble/Scramble.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The "assets.dat" format: an 8-byte header (directory offset D and length L,
// little-endian), scrambled entry blocks, and a scrambled directory of 264-byte
// records (name padded with blanks to 256 bytes, block offset, block length).
namespace pelmora::scramble {

inline constexpr std::size_t PACKAGE_NAME_BYTES = 256;
inline constexpr std::size_t PACKAGE_RECORD_BYTES = 264;

// The package key as bytes, from PACKAGE_KEY_HEX.
Bytes packageKey();

// Why a name cannot be stored, or nothing when it can: names must be 1 to 256
// bytes and must not end with a blank, tab or line break (those are stripped
// when the directory is read, so such a name could never be found again).
std::optional<std::string> entryNameProblem(std::string_view name);

struct PackageEntry {
    std::string name;
    Bytes data;
};

// Builds a whole package file. Entries are stored in the given order.
// Throws std::invalid_argument for a bad name (see entryNameProblem) or an
// empty key, std::length_error when the file would pass 4 GiB.
Bytes buildPackage(const std::vector<PackageEntry>& entries, ByteView key, const RandomFn& random);

// Reads entries out of a whole package file held in memory. Never reads
// outside the file: a record, a partial record or an entry block that does not
// fit is treated as missing.
class PackageReader {
public:
    enum class Status {
        Ok,
        TooShort,            // fewer than 8 bytes: no header
        DirectoryOutOfRange, // D and L point outside the file
        DirectoryChecksum,   // the directory block fails its checksum (damaged or wrong key)
    };

    // A directory record as stored (name with the padding stripped).
    struct Record {
        std::string name;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        bool inFile = false;  // the block lies inside the file
    };

    PackageReader(Bytes file, Bytes key);
    // Reads a file held elsewhere (mapped, say): owner keeps file's bytes
    // alive as long as the reader and its copies.
    PackageReader(ByteView file, std::shared_ptr<const void> owner, Bytes key);

    Status status() const { return status_; }
    bool ok() const { return status_ == Status::Ok; }

    // Every complete record, in directory order; empty unless ok().
    std::vector<Record> records() const;

    // The first record whose name equals name, byte for byte, when its block
    // lies inside the file; nothing when there is no such record or the first
    // one points outside the file.
    std::optional<Record> find(std::string_view name) const;

    // The plain bytes of an entry; nothing when find() gives nothing or the
    // block fails its checksum.
    std::optional<Bytes> read(std::string_view name) const;

    static const char* describe(Status status);

private:
    PackageReader(const std::shared_ptr<const Bytes>& file, Bytes key);
    Record recordAt(std::size_t start) const;

    std::shared_ptr<const void> owner_;
    ByteView file_;
    Bytes key_;
    Bytes directory_;
    Status status_ = Status::Ok;
};

}  // namespace pelmora::scramble
