// Checks the five language sources under assets/languages/: every key the
// game looks up is there exactly once, the files hold nothing the loader
// would misread or the packer could not turn into ISO-8859-1, and every text
// fits the widget that shows it, measured with the font the game draws with
// (fontconfig's match for "Arial", normally Liberation Sans, which has the
// same metrics).

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "language_file_support.h"

namespace {

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

TEST(LanguageKeyTable, Has68DistinctKeys) {
  std::map<std::string, int> seen;
  for (const KeySpec& k : keyTable()) ++seen[k.key];
  EXPECT_EQ(keyTable().size(), 68u);
  EXPECT_EQ(seen.size(), 68u);
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
    if (k.widget != Widget::Text) {
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
  for (const char* key : {"INSTRUCTIONS EXPLAINED", "PRIVACY EXPLAINED", "PX EXPLAINED", "YEN EXPLAINED"}) {
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
