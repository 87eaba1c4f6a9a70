#pragma once

// What the language file tests measure with: the table of every key the game
// looks up and the widget that shows it, the font the game draws with, and a
// reader of a language source that reports what the loader would misread.

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#ifndef PELMORA_LANGUAGES_DIR
#error "PELMORA_LANGUAGES_DIR must name the folder of the language sources"
#endif

namespace {

// Horizontal room a text field loses to its 2-pixel gutters on either side.
constexpr int kGutters = 4;
// Rasterisers differ in how they round glyph advances (hinting, whole-pixel
// pen positions); across FreeType's modes a 70-character line of 20-pixel
// text varies by about 2%. Every line keeps that much room spare.
constexpr double kRendererSpread = 1.02;

enum class Widget {
  Title,       // 36 px bold, 800 wide, 36 high: one line
  Text,        // 20 px regular paragraph, 650 wide, grows downwards
  Label,       // 24 px bold caption, 400 wide, 24 high: one line
  Button,      // 28 px bold caption, 28 high: one line; width per button
  SmallButton, // 18 px bold caption: one line; width per button
  InputError,  // 16 px regular error line under a 350-wide input: one line
};

struct KeySpec {
  const char* key;
  Widget widget;
  int width;  // width of the text field (or of the button after its screen resizes it)
};

// Every key the game looks up, with the widget that shows its text.
const std::vector<KeySpec>& keyTable() {
  static const std::vector<KeySpec> table = {
      {"WELCOME PLAY GAME", Widget::Button, 800},
      {"WELCOME START GAME", Widget::Button, 800},
      {"WELCOME INSTRUCTIONS", Widget::Button, 800},
      {"WELCOME RETRY", Widget::Button, 800},
      {"WELCOME NETWORK UNAVAILABLE EXPLAINED", Widget::Text, 650},
      {"LOGIN TITLE", Widget::Title, 800},
      {"LOGIN EXPLAINED", Widget::Text, 650},
      {"LOGIN NETWORK ERROR EXPLAINED", Widget::Text, 650},
      {"LOGIN ERROR WRONG USERNAME", Widget::InputError, 350},
      {"LOGIN ERROR WRONG PASSWORD", Widget::InputError, 350},
      {"LOGIN ERROR INVALID USERNAME", Widget::InputError, 350},
      {"LOGIN ERROR INVALID PASSWORD", Widget::InputError, 350},
      {"LOGIN BUTTON", Widget::Button, 266},
      {"LOGIN CANCEL BUTTON", Widget::Button, 350},
      {"LOGIN RETRY BUTTON", Widget::Button, 350},
      {"CANCEL BUTTON", Widget::Button, 266},
      {"REGISTER BUTTON", Widget::Button, 266},
      {"USERNAME", Widget::Label, 400},
      {"PASSWORD", Widget::Label, 400},
      {"EMAIL", Widget::Label, 400},
      {"REGISTER TITLE", Widget::Title, 800},
      {"REGISTER EXPLAINED", Widget::Text, 650},
      {"REGISTER NETWORK ERROR EXPLAINED", Widget::Text, 650},
      {"REGISTER SUCCESS TITLE", Widget::Title, 800},
      {"REGISTER SUCCESS EXPLAINED", Widget::Text, 650},
      {"REGISTER ERROR USERNAME DUPLICATED", Widget::InputError, 350},
      {"REGISTER ERROR INVALID USERNAME", Widget::InputError, 350},
      {"REGISTER ERROR INVALID PASSWORD", Widget::InputError, 350},
      {"REGISTER ERROR INVALID EMAIL", Widget::InputError, 350},
      {"REGISTER LOGIN BUTTON", Widget::Button, 800},
      {"REGISTER RETRY BUTTON", Widget::Button, 350},
      {"REGISTER CANCEL BUTTON", Widget::Button, 350},
      {"REGISTER CONFIRM BUTTON", Widget::Button, 350},
      {"NEW VERSION TITLE", Widget::Title, 800},
      {"NEW VERSION EXPLAINED", Widget::Text, 650},
      {"NEW VERSION MORE", Widget::Button, 800},
      {"NEW VERSION RETURN", Widget::Button, 800},
      {"DURATION TITLE", Widget::Title, 800},
      {"DURATION SHORT BUTTON", Widget::Button, 800},
      {"DURATION MEDIUM BUTTON", Widget::Button, 800},
      {"DURATION LONG BUTTON", Widget::Button, 800},
      {"DURATION CANCEL BUTTON", Widget::Button, 800},
      {"GAME OVER TITLE", Widget::Title, 800},
      {"GAME OVER EXPLAINED CURRENT SCORE", Widget::Text, 650},
      {"GAME OVER EXPLAINED TOTAL SCORE", Widget::Text, 650},
      {"GAME OVER WELCOME BUTTON", Widget::Button, 800},
      {"INSTRUCTIONS TITLE", Widget::Title, 800},
      {"INSTRUCTIONS EXPLAINED", Widget::Text, 650},
      {"INSTRUCTIONS MORE BUTTON", Widget::Button, 800},
      {"INSTRUCTIONS RETURN TO WELCOME BUTTON", Widget::Button, 800},
      {"CREDITS TITLE", Widget::Title, 800},
      {"CREDITS EXPLAINED", Widget::Text, 650},
      {"CREDITS MORE BUTTON", Widget::Button, 400},
      {"CREDITS RETURN BUTTON", Widget::Button, 400},
      {"CREDITS BUTTON", Widget::SmallButton, 100},
      {"PRIVACY TITLE", Widget::Title, 800},
      {"PRIVACY EXPLAINED", Widget::Text, 650},
      {"PRIVACY MORE BUTTON", Widget::Button, 800},
      {"PRIVACY RETURN BUTTON", Widget::Button, 800},
      {"PRIVACY BUTTON", Widget::SmallButton, 140},
      {"PX TITLE", Widget::Title, 800},
      {"PX EXPLAINED", Widget::Text, 650},
      {"PX MORE BUTTON", Widget::Button, 800},
      {"PX RETURN BUTTON", Widget::Button, 800},
      {"YEN TITLE", Widget::Title, 800},
      {"YEN EXPLAINED", Widget::Text, 650},
      {"YEN MORE BUTTON", Widget::Button, 800},
      {"YEN RETURN BUTTON", Widget::Button, 800},
  };
  return table;
}

int fontSize(Widget w) {
  switch (w) {
    case Widget::Title: return 36;
    case Widget::Text: return 20;
    case Widget::Label: return 24;
    case Widget::Button: return 28;
    case Widget::SmallButton: return 18;
    case Widget::InputError: return 16;
  }
  return 0;
}

bool isBold(Widget w) { return w != Widget::Text && w != Widget::InputError; }

const char* widgetName(Widget w) {
  switch (w) {
    case Widget::Title: return "title";
    case Widget::Text: return "paragraph";
    case Widget::Label: return "label";
    case Widget::Button: return "button";
    case Widget::SmallButton: return "small button";
    case Widget::InputError: return "error line";
  }
  return "?";
}

// ---------------------------------------------------------------- fonts

struct ResolvedFont {
  std::string file;
  std::string family;
  int weight = 0;
};

std::optional<ResolvedFont> resolveFont(const char* name) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
  if (pattern == nullptr) return std::nullopt;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return std::nullopt;
  ResolvedFont font;
  FcChar8* value = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch) font.file = reinterpret_cast<char*>(value);
  if (FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch) font.family = reinterpret_cast<char*>(value);
  FcPatternGetInteger(match, FC_WEIGHT, 0, &font.weight);
  FcPatternDestroy(match);
  if (font.file.empty()) return std::nullopt;
  return font;
}

