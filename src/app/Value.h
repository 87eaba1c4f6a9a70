#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// An untyped value as the game passes it around: null, a boolean, an integer,
// a floating-point number, a text or an array of values.
class Value {
public:
    using Array = std::vector<Value>;

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v_(b) {}
    Value(int i) : v_(static_cast<std::int64_t>(i)) {}
    Value(std::int64_t i) : v_(i) {}
    Value(double d) : v_(d) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(Array a) : v_(std::make_shared<Array>(std::move(a))) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isBool() const { return std::holds_alternative<bool>(v_); }
    bool isInt() const { return std::holds_alternative<std::int64_t>(v_); }
    bool isFloat() const { return std::holds_alternative<double>(v_); }
    bool isNumber() const { return isInt() || isFloat(); }
    bool isString() const { return std::holds_alternative<std::string>(v_); }
    bool isArray() const { return std::holds_alternative<std::shared_ptr<Array>>(v_); }

    // The value as the runtime writes it: "null", "true", "42", "1.5", "[1,a]".
    std::string text() const;
    // Integers as they are, floats truncated, texts parsed leniently, else 0.
    std::int64_t toInt() const;
    double toFloat() const;
    bool toBool() const;
    const std::string& str() const;
    // The elements of an array (shared between copies); empty for other values.
    const Array& array() const;
    Array& array();

    // Same kind and same contents; an integer equals a float of the same value.
    bool operator==(const Value& o) const;

    // Optional blanks, optional sign, digits up to the first other character;
    // "0x" or "0X" selects hexadecimal. Nothing readable gives 0 (and ok = false).
    static std::int64_t parseInt(const std::string& text, bool* ok = nullptr);
    // Optional blanks, then a decimal number up to the first other character; NaN when none.
    static double parseFloat(const std::string& text);
    // Shortest text that reads back as the same double ("2", "1.5", "NaN").
    static std::string formatFloat(double d);

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, std::shared_ptr<Array>> v_;
};
