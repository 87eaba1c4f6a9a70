#pragma once

// Private to the display layer: font faces resolved through fontconfig and
// opened with SDL_ttf, cached for the life of the process.

#include <string>

typedef struct _TTF_Font TTF_Font;

namespace scene::detail {

// The face for a family name ("Arial") in regular or bold at a pixel size.
// Falls back to Liberation Sans, then to any sans face, when the family is not installed.
TTF_Font* font(const std::string& family, bool bold, int pixelSize);

// The face f (one font() gave) at scale times its pixel size; f itself at scale 1.
TTF_Font* scaledFont(TTF_Font* f, double scale);

// Path of the face fontconfig picked for the family (for diagnostics and tests).
std::string fontPath(const std::string& family, bool bold);

}  // namespace scene::detail