class Fonts {
 public:
  static Fonts& get() {
    static Fonts fonts;
    return fonts;
  }

  std::string problem() const { return problem_; }

  TTF_Font* font(bool bold, int size) {
    auto key = std::make_pair(bold, size);
    auto it = open_.find(key);
    if (it != open_.end()) return it->second;
    TTF_Font* f = TTF_OpenFont((bold ? bold_ : regular_).file.c_str(), size);
    if (f != nullptr) {
      // Kerning only ever narrows a line; measuring without it keeps every
      // check on the safe side whatever the renderer does.
      TTF_SetFontKerning(f, 0);
    }
    open_[key] = f;
    return f;
  }

  // Width in pixels of one line of UTF-8 text, or -1 when it cannot be measured.
  int width(bool bold, int size, const std::string& line) {
    TTF_Font* f = font(bold, size);
    if (f == nullptr) return -1;
    if (line.empty()) return 0;
    int w = 0, h = 0;
    if (TTF_SizeUTF8(f, line.c_str(), &w, &h) != 0) return -1;
    return w;
  }

  int lineSkip(bool bold, int size) {
    TTF_Font* f = font(bold, size);
    return f == nullptr ? -1 : TTF_FontLineSkip(f);
  }

 private:
  Fonts() {
    if (!FcInit()) {
      problem_ = "fontconfig did not start";
      return;
    }
    auto regular = resolveFont("Arial");
    auto bold = resolveFont("Arial:bold");
    if (!regular || !bold) {
      problem_ = "fontconfig finds no font for Arial";
      return;
    }
    regular_ = *regular;
    bold_ = *bold;
    for (const ResolvedFont* f : {&regular_, &bold_}) {
      if (f->family != "Liberation Sans" && f->family != "Arial") {
        problem_ = "Arial resolves to " + f->family + " (" + f->file +
                   "), which does not have Arial's metrics; install fonts-liberation2";
        return;
      }
    }
    if (bold_.weight < FC_WEIGHT_BOLD) {
      problem_ = "Arial:bold resolves to a face that is not bold: " + bold_.file;
      return;
    }
    if (TTF_Init() != 0) {
      problem_ = std::string("TTF_Init failed: ") + TTF_GetError();
      return;
    }
  }

