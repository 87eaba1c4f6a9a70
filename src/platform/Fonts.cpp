#include "platform/Fonts.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "platform/Runtime.h"

namespace scene::detail {

namespace {

struct FontDeleter {
    void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// What an open face was asked for.
struct FaceRequest {
    std::string family;
    bool bold;
    int pixelSize;
};

struct FontCache {
    std::map<std::string, std::string> paths;
    // A face that could not be opened is kept as null, so it is not tried again.
    std::map<std::string, std::unique_ptr<TTF_Font, FontDeleter>> faces;
    std::map<const TTF_Font*, FaceRequest> requests;
};

FontCache& cache() {
    static FontCache c;
    return c;
}

std::string match(const std::string& family, bool bold, bool exactFamily) {
    std::string path;
    PatternPtr owned(FcPatternCreate());
    FcPattern* pattern = owned.get();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern, &result));
    if (FcPattern* found = match.get()) {
        FcChar8* file = nullptr;
        FcChar8* gotFamily = nullptr;
        // FcFontMatch always answers; a substitute for an unknown family is only
        // accepted when we did not insist on the family.
        const bool hasFile = FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch;
        FcPatternGetString(found, FC_FAMILY, 0, &gotFamily);
        const std::string got = gotFamily ? reinterpret_cast<const char*>(gotFamily) : "";
        const bool metricAlias = family == "Arial" && got.rfind("Liberation Sans", 0) == 0;
        if (hasFile && (!exactFamily || got == family || metricAlias)) path = reinterpret_cast<const char*>(file);
    }
    return path;
}

}  // namespace

std::string fontPath(const std::string& family, bool bold) {
    const std::string key = family + (bold ? ":bold" : ":regular");
    auto& c = cache();
    auto it = c.paths.find(key);
    if (it != c.paths.end()) return it->second;
    std::string path = match(family, bold, true);
    if (path.empty()) path = match("Liberation Sans", bold, true);
    if (path.empty()) path = match("sans-serif", bold, false);
    c.paths.emplace(key, path);
    return path;
}

TTF_Font* font(const std::string& family, bool bold, int pixelSize) {
    ensureFontLibrary();
    if (pixelSize < 1) pixelSize = 1;
    const std::string key = family + (bold ? ":b:" : ":r:") + std::to_string(pixelSize);
    auto& c = cache();
    auto it = c.faces.find(key);
    if (it != c.faces.end()) return it->second.get();
    const std::string path = fontPath(family, bold);
    TTF_Font* f = path.empty() ? nullptr : TTF_OpenFont(path.c_str(), pixelSize);
    if (!f) std::fprintf(stderr, "Warning : no font for %s (%s)\n", family.c_str(), TTF_GetError());
    c.faces.emplace(key, f);
    if (f) c.requests.emplace(f, FaceRequest{family, bold, pixelSize});
    return f;
}

TTF_Font* scaledFont(TTF_Font* f, double scale) {
    if (!f || scale == 1) return f;
    const auto& requests = cache().requests;
    const auto it = requests.find(f);
    if (it == requests.end()) return f;
    const FaceRequest& r = it->second;
    return font(r.family, r.bold, static_cast<int>(std::lround(r.pixelSize * scale)));
}

}  // namespace scene::detail
