// A language file of any bytes, read from the package as the game reads it,
// then looked up by the keys the welcome screen asks for first.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& world = fuzzworld::World::get();
    world.package({{"assets/languages/italiano.txt", std::string(reinterpret_cast<const char*>(data), size)}});
    for (const char* key : {"", "welcome", ":=", "^M"}) (void)CML::text(key);
    return 0;
}
