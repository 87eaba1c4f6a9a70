#pragma once

// A small package for widget and screen tests: backgrounds that fill the
// window, a transparent cover, flag and quit pictures, and two languages.

#include <map>
#include <string>
#include <vector>

#include "support/TestGame.h"

namespace uitest {

using Entries = std::map<std::string, std::vector<std::uint8_t>>;

// Language file lines ("KEY:=text"), joined with CR LF as the game's files are.
inline std::vector<std::uint8_t> languageFile(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return testsupport::bytes(s);
}

inline const std::vector<std::uint8_t>& fullWindowPicture() {
    static const auto png = testsupport::pngBytes(800, 480, 0xFFE0D0B0);
    return png;
}

inline Entries basePackage() {
    Entries e;
    for (int i = 1; i <= 5; ++i) e["assets/welcome0" + std::to_string(i) + ".png"] = fullWindowPicture();
    e["assets/bgs.png"] = testsupport::pngBytes(8, 8, 0xFFFFFFFF);
    e["assets/b.png"] = testsupport::pngBytes(4, 4, 0xFF000000);
    e["assets/quit.png"] = testsupport::pngBytes(40, 30, 0xFF0000FF);
    e["assets/quit_over.png"] = testsupport::pngBytes(40, 30, 0xFF00FF00);
    for (const char* lang : {"italiano", "inglese"}) {
        const std::string base = std::string("assets/languages/") + lang;
        e[base + "_off.png"] = testsupport::pngBytes(30, 20, 0xFF808080);
        e[base + "_over.png"] = testsupport::pngBytes(30, 20, 0xFFFFFF00);
        e[base + "_on.png"] = testsupport::pngBytes(30, 20, 0xFF00FF00);
    }
    return e;
}

}  // namespace uitest
