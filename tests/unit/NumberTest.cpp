#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "common/Number.h"

namespace varnel {
namespace {

TEST(TextToNumber, ReadsTheLeadingDecimalAndTruncatesTowardZero) {
    EXPECT_EQ(textToInt("23"), 23);
    EXPECT_EQ(textToInt("2.9"), 2);
    EXPECT_EQ(textToInt("-2.9"), -2);
    EXPECT_EQ(textToInt(" 7"), 7);
    EXPECT_EQ(textToInt("+5"), 5);
    EXPECT_EQ(textToInt("12abc"), 12);
    EXPECT_EQ(textToInt(".5"), 0);
    EXPECT_DOUBLE_EQ(textToNumber("1.5") * 60, 90.0);
    EXPECT_DOUBLE_EQ(textToNumber("-0.25"), -0.25);
}

TEST(TextToNumber, EmptyOrNonNumericGivesZero) {
    for (const char* text :
         {"", " ", "abc", "-", "+", ".", "nan", "NaN", "inf", "-inf", "真", "\xff\xfe", "0x1F"}) {
        EXPECT_EQ(textToNumber(text), 0.0) << text;
        EXPECT_EQ(textToInt(text), 0) << text;
    }
}

TEST(TextToNumber, HugeValuesSaturateInsteadOfOverflowing) {
    const auto max = std::numeric_limits<std::int32_t>::max();
    const auto min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(textToInt("99999999999999999999"), max);
    EXPECT_EQ(textToInt("-99999999999999999999"), min);
    EXPECT_EQ(textToInt("2147483647"), max);
    EXPECT_EQ(textToInt("-2147483648"), min);
    EXPECT_EQ(textToInt("2147483646.9"), max - 1);
    EXPECT_EQ(textToInt("1e999"), 1);  // no exponents: "e" ends the number
    const std::string thousandNines(1000, '9');
    EXPECT_EQ(textToInt(thousandNines), max);
    EXPECT_EQ(textToInt("-" + thousandNines), min);
    EXPECT_TRUE(std::isfinite(textToNumber(thousandNines)));
    EXPECT_TRUE(std::isfinite(textToNumber("0." + thousandNines)));
}

}  // namespace
}  // namespace varnel
