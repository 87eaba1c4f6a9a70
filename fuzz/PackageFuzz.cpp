// The asset package reader on a whole file of any bytes: every record it
// lists is looked up and read, so no record or block may reach outside the file.
#include <cstddef>
#include <cstdint>

#include "scramble/Package.h"

namespace sc = pelmora::scramble;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const sc::Bytes key = sc::packageKey();
    const sc::PackageReader reader(sc::Bytes(data, data + size), key);
    for (const auto& record : reader.records()) {
        if (reader.find(record.name)) (void)reader.read(record.name);
    }
    return 0;
}
