#include "app/Value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "app/DataFiles.h"

std::string Value::text() const {
    if (isNull()) return "null";
    if (isBool()) return std::get<bool>(v_) ? "true" : "false";
    if (isInt()) return std::to_string(std::get<std::int64_t>(v_));
    if (isFloat()) return formatFloat(std::get<double>(v_));
    if (isString()) return std::get<std::string>(v_);
    std::string out = "[";
    const auto& a = array();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i) out += ",";
        out += a[i].text();
    }
    return out + "]";
}

std::int64_t Value::toInt() const {
    if (isInt()) return std::get<std::int64_t>(v_);
    if (isFloat()) {
        const double d = std::get<double>(v_);
        if (!std::isfinite(d)) return 0;
        if (d >= 9.2e18 || d <= -9.2e18) return 0;
        return static_cast<std::int64_t>(d);
    }
    if (isBool()) return std::get<bool>(v_) ? 1 : 0;
    if (isString()) return parseInt(std::get<std::string>(v_));
    return 0;
}

double Value::toFloat() const {
    if (isInt()) return static_cast<double>(std::get<std::int64_t>(v_));
    if (isFloat()) return std::get<double>(v_);
    if (isBool()) return std::get<bool>(v_) ? 1 : 0;
    if (isString()) return parseFloat(std::get<std::string>(v_));
    return std::numeric_limits<double>::quiet_NaN();
}

bool Value::toBool() const {
    if (isBool()) return std::get<bool>(v_);
    if (isNull()) return false;
    if (isInt()) return std::get<std::int64_t>(v_) != 0;
    if (isFloat()) return std::get<double>(v_) != 0 && !std::isnan(std::get<double>(v_));
    return true;
}

const std::string& Value::str() const {
    static const std::string empty;
    return isString() ? std::get<std::string>(v_) : empty;
}

const Value::Array& Value::array() const {
    static const Array empty;
    return isArray() ? *std::get<std::shared_ptr<Array>>(v_) : empty;
}

Value::Array& Value::array() {
    if (!isArray()) v_ = std::make_shared<Array>();
    return *std::get<std::shared_ptr<Array>>(v_);
}

bool Value::operator==(const Value& o) const {
    if (isNumber() && o.isNumber()) {
        if (isInt() && o.isInt()) return std::get<std::int64_t>(v_) == std::get<std::int64_t>(o.v_);
        return toFloat() == o.toFloat();
    }
    if (v_.index() != o.v_.index()) return false;
    if (isArray()) return array() == o.array();
    return v_ == o.v_;
}

std::int64_t Value::parseInt(const std::string& text, bool* ok) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else break;
        // Saturate instead of overflowing on absurdly long digit runs.
        const std::uint64_t cap = std::numeric_limits<std::uint64_t>::max();
        value = value > (cap - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)
                    ? cap
                    : value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        ++digits;
    }
    if (ok) *ok = digits > 0;
    if (digits == 0) return 0;
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (value > limit) value = limit;
    const auto v = static_cast<std::int64_t>(value);
    return negative ? -v : v;
}

double Value::parseFloat(const std::string& text) { return DataFiles::readDecimal(text); }

std::string Value::formatFloat(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    if (d == std::floor(d) && std::abs(d) < 1e15) return std::to_string(static_cast<std::int64_t>(d));
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    return ec == std::errc() ? std::string(buf, end) : "NaN";
}
