#include "LevelTable.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <limits>

namespace pelmora::server {

namespace {

// Optional blanks and sign, then decimal digits (or hexadecimal after "0x")
// up to the first other character; 0 without digits. Saturates instead of overflowing.
std::int64_t lenientInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (std::isdigit(c)) digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = (std::tolower(c) - 'a') + 10;
        else break;
        value = value > (most - digit) / base ? most : value * base + digit;
    }
    return negative ? -value : value;
}

}  // namespace

LevelTable::LevelTable(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n;", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view record = text.substr(start, end - start);
        start = end + 1;
        std::vector<std::string_view> fields;
        for (std::size_t f = 0;;) {
            const std::size_t tab = record.find('\t', f);
            fields.push_back(record.substr(f, tab == std::string_view::npos ? std::string_view::npos : tab - f));
            if (tab == std::string_view::npos) break;
            f = tab + 1;
        }
        if (fields.size() < 2) continue;
        levels_.push_back({std::string(fields[1]), fields.size() > 3 ? lenientInteger(fields[3]) : 0});
    }
}

LevelTable LevelTable::fromFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return LevelTable(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

std::optional<int> LevelTable::levelOf(std::int64_t px) const {
    std::optional<int> level;
    for (std::size_t i = 0; i < levels_.size() && levels_[i].px <= px; ++i) level = static_cast<int>(i);
    return level;
}

}  // namespace pelmora::server
