#include "scramble/Protocol.h"

namespace pelmora::scramble {

std::string sealMessage(std::string_view text, ByteView key, const RandomFn& random) {
    const Bytes block = encrypt(bytesOf(text), key, pickStart(key.size(), random));
    return toHex(obfuscate(block, random));
}

std::optional<std::string> openMessage(std::string_view hex, ByteView key) {
    const auto padded = parseHex(hex);
    if (!padded) return std::nullopt;
    const auto block = unobfuscate(*padded);
    if (!block) return std::nullopt;
    const auto plain = decrypt(*block, key);
    if (!plain) return std::nullopt;
    return textOf(*plain);
}

std::string requestBody(std::string_view text, ByteView key, const RandomFn& random) {
    return BODY_PREFIX + sealMessage(text, key, random);
}

std::optional<std::string> openRequestBody(std::string_view body, ByteView key) {
    const std::string_view prefix = BODY_PREFIX;
    if (body.substr(0, prefix.size()) != prefix) return std::nullopt;
    return openMessage(body.substr(prefix.size()), key);
}

std::vector<std::string> serviceScripts() {
    std::vector<std::string> scripts = {SCRIPT_HANDSHAKE, SCRIPT_LOGGED, SCRIPT_LOGIN};
    for (const char* command : COMMANDS) scripts.push_back(commandScript(command));
    return scripts;
}

std::vector<std::string> splitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = text.find(';', from);
        if (at == std::string_view::npos) {
            fields.emplace_back(text.substr(from));
            return fields;
        }
        fields.emplace_back(text.substr(from, at - from));
        from = at + 1;
    }
}

}  // namespace pelmora::scramble
