#include "app/SettingsText.h"

#include <set>

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<bool> onOff(std::string_view v) {
    if (v == "on") return true;
    if (v == "off") return false;
    return std::nullopt;
}

}  // namespace

bool Settings::knownLanguage(std::string_view language) {
    return language == "italiano" || language == "inglese" || language == "spagnolo" || language == "francese" ||
           language == "tedesco";
}

std::optional<Settings> parseSettings(std::string_view text) {
    if (text.size() > Settings::MAX_BYTES || text.find('\0') != std::string_view::npos) return std::nullopt;
    Settings s;
    std::set<std::string_view> seen;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        const std::string_view name = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (name == "language") {
            if (!Settings::knownLanguage(value)) return std::nullopt;
            s.language = std::string(value);
        } else if (name == "sound" || name == "fullscreen") {
            const auto v = onOff(value);
            if (!v) return std::nullopt;
            (name == "sound" ? s.sound : s.fullscreen) = *v;
        } else {
            continue;
        }
        if (!seen.insert(name).second) return std::nullopt;
    }
    return s;
}

std::string formatSettings(const Settings& s) {
    return "# Pelmora settings, rewritten whenever one changes in the game\n"
           "language=" + s.language + "\n" +
           "sound=" + (s.sound ? "on" : "off") + "\n" +
           "fullscreen=" + (s.fullscreen ? "on" : "off") + "\n";
}