  ResolvedFont regular_;
  ResolvedFont bold_;
  std::map<std::pair<bool, int>, TTF_Font*> open_;
  std::string problem_;
};

// ---------------------------------------------------------------- file reading

struct Entry {
  std::string key;
  std::string text;
  int line = 0;
};

struct ParsedFile {
  bool opened = false;
  std::string bytes;
  std::vector<Entry> entries;
  std::vector<std::string> problems;
};

std::string languagePath(const std::string& language) {
  return std::string(PELMORA_LANGUAGES_DIR) + "/" + language + ".txt";
}

// Decodes UTF-8; reports the first malformed sequence or code point above
// U+00FF (which ISO-8859-1 lacks) by its byte offset.
std::optional<std::string> latin1Problem(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    uint32_t cp = 0;
    size_t len = 0;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      len = 4;
    } else {
      return "malformed UTF-8 at byte " + std::to_string(i);
    }
    if (i + len > bytes.size()) return "truncated UTF-8 at byte " + std::to_string(i);
    for (size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return "malformed UTF-8 at byte " + std::to_string(i);
      cp = (cp << 6) | (c & 0x3F);
    }
    if (len == 2 && cp < 0x80) return "overlong UTF-8 at byte " + std::to_string(i);
    if (cp > 0xFF) {
      std::ostringstream out;
      out << "character U+" << std::hex << std::uppercase << cp << " at byte " << std::dec << i
          << " has no ISO-8859-1 form";
      return out.str();
    }
    if ((cp < 0x20 && cp != '\n') || (cp >= 0x7F && cp < 0xA0)) {
      return "control character " + std::to_string(cp) + " at byte " + std::to_string(i);
    }
    i += len;
  }
  return std::nullopt;
}

ParsedFile readLanguage(const std::string& language) {
  ParsedFile parsed;
  std::ifstream in(languagePath(language), std::ios::binary);
  if (!in) return parsed;
  parsed.opened = true;
  std::ostringstream content;
  content << in.rdbuf();
  parsed.bytes = content.str();

  std::istringstream lines(parsed.bytes);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (line.empty()) continue;
    const size_t sep = line.find(":=");
    if (sep == std::string::npos) {
      parsed.problems.push_back("line " + std::to_string(number) + " has no \":=\": " + line);
      continue;
    }
    Entry e;
    e.key = line.substr(0, sep);
    e.text = line.substr(sep + 2);
    e.line = number;
    if (e.text.find(":=") != std::string::npos) {
      parsed.problems.push_back("line " + std::to_string(number) +
                                " has a second \":=\", which would cut its text short");
    }
    parsed.entries.push_back(e);
  }
  return parsed;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    const size_t at = text.find("^M", start);
    if (at == std::string::npos) {
      out.push_back(text.substr(start));
      return out;
    }
    out.push_back(text.substr(start, at - start));
    start = at + 2;
  }
}

}  // namespace
