#include "common/NumberText.h"
#include "tests/support/LocaleGuard.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace numtext;

TEST(NumberText, ParseDoubleTakesTheLeadingNumberLikeAtof) {
    EXPECT_DOUBLE_EQ(ParseDouble("100.5"), 100.5);
    EXPECT_DOUBLE_EQ(ParseDouble("  \t-0.25xyz"), -0.25);
    EXPECT_DOUBLE_EQ(ParseDouble("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ParseDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDouble("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ParseDouble("1e"), 1.0);
    EXPECT_EQ(ParseDouble("0x10"), 0.0); // no hexadecimal numbers in a survey
    EXPECT_EQ(ParseDouble("-0x1p3"), 0.0);
    EXPECT_DOUBLE_EQ(ParseDouble("2,5"), 2.0);
    EXPECT_EQ(ParseDouble(""), 0.0);
    EXPECT_EQ(ParseDouble("abc"), 0.0);
    EXPECT_EQ(ParseDouble("- 5"), 0.0);
}

// Plain decimals take a shortcut past the library; it must give the library's double, bit for
// bit, also where the shortcut ends (2^53, 19 digits, 22 decimals) and for texts that go on.
TEST(NumberText, PlainDecimalsAreReadExactlyAsTheLibraryReadsThem) {
    const auto library = [](const char* text) {
        double value = 0;
        std::from_chars(text, text + std::strlen(text), value);
        return value;
    };
    for (const char* text :
         {"2480516.572", "1217839.320", "0.1", "0.3", "123456789012345", "9007199254740992",
          "9007199254740993", "9007199254740991.5", "1234567890123456789", "12345678901234567890",
          "0.0000000000000000000001", "0.00000000000000000000001", "1.7976931348623157",
          "00000000000000000001.5", "5.", "449.490e2", "7.25abc", "1.2.3"}) {
        const double fast = ParseDouble(text);
        const double exact = library(text);
        EXPECT_TRUE(fast == exact && std::signbit(fast) == std::signbit(exact))
            << text << ": " << fast << " vs " << exact;
    }
    std::mt19937_64 random(8);
    char text[32];
    for (int i = 0; i < 200000; ++i) {
        const auto whole = static_cast<long long>(random() % 100000000);
        const int written =
            std::snprintf(text, sizeof text, "%lld.%0*llu", whole, static_cast<int>(1 + random() % 9),
                          static_cast<unsigned long long>(random() % 1000000000));
        ASSERT_GT(written, 0);
        const double fast = ParseDouble(text);
        const double exact = library(text);
        ASSERT_EQ(fast, exact) << text;
    }
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

// A value is whole when the parse takes all of it: that is what the batch tool warns about. A
// whole value is the one the lenient parse reads; anything else leaves the value alone.
TEST(NumberText, WholeNumbersAreTellApartFromPrefixesAndOverflow) {
    const std::pair<const char*, double> reals[] = {{"12.5", 12.5}, {" -3 ", -3}, {"+4e2", 400}, {"7", 7}};
    for (const auto& [text, expected] : reals) {
        double value = -1;
        EXPECT_TRUE(ParseWhole(text, &value)) << text;
        EXPECT_EQ(value, expected) << text;
        EXPECT_EQ(value, ParseDouble(text)) << text;
    }
    for (const char* text :
         {"12,5", "abc", "", " ", "1e999", "inf", "nan", "2.5m", "--1", "-", "0x1p3", "0x10"}) {
        double value = -1;
        EXPECT_FALSE(ParseWhole(text, &value)) << text;
        EXPECT_EQ(value, -1) << text;
    }
    const std::pair<const char*, std::int32_t> ints[] = {
        {"42", 42}, {"-2147483648", INT32_MIN}, {"+7", 7}, {" 8 ", 8}};
    for (const auto& [text, expected] : ints) {
        std::int32_t value = -1;
        EXPECT_TRUE(ParseWhole(text, &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"2147483648", "4.0", "+-1", "x", ""}) {
        std::int32_t value = -1;
        EXPECT_FALSE(ParseWhole(text, &value)) << text;
        EXPECT_EQ(value, -1) << text;
    }
    const std::pair<const char*, std::uint32_t> hex[] = {
        {"00ff00", 0xff00}, {"0xFF", 0xff}, {"ffffffff", 0xffffffff}};
    for (const auto& [text, expected] : hex) {
        std::uint32_t value = 1;
        EXPECT_TRUE(ParseWholeHex(text, &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"zz", "ff00gg", "1ffffffff", "0x"}) {
        std::uint32_t value = 1;
        EXPECT_FALSE(ParseWholeHex(text, &value)) << text;
        EXPECT_EQ(value, 1U) << text;
    }
    EXPECT_EQ(ParseDouble("--1"), 0.0) << "as atof";
    EXPECT_EQ(FormatShortest(12.0), "12");
    EXPECT_EQ(FormatShortest(0.1), "0.1");
}

namespace {

std::string LibraryFixed(double value, int decimals) {
    char buffer[640];
    return {buffer,
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr};
}

std::string FastFixed(double value, int decimals) {
    char buffer[kFixedRoom];
    return {buffer, WriteFixed(buffer, buffer + sizeof buffer, value, decimals)};
}

} // namespace

// The fast way must write what the library writes, rounding included; bench/check_fixed runs
// the same comparison on hundreds of millions of values.
TEST(NumberText, FixedNotationIsTheLibrarysToTheLastDigit) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  1.5,
                                  2.5,
                                  -2.5,
                                  0.125,
                                  0.375,
                                  1e-300,
                                  -1e-300,
                                  4.9e-324,
                                  1e15,
                                  1e16,
                                  1e17,
                                  1e19,
                                  1.8e19,
                                  1e20,
                                  1e300,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  2605120.412,
                                  1204330.871,
                                  0.0005,
                                  9007199254740993.0,
                                  18446744073709551615.0,
                                  0.045,
                                  1.005,
                                  2.675};
    for (int p = -20; p <= 20; ++p) {
        values.push_back(std::pow(10.0, p));
        values.push_back(-std::pow(10.0, p));
        values.push_back(std::pow(10.0, p) / 2); // halves: ties
        values.push_back(std::nextafter(std::pow(10.0, p) / 2, 0.0));
        values.push_back(std::nextafter(std::pow(10.0, p) / 2, 1e300));
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t bits = random();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any))
            values.push_back(any);
        values.push_back(std::uniform_real_distribution<double>(-3e6, 3e6)(random));
        values.push_back(std::round(std::uniform_real_distribution<double>(-1e6, 1e6)(random) * 1000) / 1000);
        values.push_back(static_cast<double>(random() % 2000001) / 8.0 -
                         125000.0); // exact ties at many places
    }
    for (const double value : values)
        for (int decimals = 0; decimals <= 16; ++decimals)
            ASSERT_EQ(FastFixed(value, decimals), LibraryFixed(value, decimals))
                << "value " << std::hexfloat << value << " decimals " << decimals;
}

