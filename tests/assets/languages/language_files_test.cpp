// Checks the five language sources under assets/languages/: every key the
// game looks up is there exactly once, the files hold nothing the loader
// would misread or the packer could not turn into ISO-8859-1, and every text
// fits the widget that shows it, measured with the font the game draws with
// (fontconfig's match for "Arial", normally Liberation Sans, which has the
// same metrics).

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

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
  KeysColumn,  // 15 px regular lines of the keys legend, split into two 340-wide columns
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
      {"PAUSE TITLE", Widget::Title, 400},
      {"PAUSE RESUME BUTTON", Widget::Button, 400},
      {"INSTRUCTIONS KEYS", Widget::KeysColumn, 340},
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
    case Widget::KeysColumn: return 15;
  }
  return 0;
}

bool isBold(Widget w) { return w != Widget::Text && w != Widget::InputError && w != Widget::KeysColumn; }

const char* widgetName(Widget w) {
  switch (w) {
    case Widget::Title: return "title";
    case Widget::Text: return "paragraph";
    case Widget::Label: return "label";
    case Widget::Button: return "button";
    case Widget::SmallButton: return "small button";
    case Widget::InputError: return "error line";
    case Widget::KeysColumn: return "keys column";
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

// ---------------------------------------------------------------- tests

class LanguageFile : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    file_ = readLanguage(GetParam());
    ASSERT_TRUE(file_.opened) << "cannot open " << languagePath(GetParam());
  }

  const Entry* entry(const std::string& key) const {
    for (const Entry& e : file_.entries) {
      if (e.key == key) return &e;
    }
    return nullptr;
  }

  ParsedFile file_;
};

TEST(LanguageKeyTable, Has71DistinctKeys) {
  std::map<std::string, int> seen;
  for (const KeySpec& k : keyTable()) ++seen[k.key];
  EXPECT_EQ(keyTable().size(), 71u);
  EXPECT_EQ(seen.size(), 71u);
}

// The measurement itself: Arial's advances are known (M is 1706/2048 em,
// the digits 1139/2048 em), so a broken font lookup cannot pass silently.
TEST(LanguageFonts, MeasureArialAdvances) {
  Fonts& fonts = Fonts::get();
  ASSERT_EQ(fonts.problem(), "");
  const int digits = fonts.width(false, 20, "0123456789");
  EXPECT_GE(digits, 109);
  EXPECT_LE(digits, 112);
  const int ems = fonts.width(false, 20, std::string(40, 'M'));
  EXPECT_GE(ems, 660);  // wider than any paragraph line may be
  EXPECT_GT(fonts.width(true, 20, "Pelmora"), fonts.width(false, 20, "Pelmora"));
  EXPECT_GT(fonts.width(true, 36, "Pelmora"), fonts.width(true, 28, "Pelmora"));
}

TEST_P(LanguageFile, OnlyIso88591CharactersAndBareLineFeeds) {
  const auto problem = latin1Problem(file_.bytes);
  EXPECT_FALSE(problem.has_value()) << GetParam() << ": " << problem.value_or("");
  EXPECT_EQ(file_.bytes.find('\r'), std::string::npos)
      << GetParam() << ": the source keeps LF line ends; the packer adds CR";
}

TEST_P(LanguageFile, EveryNonBlankLineDefinesAnEntry) {
  for (const std::string& p : file_.problems) ADD_FAILURE() << GetParam() << ": " << p;
}

TEST_P(LanguageFile, HoldsEveryKeyExactlyOnceAndNoOther) {
  std::map<std::string, int> count;
  for (const Entry& e : file_.entries) ++count[e.key];
  for (const KeySpec& k : keyTable()) {
    EXPECT_EQ(count[k.key], 1) << GetParam() << ": key \"" << k.key << "\"";
  }
  for (const auto& [key, n] : count) {
    bool known = false;
    for (const KeySpec& k : keyTable()) known = known || key == k.key;
    EXPECT_TRUE(known) << GetParam() << ": unknown key \"" << key << "\" (a typo, or blanks around \":=\"?)";
  }
}

TEST_P(LanguageFile, TextsAreTidy) {
  for (const KeySpec& k : keyTable()) {
    const Entry* e = entry(k.key);
    if (e == nullptr) continue;  // reported by HoldsEveryKeyExactlyOnceAndNoOther
    EXPECT_FALSE(e->text.empty()) << GetParam() << ": \"" << k.key << "\" has no text";
    for (const std::string& line : splitLines(e->text)) {
      if (line.empty()) continue;
      EXPECT_NE(line.front(), ' ') << GetParam() << ", line " << e->line << ": blank at a line start";
      EXPECT_NE(line.back(), ' ') << GetParam() << ", line " << e->line << ": blank at a line end";
    }
    if (k.widget == Widget::InputError) {
      // Error lines are shown as HTML text.
      EXPECT_EQ(e->text.find_first_of("<>&"), std::string::npos)
          << GetParam() << ": \"" << k.key << "\" would be read as markup";
    }
  }
}

TEST_P(LanguageFile, EveryLineFitsItsWidget) {
  Fonts& fonts = Fonts::get();
  ASSERT_EQ(fonts.problem(), "");
  for (const KeySpec& k : keyTable()) {
    const Entry* e = entry(k.key);
    if (e == nullptr) continue;
    const std::vector<std::string> lines = splitLines(e->text);
    if (k.widget != Widget::Text && k.widget != Widget::KeysColumn) {
      EXPECT_EQ(lines.size(), 1u) << GetParam() << ": the " << widgetName(k.widget) << " \"" << k.key
                                  << "\" is one line high";
    }
    for (const std::string& line : lines) {
      const int w = fonts.width(isBold(k.widget), fontSize(k.widget), line);
      ASSERT_GE(w, 0) << "cannot measure \"" << line << "\": " << TTF_GetError();
      EXPECT_LE(w * kRendererSpread, k.width - kGutters)
          << GetParam() << ", line " << e->line << ": \"" << line << "\" is " << w << " px wide; the "
          << widgetName(k.widget) << " \"" << k.key << "\" has " << (k.width - kGutters)
          << " px, less the renderers' spread";
    }
  }
}

