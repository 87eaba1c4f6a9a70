#include "SessionSecrets.h"

#include "scramble/Scramble.h"

#include <sodium.h>

#include <array>

namespace pelmora::server {

namespace sc = pelmora::scramble;

namespace {

std::string hexOf(const unsigned char* data, std::size_t size) { return sc::toHex(sc::ByteView(data, size)); }

// BLAKE2b of a domain tag and a text, optionally keyed.
std::array<unsigned char, 32> digest(std::string_view tag, std::string_view text, std::string_view key = {}) {
    std::array<unsigned char, 32> out{};
    crypto_generichash_state st;
    crypto_generichash_init(&st, reinterpret_cast<const unsigned char*>(key.data()), key.size(), out.size());
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(tag.data()), tag.size());
    crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    crypto_generichash_final(&st, out.data(), out.size());
    return out;
}

std::string digestHex(std::string_view tag, std::string_view text, std::string_view key = {}) {
    const auto d = digest(tag, text, key);
    return hexOf(d.data(), d.size());
}

}  // namespace

std::string randomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    randombytes_buf(raw.data(), raw.size());
    return sc::toHex(sc::bytesOf(raw));
}

// Session keys travel as a field of a ";"-separated reply: letters and digits only.
std::string randomKey(std::size_t length) {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string key(length, '0');
    for (auto& c : key) c = alphabet[randombytes_uniform(sizeof alphabet - 1)];
    return key;
}

// The session key sealed under a key that only the session id gives: the
// database alone reveals no key.
std::string sealKey(const std::string& key, const std::string& sessionId) {
    const auto boxKey = digest("session key box:", sessionId);
    std::string out(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + key.size(), '\0');
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    randombytes_buf(p, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(p + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char*>(key.data()),
                          key.size(), p, boxKey.data());
    return hexOf(p, out.size());
}

std::optional<std::string> openKey(const std::string& box, const std::string& sessionId) {
    const auto raw = sc::parseHex(box);
    if (!raw || raw->size() < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return std::nullopt;
    const auto boxKey = digest("session key box:", sessionId);
    std::string key(raw->size() - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
    if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(key.data()),
                                   raw->data() + crypto_secretbox_NONCEBYTES,
                                   raw->size() - crypto_secretbox_NONCEBYTES, raw->data(), boxKey.data()) != 0)
        return std::nullopt;
    return key;
}

// The token a logged-in session's client sends in place of the password:
// derived from the session key and the login's nonce, so it is never stored.
std::string sessionToken(const std::string& sessionKey, const std::string& loginNonce) {
    return "t" + digestHex("session token:", loginNonce, sessionKey).substr(0, 32);
}

std::string tokenHash(std::string_view token) { return digestHex("token:", token); }

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string sessionIdHash(std::string_view sessionId) { return digestHex("session id:", sessionId); }

}  // namespace pelmora::server
