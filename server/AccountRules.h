#pragma once

#include <string_view>

// What the service accepts as a user name, a password and an e-mail address.
namespace pelmora::server {

// 3 to 20 characters, each an ASCII letter, digit, "_" or "-".
bool validUsername(std::string_view name);

// 6 to 128 characters (UTF-8 code points, so accented letters count once);
// no ";" (it separates the fields of a message) and no control characters.
bool validPassword(std::string_view password);

// At most 254 bytes, exactly one "@" with something in front of it, and a
// "." after it with something on both sides; no blanks or control characters.
bool validEmail(std::string_view email);

}  // namespace pelmora::server