// Screens are stacked downwards: each widget is placed its own gap below the
// one added before it. These layouts repeat the stacking of the screens that
// show paragraphs, so a paragraph with too many lines shows up here as a
// screen whose last button runs into the strip below it or off the window.
class ScreenStack {
 public:
  explicit ScreenStack(int top) : bottom_(top) {}
  void put(int gap, int height) { bottom_ += gap + height; }
  int bottom() const { return bottom_; }

 private:
  int bottom_;
};

constexpr int kTitleHeight = 36, kButtonHeight = 28, kInputHeight = 30;
constexpr int kTextGap = 25, kButtonGap = 15;
constexpr int kWindowHeight = 480;
// The privacy and credits buttons stand at 480 - 18 - 80 - 6 on the welcome,
// login and registration screens; nothing stacked from the top may reach them.
constexpr int kSmallButtonsTop = kWindowHeight - 18 - 80 - 6;
// The game-over score strips: a 80-pixel band whose 64-pixel figures sit in
// 100-pixel text fields at y 4.
constexpr int kScoreStripHeight = 104;

// One screen's column from its title down: 'P' a paragraph of the key, 'B' a
// row of buttons, 'I' a label and input row, 'S' a score strip (10 below the
// text above it).
struct ScreenColumn {
  const char* screen;
  int titleY;
  std::vector<std::pair<char, const char*>> items;
  int limit;
};

std::vector<ScreenColumn> screenColumns() {
  std::vector<ScreenColumn> c = {
      // welcome, service unreachable: title moved down by 50, text, three buttons
      {"welcome (offline)", kTextGap + 50, {{'P', "WELCOME NETWORK UNAVAILABLE EXPLAINED"}, {'B', ""}, {'B', ""}, {'B', ""}},
       kSmallButtonsTop},
      {"login form", kTextGap, {{'P', "LOGIN EXPLAINED"}, {'I', ""}, {'I', ""}, {'B', ""}}, kSmallButtonsTop},
      {"registration form", kTextGap, {{'P', "REGISTER EXPLAINED"}, {'I', ""}, {'I', ""}, {'I', ""}, {'B', ""}},
       kSmallButtonsTop},
      {"registration done", 100, {{'P', "REGISTER SUCCESS EXPLAINED"}, {'B', ""}}, kWindowHeight},
      {"new version", kTextGap + 150, {{'P', "NEW VERSION EXPLAINED"}, {'B', ""}, {'B', ""}}, kWindowHeight},
      {"game over", kTextGap,
       {{'P', "GAME OVER EXPLAINED CURRENT SCORE"}, {'S', ""}, {'P', "GAME OVER EXPLAINED TOTAL SCORE"}, {'S', ""}, {'B', ""}},
       kWindowHeight},
      // return and more share a row
      {"CREDITS EXPLAINED", kTextGap, {{'P', "CREDITS EXPLAINED"}, {'B', ""}}, kWindowHeight},
  };
  // The network-error panels clear the whole screen first; retry and cancel share a row.
  for (const char* key : {"LOGIN NETWORK ERROR EXPLAINED", "REGISTER NETWORK ERROR EXPLAINED"}) {
    c.push_back({key, kTextGap, {{'P', key}, {'B', ""}}, kWindowHeight});
  }
  // The keys legend in two columns below the paragraph; return and more share a row.
  c.push_back({"INSTRUCTIONS EXPLAINED", kTextGap, {{'P', "INSTRUCTIONS EXPLAINED"}, {'K', "INSTRUCTIONS KEYS"}, {'B', ""}},
               kWindowHeight});
  for (const char* key : {"PRIVACY EXPLAINED", "PX EXPLAINED", "YEN EXPLAINED"}) {
    c.push_back({key, kTextGap, {{'P', key}, {'B', ""}, {'B', ""}}, kWindowHeight});
  }
  return c;
}

TEST_P(LanguageFile, ParagraphsLeaveRoomForTheirScreens) {
  Fonts& fonts = Fonts::get();
  ASSERT_EQ(fonts.problem(), "");
  const int skip = fonts.lineSkip(false, fontSize(Widget::Text));
  ASSERT_GT(skip, 0);
  for (const ScreenColumn& column : screenColumns()) {
    ScreenStack s(column.titleY + kTitleHeight);
    for (const auto& [kind, key] : column.items) {
      if (kind == 'P') {
        const Entry* e = entry(key);
        const size_t lines = e == nullptr ? 1 : splitLines(e->text).size();
        s.put(kTextGap, static_cast<int>(lines) * skip + kGutters);
      } else if (kind == 'K') {
        const Entry* e = entry(key);
        const size_t lines = e == nullptr ? 1 : splitLines(e->text).size();
        s.put(8, static_cast<int>((lines + 1) / 2) * fonts.lineSkip(false, 15) + kGutters);
      } else if (kind == 'B') {
        s.put(kButtonGap, kButtonHeight);
      } else if (kind == 'I') {
        s.put(kTextGap, kInputHeight);
      } else {
        s.put(10, kScoreStripHeight);
      }
    }
    EXPECT_LE(s.bottom(), column.limit) << GetParam() << ": the " << column.screen << " screen ends at y "
                                        << s.bottom() << ", past " << column.limit;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageFile,
                         ::testing::Values("italiano", "inglese", "spagnolo", "francese", "tedesco"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
