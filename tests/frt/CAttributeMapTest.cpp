#include "frt/CAttributeMap.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

namespace {
CAttributeMap Parsed(std::string_view text) {
    CAttributeMap map;
    map.Parse(text, ";", "=");
    return map;
}
} // namespace

TEST(AttributeMap, ParsesPairsSeparatedBySemicolons) {
    const CAttributeMap map = Parsed("PID=12;E=100.5;N=200.25;");
    ASSERT_EQ(map.Size(), 3U);
    EXPECT_EQ(map.GetValue("PID"), "12");
    EXPECT_EQ(map.GetValue("E"), "100.5");
    EXPECT_EQ(map.GetValue("N"), "200.25");
    // Byte order of keys.
    EXPECT_EQ(map.KeyAt(0), "E");
    EXPECT_EQ(map.KeyAt(1), "N");
    EXPECT_EQ(map.KeyAt(2), "PID");
}

TEST(AttributeMap, RunsOfSeparatorsGiveNoEmptyPairs) {
    const CAttributeMap map = Parsed(";;CODE=TREE;;");
    ASSERT_EQ(map.Size(), 1U);
    EXPECT_EQ(map.GetValue("CODE"), "TREE");
}

TEST(AttributeMap, BlanksAroundKeysAndValues) {
    EXPECT_EQ(Parsed(" E=1").GetValue("E"), "1");
    const CAttributeMap spaced = Parsed("E =1");
    EXPECT_EQ(spaced.GetValue("E"), "");
    EXPECT_EQ(spaced.GetValue("E "), "1");
    EXPECT_EQ(Parsed("PID = 5").GetValue("PID "), "5");
    EXPECT_EQ(Parsed("CODE=  oak tree  ").GetValue("CODE"), "oak tree");
    EXPECT_EQ(Parsed("CODE=oak\t").GetValue("CODE"), "oak\t");
    EXPECT_EQ(Parsed("REM=a=b").GetValue("REM"), "a=b");
}

TEST(AttributeMap, MalformedTokensAddNothingAndTheLastValueWins) {
    EXPECT_TRUE(Parsed("A=;=5;A;A=   ").Empty());
    EXPECT_EQ(Parsed("A=1;A=2").GetValue("A"), "2");
    EXPECT_TRUE(Parsed("").Empty());
    EXPECT_TRUE(Parsed(";;;").Empty());
}

TEST(AttributeMap, KeepsNulAndEightBitBytesUnchanged) {
    const std::string text = Bytes("PID=a\0b;CODE=\xe4\xf6\xfc");
    const CAttributeMap map = Parsed(text);
    EXPECT_EQ(map.GetValue("PID"), std::string("a\0b", 3));
    EXPECT_EQ(map.GetValue("CODE"), "\xe4\xf6\xfc");
}

TEST(AttributeMap, TypedValuesAndTheirText) {
    CAttributeMap map;
    map.SetInt("COUNT", 12);
    map.SetDouble("SCALE", 0.5);
    map.SetString("NAME", "x");
    EXPECT_EQ(map.GetValue("COUNT"), "12");
    EXPECT_EQ(map.GetValue("SCALE"), "0.500000");
    EXPECT_EQ(map.GetText("COUNT"), "");
    map.SetString("COUNT", "twelve");
    EXPECT_EQ(map.KindAt(0), AttributeKind::String);
    EXPECT_EQ(map.GetValue("COUNT"), "twelve");
    EXPECT_EQ(map.Size(), 3U);
}

TEST(AttributeMap, ImportTypedConvertsUnderscoreKeys) {
    CAttributeMap source;
    source.SetString("_IPCOUNT", "12abc");
    source.SetString("_SX", "word");
    source.SetString("_QY", "1");
    source.SetString("PID", "7");
    source.SetString("_DSCALE", "0.5");
    CAttributeMap target;
    target.ImportTyped(source);
    ASSERT_EQ(target.Size(), 3U);
    EXPECT_EQ(target.GetValue("PCOUNT"), "12");
    EXPECT_EQ(target.KindAt(0), AttributeKind::Int);
    EXPECT_EQ(target.GetValue("X"), "word");
    EXPECT_EQ(target.GetValue("SCALE"), "0.500000");
}

TEST(AttributeMap, ParseTypedAndClearReuse) {
    CAttributeMap map;
    map.ParseTyped("_DSCALE=2.5;PID=1", ";", "=");
    EXPECT_EQ(map.GetValue("SCALE"), "2.500000");
    EXPECT_FALSE(map.Contains("PID"));
    map.Clear();
    EXPECT_TRUE(map.Empty());
    map.Parse("A=1", ";", "=");
    EXPECT_EQ(map.GetValue("A"), "1");
}
