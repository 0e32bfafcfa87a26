#include "common/NumberText.h"
#include "tests/support/LocaleGuard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

using namespace numtext;

TEST(NumberText, ParseDoubleTakesTheLeadingNumberLikeAtof) {
    EXPECT_DOUBLE_EQ(ParseDouble("100.5"), 100.5);
    EXPECT_DOUBLE_EQ(ParseDouble("  \t-0.25xyz"), -0.25);
    EXPECT_DOUBLE_EQ(ParseDouble("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ParseDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDouble("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1e"), 1.0);
    EXPECT_DOUBLE_EQ(ParseDouble("0x10"), 16.0);
    EXPECT_DOUBLE_EQ(ParseDouble("2,5"), 2.0);
    EXPECT_EQ(ParseDouble(""), 0.0);
    EXPECT_EQ(ParseDouble("abc"), 0.0);
    EXPECT_EQ(ParseDouble("- 5"), 0.0);
}

TEST(NumberText, NonFiniteAndOverflowingValuesAreMalformed) {
    EXPECT_EQ(ParseDouble("nan"), 0.0);
    EXPECT_EQ(ParseDouble("-inf"), 0.0);
    EXPECT_EQ(ParseDouble("infinity"), 0.0);
    EXPECT_EQ(ParseDouble("1e999"), 0.0);
    EXPECT_EQ(ParseDouble("-1e400"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(NumberText, IntegersFollowAtoiWithoutOverflow) {
    EXPECT_EQ(ParseInt("12abc"), 12);
    EXPECT_EQ(ParseInt("  -42"), -42);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseInt("2147483648"), 0);
    EXPECT_EQ(ParseInt("-2147483649"), 0);
    EXPECT_EQ(ParseInt("99999999999999999999999"), 0);
    EXPECT_EQ(ParseLong("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseLong("9223372036854775808"), 0);
    EXPECT_EQ(ParseInt("x1"), 0);
}

TEST(NumberText, HexFollowsScanfPercentX) {
    EXPECT_EQ(ParseHex("ff"), 255U);
    EXPECT_EQ(ParseHex("0xFF00"), 0xff00U);
    EXPECT_EQ(ParseHex(" 1aZ"), 0x1aU);
    EXPECT_EQ(ParseHex("ffffffff"), 0xffffffffU);
    EXPECT_EQ(ParseHex("100000000"), 0U);
    EXPECT_EQ(ParseHex("zz"), 0U);
    EXPECT_EQ(ParseHex(""), 0U);
}

TEST(NumberText, FixedFormattingMatchesPrintf) {
    EXPECT_EQ(FormatFixed(2.5, 6), "2.500000");
    EXPECT_EQ(FormatFixed(-0.25, 6), "-0.250000");
    EXPECT_EQ(FormatFixed(0.0, 6), "0.000000");
    EXPECT_EQ(FormatFixed(1234.5678, 3), "1234.568");
    EXPECT_EQ(FormatFixed(7.0, 0), "7");
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.6f", std::numeric_limits<double>::max());
    const std::string largest = FormatFixed(std::numeric_limits<double>::max(), 6);
    EXPECT_EQ(largest, expected);
    EXPECT_EQ(largest.find('.'), 309U);
}

TEST(NumberText, CommaDecimalLocaleChangesNothing) {
    CommaLocale german;
    REQUIRE_COMMA_LOCALE(german);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    ASSERT_STREQ(probe, "2,5") << "the locale is not comma-decimal";
    EXPECT_DOUBLE_EQ(ParseDouble("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(ParseDouble("2,5"), 2.0);
    EXPECT_EQ(FormatFixed(2.5, 6), "2.500000");
}

// A value is whole when the parse takes all of it: that is what the batch tool warns about.
TEST(NumberText, WholeNumbersAreTellApartFromPrefixesAndOverflow) {
    for (const char* text : {"12.5", " -3 ", "+4e2", "0x1p3", "7"})
        EXPECT_TRUE(IsWholeDouble(text)) << text;
    for (const char* text : {"12,5", "abc", "", " ", "1e999", "inf", "nan", "2.5m", "--1"})
        EXPECT_FALSE(IsWholeDouble(text)) << text;
    for (const char* text : {"42", "-2147483648", "+7", " 8 "})
        EXPECT_TRUE(IsWholeInt(text)) << text;
    for (const char* text : {"2147483648", "4.0", "+-1", "x", ""})
        EXPECT_FALSE(IsWholeInt(text)) << text;
    for (const char* text : {"00ff00", "0xFF", "ffffffff"})
        EXPECT_TRUE(IsWholeHex(text)) << text;
    for (const char* text : {"zz", "ff00gg", "1ffffffff", "0x"})
        EXPECT_FALSE(IsWholeHex(text)) << text;
    EXPECT_EQ(ParseDouble("--1"), 0.0) << "as atof";
    EXPECT_EQ(FormatShortest(12.0), "12");
    EXPECT_EQ(FormatShortest(0.1), "0.1");
}
