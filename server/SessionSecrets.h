#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The secrets of a session and a login, and how the service keeps them:
// hashed or sealed, never in clear. Needs libsodium initialised.
namespace pelmora::server {

// Random bytes as lowercase hex, and a random key of letters and digits.
std::string randomHex(std::size_t bytes);
std::string randomKey(std::size_t length);

// The name under which a session id is stored.
std::string sessionIdHash(std::string_view sessionId);

// A session key sealed under the session id, and opened again; nothing when
// the box is damaged or the id is another.
std::string sealKey(const std::string& key, const std::string& sessionId);
std::optional<std::string> openKey(const std::string& box, const std::string& sessionId);

// The token that stands in for the password of the user logged in on a
// session, and the hash it is stored as.
std::string sessionToken(const std::string& sessionKey, const std::string& loginNonce);
std::string tokenHash(std::string_view token);

// Equality in time that does not depend on where the texts differ.
bool sameText(std::string_view a, std::string_view b);

}  // namespace pelmora::server
