// The HTML subset a text field reads: <br>, <p>, <b>, <font color="#rrggbb">
// and a few entities. Anything else is kept as text.

#include "platform/TextField.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>

namespace scene {

namespace {

std::string lowercase(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Appends the entity starting at html[i] decoded, or the '&' itself when it is
// not one we know, and moves i past what it used.
void appendEntity(const std::string& html, std::size_t& i, std::string& out) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", " "}};
    for (const auto& [name, value] : entities) {
        const std::string n = name;
        if (html.compare(i, n.size(), n) == 0) {
            out += value;
            i += n.size();
            return;
        }
    }
    out += html[i++];
}

// The colour of a lower-cased <font ...> tag: six hex digits after "color=",
// optionally quoted and with a '#'. Anything shorter is no colour.
std::optional<std::uint32_t> fontColor(const std::string& tag) {
    const std::size_t at = tag.find("color=");
    if (at == std::string::npos) return std::nullopt;
    std::size_t v = at + 6;
    if (v < tag.size() && (tag[v] == '"' || tag[v] == '\'')) ++v;
    if (v < tag.size() && tag[v] == '#') ++v;
    std::uint32_t col = 0;
    int digits = 0;
    while (v < tag.size() && digits < 6 && std::isxdigit(static_cast<unsigned char>(tag[v]))) {
        const char h = tag[v++];
        col = col * 16 + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : h - 'a' + 10);
        ++digits;
    }
    if (digits != 6) return std::nullopt;
    return col;
}

}  // namespace

// The parser's state: the runs read so far, the styles the open <b> and <font>
// tags set (the field's default at the bottom), and the text of the current run.
struct TextField::HtmlReader {
    std::vector<Run> runs;
    std::vector<Style> stack;
    std::string current;

    void flush() {
        if (!current.empty()) runs.push_back({current, stack.back()});
        current.clear();
    }

    // Acts on a lower-cased tag (what lies between '<' and '>'); false when the
    // tag is not one of ours and must be shown as text.
    bool tag(const std::string& tag) {
        const bool closing = !tag.empty() && tag[0] == '/';
        const std::string name = closing ? tag.substr(1) : tag.substr(0, tag.find_first_of(" \t/"));
        if (!closing && (name == "br" || tag == "br/" || tag == "br /")) {
            current += '\n';
            return true;
        }
        if (name == "p") {
            if (closing) current += '\n';
            return true;
        }
        if (name != "b" && name != "font") return false;
        flush();
        if (closing) {
            if (stack.size() > 1) stack.pop_back();
            return true;
        }
        Style s = stack.back();
        if (name == "b") s.bold = true;
        else if (const auto col = fontColor(tag)) s.color = *col;
        stack.push_back(s);
        return true;
    }
};

void TextField::setHtmlText(const std::string& html) {
    HtmlReader reader{{}, {defaultStyle()}, {}};
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            appendEntity(html, i, reader.current);
            continue;
        }
        if (c != '<') {
            reader.current += c;
            ++i;
            continue;
        }
        const std::size_t close = html.find('>', i);
        if (close == std::string::npos) {
            reader.current += html.substr(i);
            break;
        }
        if (!reader.tag(lowercase(html.substr(i + 1, close - i - 1)))) reader.current += html.substr(i, close - i + 1);
        i = close + 1;
    }
    reader.flush();
    html_ = html;
    setRuns(std::move(reader.runs), true);
}

}  // namespace scene
