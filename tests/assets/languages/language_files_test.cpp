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

TEST_P(LanguageFile, ParagraphsLeaveRoomForTheirScreens) {
  Fonts& fonts = Fonts::get();
  ASSERT_EQ(fonts.problem(), "");
  const int skip = fonts.lineSkip(false, fontSize(Widget::Text));
  ASSERT_GT(skip, 0);
  auto height = [&](const char* key) {
    const Entry* e = entry(key);
    const size_t lines = e == nullptr ? 1 : splitLines(e->text).size();
    return static_cast<int>(lines) * skip + kGutters;
  };
  auto paragraph = [&](ScreenStack& s, const char* key) { s.put(kTextGap, height(key)); };
  auto button = [&](ScreenStack& s) { s.put(kButtonGap, kButtonHeight); };
  auto title = [&](int y) { return ScreenStack(y + kTitleHeight); };

  struct Check {
    const char* screen;
    int bottom;
    int limit;
  };
  std::vector<Check> checks;

  {  // welcome, service unreachable: title moved down by 50, text, three buttons
    ScreenStack s = title(kTextGap + 50);
    paragraph(s, "WELCOME NETWORK UNAVAILABLE EXPLAINED");
    button(s);
    button(s);
    button(s);
    checks.push_back({"welcome (offline)", s.bottom(), kSmallButtonsTop});
  }
  {  // login form: text, two label/input rows, one row of buttons
    ScreenStack s = title(kTextGap);
    paragraph(s, "LOGIN EXPLAINED");
    s.put(kTextGap, kInputHeight);
    s.put(kTextGap, kInputHeight);
    button(s);
    checks.push_back({"login form", s.bottom(), kSmallButtonsTop});
  }
  {  // registration form: three label/input rows
    ScreenStack s = title(kTextGap);
    paragraph(s, "REGISTER EXPLAINED");
    s.put(kTextGap, kInputHeight);
    s.put(kTextGap, kInputHeight);
    s.put(kTextGap, kInputHeight);
    button(s);
    checks.push_back({"registration form", s.bottom(), kSmallButtonsTop});
  }
  for (const char* key : {"LOGIN NETWORK ERROR EXPLAINED", "REGISTER NETWORK ERROR EXPLAINED"}) {
    ScreenStack s = title(kTextGap);  // the whole screen was cleared first
    paragraph(s, key);
    button(s);  // retry and cancel share a row
    checks.push_back({key, s.bottom(), kWindowHeight});
  }
  {
    ScreenStack s = title(100);
    paragraph(s, "REGISTER SUCCESS EXPLAINED");
    button(s);
    checks.push_back({"registration done", s.bottom(), kWindowHeight});
  }
  {
    ScreenStack s = title(kTextGap + 150);
    paragraph(s, "NEW VERSION EXPLAINED");
    button(s);
    button(s);
    checks.push_back({"new version", s.bottom(), kWindowHeight});
  }
  {
    ScreenStack s = title(kTextGap);
    paragraph(s, "GAME OVER EXPLAINED CURRENT SCORE");
    s.put(10, kScoreStripHeight);
    paragraph(s, "GAME OVER EXPLAINED TOTAL SCORE");
    s.put(10, kScoreStripHeight);
    button(s);
    checks.push_back({"game over", s.bottom(), kWindowHeight});
  }
  for (const char* key : {"INSTRUCTIONS EXPLAINED", "PRIVACY EXPLAINED", "PX EXPLAINED", "YEN EXPLAINED"}) {
    ScreenStack s = title(kTextGap);
    paragraph(s, key);
    button(s);
    button(s);
    checks.push_back({key, s.bottom(), kWindowHeight});
  }
  {
    ScreenStack s = title(kTextGap);
    paragraph(s, "CREDITS EXPLAINED");
    button(s);  // return and more share a row
    checks.push_back({"CREDITS EXPLAINED", s.bottom(), kWindowHeight});
  }

  for (const Check& c : checks) {
    EXPECT_LE(c.bottom, c.limit) << GetParam() << ": the " << c.screen << " screen ends at y " << c.bottom
                                 << ", past " << c.limit;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageFile,
                         ::testing::Values("italiano", "inglese", "spagnolo", "francese", "tedesco"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
