// pelmora-pack: builds the game's "assets.dat" from a source tree, lists it and
// extracts single entries.

#include "scramble/Package.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace pelmora::scramble;

namespace {

constexpr const char* USAGE =
    "usage: pelmora-pack build SRCDIR OUT.dat   pack every file under SRCDIR/assets/\n"
    "       pelmora-pack list FILE.dat          print each entry's name and length\n"
    "       pelmora-pack extract FILE.dat NAME  write one entry's bytes to stdout\n";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot open " + path.string());
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Failure("cannot read " + path.string());
    return data;
}

// Writes beside the target first, so a failed run never leaves half a package.
void writeFileAtomically(const fs::path& path, const Bytes& data) {
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw Failure("cannot create " + temp.string());
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw Failure("cannot write " + temp.string());
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw Failure("cannot replace " + path.string());
    }
}

PackageReader openPackage(const fs::path& path) {
    PackageReader reader(readFile(path), packageKey());
    if (!reader.ok()) throw Failure(path.string() + ": " + PackageReader::describe(reader.status()));
    return reader;
}

int build(const fs::path& srcDir, const fs::path& out) {
    const fs::path assets = srcDir / "assets";
    if (!fs::is_directory(assets)) throw Failure(assets.string() + " is not a directory");

    std::vector<fs::path> files;
    for (const auto& item : fs::recursive_directory_iterator(assets))
        if (item.is_regular_file()) files.push_back(item.path());

    std::vector<PackageEntry> entries;
    entries.reserve(files.size());
    for (const auto& file : files) {
        std::string name = file.lexically_relative(srcDir).generic_string();
        if (auto problem = entryNameProblem(name)) throw Failure("cannot pack \"" + name + "\": " + *problem);
        entries.push_back({std::move(name), {}});
    }
    // Byte order, so the package does not depend on the file system's listing order.
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return entries[a].name < entries[b].name; });

    std::vector<PackageEntry> sorted;
    sorted.reserve(entries.size());
    for (std::size_t i : order) sorted.push_back({std::move(entries[i].name), readFile(files[i])});

    writeFileAtomically(out, buildPackage(sorted, packageKey(), systemRandom()));
    std::cerr << "pelmora-pack: " << sorted.size() << " entries written to " << out.string() << "\n";
    return 0;
}

int list(const fs::path& file) {
    const PackageReader reader = openPackage(file);
    int status = 0;
    for (const auto& r : reader.records()) {
        if (!r.inFile || r.length < 3) {
            std::cerr << "pelmora-pack: entry \"" << r.name << "\" points outside the file\n";
            status = 1;
            continue;
        }
        std::cout << r.name << '\t' << (r.length - 3) << '\n';
    }
    return status;
}

int extract(const fs::path& file, const std::string& name) {
    const PackageReader reader = openPackage(file);
    if (!reader.find(name)) throw Failure("no entry \"" + name + "\" in " + file.string());
    const auto data = reader.read(name);
    if (!data) throw Failure("entry \"" + name + "\" fails its checksum");
    std::cout.write(reinterpret_cast<const char*>(data->data()), static_cast<std::streamsize>(data->size()));
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "build") return build(args[1], args[2]);
        if (args.size() == 2 && args[0] == "list") return list(args[1]);
        if (args.size() == 3 && args[0] == "extract") return extract(args[1], args[2]);
        std::cerr << USAGE;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-pack: " << e.what() << "\n";
        return 1;
    }
}
