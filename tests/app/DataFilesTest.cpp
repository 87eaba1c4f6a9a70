#include <gtest/gtest.h>

#include <cmath>

#include "app/DataFiles.h"

using Fields = std::vector<std::string>;

TEST(DataFiles, RecordsEndWhereEachTableSaysTheyDo) {
    EXPECT_EQ(DataFiles::crlfRecords("a\tb\r\nc\nd\re\r\n"), (Fields{"a\tb", "c\nd\re", ""}));
    EXPECT_EQ(DataFiles::looseRecords("a\r\nb\rc\nd;e\n\n"), (Fields{"a", "b", "c", "d", "e", "", ""}));
    EXPECT_EQ(DataFiles::tabFields("\tK\t\tx\t"), (Fields{"", "K", "", "x", ""}));
    EXPECT_EQ(DataFiles::nonEmptyTabFields("\tK\t\tx \t"), (Fields{"K", "x "}));
}

TEST(DataFiles, DecimalsAreOnlyDecimalNumbers) {
    EXPECT_DOUBLE_EQ(DataFiles::readDecimal(" 1.08 fast"), 1.08);
    EXPECT_DOUBLE_EQ(DataFiles::readDecimal("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(DataFiles::readDecimal("+2e1x"), 20.0);
    EXPECT_EQ(DataFiles::readDecimal("0x1p3"), 0.0);
    for (const char* bad : {"", "-", ".", "inf", "-infinity", "nan", "NaN", "1e999", "x1"})
        EXPECT_TRUE(std::isnan(DataFiles::readDecimal(bad))) << bad;
    EXPECT_EQ(DataFiles::readInt(" 0x10 yen"), 16);
}
