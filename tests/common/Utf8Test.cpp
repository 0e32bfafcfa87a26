#include "common/Utf8.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

// Only what Unicode calls well-formed counts as UTF-8: the report and the picture take such text
// as it is, and anything else as code-page bytes, so a wrong yes makes an invalid JSON or SVG.
TEST(Utf8, OnlyWellFormedSequencesCount) {
    EXPECT_EQ(utf8::SequenceLength("\xC3\xA4"), 2U);         // ä
    EXPECT_EQ(utf8::SequenceLength("\xE2\x82\xAC"), 3U);     // €
    EXPECT_EQ(utf8::SequenceLength("\xED\x9F\xBF"), 3U);     // U+D7FF, the last before the surrogates
    EXPECT_EQ(utf8::SequenceLength("\xEE\x80\x80"), 3U);     // U+E000, the first after them
    EXPECT_EQ(utf8::SequenceLength("\xF0\x90\x80\x80"), 4U); // U+10000
    EXPECT_EQ(utf8::SequenceLength("\xF4\x8F\xBF\xBF"), 4U); // U+10FFFF
    for (const std::string& bad : {"a"s, "\xC3"s, "\xC0\x80"s, "\xC1\xBF"s, "\xE0\x80\x80"s, "\xE0\x9F\xBF"s,
                                   "\xED\xA0\x80"s, "\xED\xBF\xBF"s, "\xF0\x80\x80\x80"s, "\xF0\x8F\xBF\xBF"s,
                                   "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xE2\x82"s, "\xE2\x28\xA1"s})
        EXPECT_EQ(utf8::SequenceLength(bad), 0U) << testing::PrintToString(bad);
    EXPECT_TRUE(utf8::IsValid("Stra\xC3\x9F"
                              "e"));
    EXPECT_FALSE(utf8::IsValid("Stra\xDF"
                               "e"));                        // Windows-1252
    EXPECT_FALSE(utf8::IsValid("\xED\xA0\x80\xED\xB0\x80")); // a surrogate pair spelt as two
    EXPECT_TRUE(utf8::StartsWithNonCharacter("\xEF\xBF\xBE"));
    EXPECT_TRUE(utf8::StartsWithNonCharacter("\xEF\xBF\xBFx"));
    EXPECT_FALSE(utf8::StartsWithNonCharacter("\xEF\xBF\xBD")); // the replacement character is one
}
