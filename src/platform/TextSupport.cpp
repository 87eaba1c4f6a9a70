#include "platform/TextSupport.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

namespace scene::detail {

int codePoints(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += isContinuation(c) ? 0 : 1;
    return n;
}

std::size_t byteOffset(const std::string& s, int i) {
    std::size_t b = 0;
    while (b < s.size() && i > 0) {
        ++b;
        while (b < s.size() && isContinuation(static_cast<unsigned char>(s[b]))) ++b;
        --i;
    }
    return b;
}

std::string sanitiseUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k < len; ++k) ok = ok && isContinuation(static_cast<unsigned char>(s[i + k]));
        if (ok) out.append(s, i, len);
        i += ok ? len : 1;
    }
    return out;
}

int fontPixels(double size) { return std::max(1, static_cast<int>(std::lround(size))); }

double measure(TTF_Font* f, const std::string& s) {
    if (!f || s.empty()) return 0;
    int w = 0, h = 0;
    TTF_SizeUTF8(f, s.c_str(), &w, &h);
    return w;
}

}  // namespace scene::detail