namespace {

// A random decimal as a survey might spell it: a sign, up to 17 whole digits and up to 17
// decimals, now and then with leading zeros or a bare point, which are not kept.
std::string RandomDecimal(std::mt19937_64& random) {
    std::string text = random() % 4 == 0 ? "-" : "";
    const auto digits = [&random, &text](std::uint64_t count) {
        for (std::uint64_t i = 0; i < count; ++i)
            text += static_cast<char>('0' + random() % 10);
    };
    digits(random() % 18);
    if (random() % 8 != 0) {
        text += '.';
        digits(random() % 18);
    }
    return text;
}

std::string Spelled(const std::string& text, int decimals) {
    char out[Spelling::kLongest + 32];
    const char* end = WriteSpelled(out, Spell(text), ParseDouble(text), decimals);
    return end == nullptr ? std::string("(formatted)") : std::string(static_cast<const char*>(out), end);
}

} // namespace

TEST(NumberText, ASpelledNumberIsCopiedOnlyWhereFormattingWouldGiveTheSameText) {
    // Copied, zeros added: survey coordinates, minus zero, the most decimals that still hold.
    EXPECT_EQ(Spelled("2480516.572", 6), "2480516.572000");
    EXPECT_EQ(Spelled("449.49", 3), "449.490");
    EXPECT_EQ(Spelled("7", 2), "7.00");
    EXPECT_EQ(Spelled("-0", 6), "-0.000000");
    EXPECT_EQ(Spelled("0.1", 16), "0.1000000000000000");
    // Formatted: more decimals than asked for, a value whose last place is too coarse, and
    // spellings that are not the shortest.
    for (const auto& [text, decimals] :
         {std::pair{"2480516.5725", 3}, std::pair{"9007199254740993", 0}, std::pair{"10000000000.1", 6},
          std::pair{"007.5", 6}, std::pair{"+7.5", 6}, std::pair{".5", 6}, std::pair{"5.", 6},
          std::pair{"1e5", 6}, std::pair{"1.2.3", 6}})
        EXPECT_EQ(Spelled(text, decimals), "(formatted)") << text;

    std::mt19937_64 random(11);
    std::size_t copied = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string text = RandomDecimal(random);
        const double value = ParseDouble(text);
        // Read at once with its spelling: the same value, and the same spelling where it keeps one.
        Spelling spelled;
        const double read = ParseSpelled(text, spelled);
        ASSERT_TRUE(read == value && std::signbit(read) == std::signbit(value)) << text;
        if (spelled.size != 0) {
            ASSERT_EQ(std::string(spelled.text, spelled.size) + "/" + std::to_string(spelled.decimals),
                      text + "/" + std::to_string(Spell(text).decimals));
        }
        for (int decimals = 0; decimals <= 16; ++decimals) {
            const std::string spelled = Spelled(text, decimals);
            if (spelled == "(formatted)")
                continue;
            ++copied;
            ASSERT_EQ(spelled, LibraryFixed(value, decimals)) << text << " with " << decimals << " decimals";
        }
    }
    EXPECT_GT(copied, 100000U) << "most short spellings are copied";
}
