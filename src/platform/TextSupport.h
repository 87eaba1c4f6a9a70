#pragma once

// Private to the display layer: the small helpers every part of the text field
// shares. Positions in the field's text count code points; these turn them into
// byte offsets, keep invalid UTF-8 away from the font renderer, and measure.

#include <string>

typedef struct _TTF_Font TTF_Font;

namespace scene::detail {

inline bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Number of code points in s.
int codePoints(const std::string& s);

// Byte offset of code point index i (clamped to the end).
std::size_t byteOffset(const std::string& s, int i);

// Drops bytes that are not valid UTF-8 so the font renderer never sees them.
std::string sanitiseUtf8(const std::string& s);

// Pixel size of the face for a point size: rounded, at least 1.
int fontPixels(double size);

// Width in pixels of s drawn in f; 0 without a face or text.
double measure(TTF_Font* f, const std::string& s);

}  // namespace scene::detail
