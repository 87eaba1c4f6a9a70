#include <gtest/gtest.h>

#include <cmath>

#include "app/MAux.h"
#include "app/Value.h"

TEST(Helpers, PaddingRoundTripsAndRefusesABadHeader) {
    MAux::seed(3);
    const MAux::Bytes data{1, 2, 3, 250, 255};
    const auto a = MAux::basic_obfuscate(data);
    const auto b = MAux::basic_obfuscate(data);
    EXPECT_NE(a, b);
    EXPECT_GE(a.size(), data.size() + 3 + 40);
    EXPECT_EQ(MAux::basic_unobfuscate(a), data);
    EXPECT_EQ(MAux::basic_unobfuscate(b), data);
    EXPECT_EQ(MAux::basic_unobfuscate(MAux::basic_obfuscate({})), MAux::Bytes{});
    MAux::Bytes broken = a;
    broken[1] = 0xFF;  // claims more data than the block holds
    broken[2] = 0xFF;
    EXPECT_FALSE(MAux::basic_unobfuscate(broken).has_value());
    EXPECT_FALSE(MAux::basic_unobfuscate({}).has_value());
    // The length field has 16 bits: one byte more is refused, never wrapped.
    EXPECT_EQ(MAux::basic_unobfuscate(MAux::basic_obfuscate(MAux::Bytes(65535, 7)))->size(), 65535u);
    EXPECT_THROW(MAux::basic_obfuscate(MAux::Bytes(65536, 7)), std::length_error);
}

TEST(Helpers, DecimalToBaseWritesPaddedDigits) {
    EXPECT_EQ(MAux::decimalToBase(0, 3), std::string(31, '0'));
    EXPECT_EQ(MAux::decimalToBase(-4, 3), std::string(31, '0'));
    EXPECT_EQ(MAux::decimalToBase(1, 3).size(), 32u);
    EXPECT_EQ(MAux::decimalToBase(5, 3), std::string(30, '0') + "12");
    EXPECT_EQ(MAux::decimalToBase(26, 3), std::string(29, '0') + "222");
    EXPECT_EQ(Value::parseInt(MAux::decimalToBase(7, 3)), 21);
    EXPECT_EQ(MAux::decimalToBase(10, 2), std::string(28, '0') + "1010");
}

TEST(Helpers, CurveAndDistance) {
    EXPECT_DOUBLE_EQ(MAux::bezier(3, 9, -4, 17, 0), 3);
    EXPECT_DOUBLE_EQ(MAux::bezier(3, 9, -4, 17, 1), 17);
    EXPECT_DOUBLE_EQ(MAux::bezier(0, 0, 100, 0, 0.5), 37.5);
    EXPECT_DOUBLE_EQ(MAux::bezier(0, 100, 0, 0, 0.5), 25);  // not the textbook 37.5
    EXPECT_DOUBLE_EQ(MAux::bezier(0, 0, 0, 100, 0.5), 25);
    EXPECT_DOUBLE_EQ(MAux::distance({0, 0}, {3, 4}), 5);
}

TEST(Helpers, ArraysAreClonedSearchedAndDeepCopied) {
    Value::Array inner{1, "two"};
    Value::Array a{Value(inner), std::string("sake"), 3.5};
    auto c = MAux::clone(a);
    EXPECT_EQ(c, a);
    EXPECT_TRUE(MAux::exists(Value(std::string("sa") + "ke"), a));  // equal, not the same text object
    EXPECT_FALSE(MAux::exists(Value("tuna"), a));
    EXPECT_TRUE(MAux::exists(Value(3.5), a));
    EXPECT_FALSE(MAux::exists(Value(), a));
    // clone shares nested arrays; deepCopy does not.
    Value original(a);
    Value deep = MAux::deepCopy(original);
    Value shallow(MAux::clone(a));
    const Value extra(99);
    original.array()[0].array().push_back(extra);
    EXPECT_EQ(shallow.array()[0].array().size(), 3u);
    EXPECT_EQ(deep.array()[0].array().size(), 2u);
}

TEST(Helpers, RandomIsSeededAndUniform) {
    MAux::seed(42);
    const double a = MAux::random(), b = MAux::random();
    MAux::seed(42);
    {
        const MAux::RandomKept kept;  // choices made ahead are given back
        for (int i = 0; i < 5; ++i) MAux::random();
    }
    EXPECT_EQ(MAux::random(), a);
    EXPECT_EQ(MAux::random(), b);
    int buckets[10] = {};
    for (int i = 0; i < 10000; ++i) {
        const double r = MAux::random();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ++buckets[static_cast<int>(r * 10)];
    }
    for (int n : buckets) EXPECT_NEAR(n, 1000, 150);
}

TEST(Values, TextAndLenientNumbers) {
    EXPECT_EQ(Value().text(), "null");
    EXPECT_EQ(Value(true).text(), "true");
    EXPECT_EQ(Value(42).text(), "42");
    EXPECT_EQ(Value(2.0).text(), "2");
    EXPECT_EQ(Value(1.5).text(), "1.5");
    EXPECT_EQ(Value(Value::Array{1, "a"}).text(), "[1,a]");
    EXPECT_EQ(Value::parseInt("  -17abc"), -17);
    EXPECT_EQ(Value::parseInt("0x1F"), 31);
    EXPECT_EQ(Value::parseInt("+8"), 8);
    bool ok = true;
    EXPECT_EQ(Value::parseInt("abc", &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value::parseInt("", &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Value::parseInt("99999999999999999999999"), INT64_MAX);
    EXPECT_DOUBLE_EQ(Value::parseFloat(" 1.25x"), 1.25);
    EXPECT_TRUE(std::isnan(Value::parseFloat("x1")));
    EXPECT_EQ(Value("12").toInt(), 12);
    EXPECT_EQ(Value(3.9).toInt(), 3);
    EXPECT_EQ(Value(5), Value(5.0));
}
