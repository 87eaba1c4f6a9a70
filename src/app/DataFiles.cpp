#include "app/DataFiles.h"

#include <charconv>
#include <limits>

#include "app/Value.h"

namespace DataFiles {

std::vector<std::string> splitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<std::string> crlfRecords(const std::string& text) { return splitAt(text, "\r\n"); }

std::vector<std::string> looseRecords(const std::string& text) {
    std::vector<std::string> out;
    std::string record;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == ';') {
            out.push_back(record);
            record.clear();
            // CR LF is one break, not two.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            record += c;
        }
    }
    out.push_back(record);
    return out;
}

std::vector<std::string> tabFields(const std::string& record) { return splitAt(record, "\t"); }

std::vector<std::string> nonEmptyTabFields(const std::string& record) {
    std::vector<std::string> out;
    for (auto& field : splitAt(record, "\t"))
        if (!field.empty()) out.push_back(std::move(field));
    return out;
}

std::int64_t readInt(const std::string& field) { return Value::parseInt(field); }

double readDecimal(const std::string& field) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t' || field[i] == '\n' || field[i] == '\r')) ++i;
    const bool negative = i < field.size() && field[i] == '-';
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) ++i;
    // Only a digit, or a point followed by a digit, starts a number: this keeps
    // out the "inf" and "nan" texts the standard reader accepts.
    const bool starts = i < field.size() &&
                        (isDigit(field[i]) || (field[i] == '.' && i + 1 < field.size() && isDigit(field[i + 1])));
    if (!starts) return nan;
    double value = 0;
    const auto [end, ec] = std::from_chars(field.data() + i, field.data() + field.size(), value,
                                           std::chars_format::general);
    // A number out of range is unreadable, not an infinity.
    if (ec != std::errc() || end == field.data() + i) return nan;
    return negative ? -value : value;
}

}  // namespace DataFiles
