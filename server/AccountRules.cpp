#include "AccountRules.h"

#include <cstddef>

#include "scramble/Protocol.h"

namespace pelmora::server {

namespace {

bool isControlOrBlank(unsigned char c) { return c <= 32 || c == 127; }

}  // namespace

bool validUsername(std::string_view name) {
    if (name.size() < 3 || name.size() > static_cast<std::size_t>(scramble::MAX_USERNAME_CHARS)) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-';
        if (!ok) return false;
    }
    return true;
}

bool validPassword(std::string_view password) {
    std::size_t characters = 0;
    for (unsigned char c : password) {
        if (c == ';' || c < 32 || c == 127) return false;
        if ((c & 0xC0) != 0x80) ++characters;  // continuation bytes belong to the character before
    }
    return characters >= 6 && characters <= static_cast<std::size_t>(scramble::MAX_PASSWORD_CHARS);
}

bool validEmail(std::string_view email) {
    if (email.empty() || email.size() > static_cast<std::size_t>(scramble::MAX_EMAIL_BYTES)) return false;
    for (unsigned char c : email)
        if (isControlOrBlank(c) || c == ';') return false;
    const std::size_t at = email.find('@');
    if (at == std::string_view::npos || at == 0 || email.find('@', at + 1) != std::string_view::npos) return false;
    const std::string_view domain = email.substr(at + 1);
    const std::size_t dot = domain.rfind('.');
    return dot != std::string_view::npos && dot > 0 && dot + 1 < domain.size();
}

}  // namespace pelmora::server
