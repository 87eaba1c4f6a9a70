#include "scramble/Package.h"

#include "scramble/PackageKey.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace pelmora::scramble {

namespace {

std::uint32_t readU32(ByteView bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void writeU32(Bytes& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    out[at + 2] = static_cast<std::uint8_t>(v >> 16);
    out[at + 3] = static_cast<std::uint8_t>(v >> 24);
}

bool isStripped(std::uint8_t c) { return (c >= 9 && c <= 13) || c == 32; }

bool fitsIn(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

}  // namespace

Bytes packageKey() { return fromHex(PACKAGE_KEY_HEX); }

std::optional<std::string> entryNameProblem(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (name.size() > PACKAGE_NAME_BYTES)
        return "the name is " + std::to_string(name.size()) + " bytes long, at most 256 fit";
    if (isStripped(static_cast<std::uint8_t>(name.back())))
        return "the name ends with a blank, tab or line break, which the reader strips";
    return std::nullopt;
}

Bytes buildPackage(const std::vector<PackageEntry>& entries, ByteView key, const RandomFn& random) {
    if (key.empty()) throw std::invalid_argument("package: the key is empty");
    for (const auto& e : entries)
        if (auto problem = entryNameProblem(e.name))
            throw std::invalid_argument("package: cannot store \"" + e.name + "\": " + *problem);

    Bytes out(8, 0);
    Bytes directory;
    directory.reserve(entries.size() * PACKAGE_RECORD_BYTES);
    constexpr std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
    for (const auto& e : entries) {
        const Bytes block = encrypt(e.data, key, pickStart(key.size(), random));
        if (out.size() + block.size() > limit) throw std::length_error("package: the file would pass 4 GiB");
        const auto offset = static_cast<std::uint32_t>(out.size());
        out.insert(out.end(), block.begin(), block.end());

        const std::size_t at = directory.size();
        directory.resize(at + PACKAGE_RECORD_BYTES, ' ');
        std::copy(e.name.begin(), e.name.end(), directory.begin() + static_cast<std::ptrdiff_t>(at));
        writeU32(directory, at + 256, offset);
        writeU32(directory, at + 260, static_cast<std::uint32_t>(block.size()));
    }
    const Bytes dirBlock = encrypt(directory, key, pickStart(key.size(), random));
    if (out.size() + dirBlock.size() > limit) throw std::length_error("package: the file would pass 4 GiB");
    writeU32(out, 0, static_cast<std::uint32_t>(out.size()));
    writeU32(out, 4, static_cast<std::uint32_t>(dirBlock.size()));
    out.insert(out.end(), dirBlock.begin(), dirBlock.end());
    return out;
}

PackageReader::PackageReader(Bytes file, Bytes key)
    : PackageReader(std::make_shared<const Bytes>(std::move(file)), std::move(key)) {}

PackageReader::PackageReader(const std::shared_ptr<const Bytes>& file, Bytes key)
    : PackageReader(ByteView(*file), file, std::move(key)) {}

PackageReader::PackageReader(ByteView file, std::shared_ptr<const void> owner, Bytes key)
    : owner_(std::move(owner)), file_(file), key_(std::move(key)) {
    if (file_.size() < 8) {
        status_ = Status::TooShort;
        return;
    }
    const std::uint32_t d = readU32(file_, 0);
    const std::uint32_t l = readU32(file_, 4);
    if (!fitsIn(d, l, file_.size())) {
        status_ = Status::DirectoryOutOfRange;
        return;
    }
    auto plain = decrypt(file_.subspan(d, l), key_);
    if (!plain) {
        status_ = Status::DirectoryChecksum;
        return;
    }
    directory_ = std::move(*plain);
}

PackageReader::Record PackageReader::recordAt(std::size_t start) const {
    Record r;
    std::size_t end = start + PACKAGE_NAME_BYTES;
    while (end > start && isStripped(directory_[end - 1])) --end;
    r.name.assign(directory_.begin() + static_cast<std::ptrdiff_t>(start),
                  directory_.begin() + static_cast<std::ptrdiff_t>(end));
    r.offset = readU32(directory_, start + 256);
    r.length = readU32(directory_, start + 260);
    r.inFile = fitsIn(r.offset, r.length, file_.size());
    return r;
}

std::vector<PackageReader::Record> PackageReader::records() const {
    std::vector<Record> out;
    // A trailing partial record is ignored rather than read past the end.
    for (std::size_t b = 0; b + PACKAGE_RECORD_BYTES <= directory_.size(); b += PACKAGE_RECORD_BYTES)
        out.push_back(recordAt(b));
    return out;
}

std::optional<PackageReader::Record> PackageReader::find(std::string_view name) const {
    for (std::size_t b = 0; b + PACKAGE_RECORD_BYTES <= directory_.size(); b += PACKAGE_RECORD_BYTES) {
        Record r = recordAt(b);
        if (r.name == name) {
            if (!r.inFile) return std::nullopt;
            return r;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> PackageReader::read(std::string_view name) const {
    const auto r = find(name);
    if (!r) return std::nullopt;
    return decrypt(file_.subspan(r->offset, r->length), key_);
}

const char* PackageReader::describe(Status status) {
    switch (status) {
        case Status::Ok: return "ok";
        case Status::TooShort: return "the file is too short to hold a package header";
        case Status::DirectoryOutOfRange: return "the directory lies outside the file";
        case Status::DirectoryChecksum: return "the directory fails its checksum (damaged file or another key)";
    }
    return "unknown";
}

}  // namespace pelmora::scramble
