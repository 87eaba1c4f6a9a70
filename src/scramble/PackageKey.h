#pragma once

namespace pelmora::scramble {

// Key of "assets.dat": 93 bytes as 186 hexadecimal digits. The game, the packer
// and the tests must all use this same value.
inline constexpr const char* PACKAGE_KEY_HEX =
    "f8807a700a2b56082b8e426545971df1e4b3b60e0ee47b5b0fbd6b8baf303a2f7f85c460e148fa564322c0a57d5b3712f41b9262f2ab9febf872ed92ddd692f8be469624fb0b37c7aa2fa5ad1c892806c7566d54355376dc71e684a770";

}  // namespace pelmora::scramble
