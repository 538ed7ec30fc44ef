// Text helpers: cp1251 both ways, Cyrillic case folding, splitting, prefixes, dates.

#include <gtest/gtest.h>

#include <limits>

#include "platform/autodate.h"
#include "platform/keyvalue.h"
#include "platform/text.h"

using namespace plat;

TEST(Text, Cp1251RoundTripOfEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(Text, Cp1251KnownCharacters) {
    EXPECT_EQ(Utf8ToCp1251("Тахо"), "\xD2\xE0\xF5\xEE");
    EXPECT_EQ(Utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "Ая");
    // Characters 1251 cannot hold, and malformed UTF-8, become '?'.
    EXPECT_EQ(Utf8ToCp1251("a€b"),
              "a\x88"
              "b");
    EXPECT_EQ(Utf8ToCp1251("日本"), "??");
    EXPECT_EQ(Utf8ToCp1251("x\xFFy"), "x?y");
    EXPECT_TRUE(FitsCp1251("Режим µ"));
    EXPECT_FALSE(FitsCp1251("ΩX"));
}

TEST(Text, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("Режим \xEF\xBF\xBD"));  // a genuine U+FFFD
    EXPECT_FALSE(IsValidUtf8("\xD0"));               // cut sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));           // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(IsValidUtf8("\xD2\xE0\xF5\xEE"));   // 1251 bytes
}

TEST(Text, CaseInsensitiveComparisonFoldsCyrillic) {
    EXPECT_TRUE(EqualNoCase("Режим 1", "режим 1"));
    EXPECT_TRUE(EqualNoCase("ЁЛКА", "ёлка"));
    EXPECT_TRUE(EqualNoCase("GENERAL", "general"));
    EXPECT_FALSE(EqualNoCase("Ель", "Ёль"));
    EXPECT_FALSE(EqualNoCase("abc", "abcd"));
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("Б", "а"), 0);
    EXPECT_EQ(FoldCase("ЇҐ Ab"), "їґ ab");
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
}

TEST(KeyValue, SplittingRules) {
    auto kv = SplitKeyValues("grNum=3/grNum=4/=5/grNum/x=");
    EXPECT_EQ(KvInt(kv, "grNum"), 4);
    EXPECT_EQ(kv.size(), 2u);
    EXPECT_EQ(KvText(kv, "x"), "");
    EXPECT_EQ(KvInt(kv, "missing"), 0);

    EXPECT_EQ(KvInt(SplitKeyValues("a=2.7"), "a"), 2);
    EXPECT_DOUBLE_EQ(KvDouble(SplitKeyValues("a=2.7xyz"), "a"), 2.7);
    EXPECT_TRUE(SplitKeyValues("NPOINTS=512").count("nPoints") == 0);

    // A leading "/" makes the whole text one token.
    auto lead = SplitKeyValues("/a=1/b=2");
    ASSERT_EQ(lead.size(), 1u);
    EXPECT_EQ(lead.begin()->first, "/a");
    EXPECT_EQ(lead.begin()->second, "1/b=2");

    auto rect = SplitKeyValues("left=1//top=2/");
    EXPECT_EQ(KvInt(rect, "left"), 1);
    EXPECT_EQ(KvInt(rect, "top"), 2);
}

TEST(KeyValue, DecimalPrefixConversions) {
    EXPECT_DOUBLE_EQ(AtoF(" 2.5x"), 2.5);
    EXPECT_DOUBLE_EQ(AtoF("+1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(AtoF("-0.25"), -0.25);
    EXPECT_EQ(AtoF("abc"), 0.0);
    EXPECT_EQ(AtoF(""), 0.0);
    EXPECT_EQ(AtoI("-12abc"), -12);
    EXPECT_EQ(AtoI("  7"), 7);
    EXPECT_EQ(AtoI("x7"), 0);
    EXPECT_EQ(AtoI("99999999999"), 2147483647);
    EXPECT_EQ(AtoI("-2147483648"), -2147483647 - 1);
}

TEST(AutoDate, KnownDatesAndRoundTrip) {
    double d = 0;
    ASSERT_TRUE(ToAutomationDate({1899, 12, 30, 0, 0, 0, 0}, d));
    EXPECT_EQ(d, 0.0);
    ASSERT_TRUE(ToAutomationDate({1900, 1, 1, 0, 0, 0, 0}, d));
    EXPECT_EQ(d, 2.0);
    ASSERT_TRUE(ToAutomationDate({2026, 12, 7, 18, 0, 0, 0}, d));
    EXPECT_DOUBLE_EQ(d, 46363.75);
    ASSERT_TRUE(ToAutomationDate({1899, 12, 29, 6, 0, 0, 0}, d));
    EXPECT_DOUBLE_EQ(d, -1.25);

    DateTime back;
    ASSERT_TRUE(FromAutomationDate(46363.75, back));
    EXPECT_EQ(back.year, 2026);
    EXPECT_EQ(back.month, 12);
    EXPECT_EQ(back.day, 7);
    EXPECT_EQ(back.hour, 18);
    ASSERT_TRUE(FromAutomationDate(-1.25, back));
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 6);

    DateTime t{2024, 2, 29, 23, 59, 59, 999};
    ASSERT_TRUE(ToAutomationDate(t, d));
    ASSERT_TRUE(FromAutomationDate(d, back));
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.millisecond, 999);

    EXPECT_FALSE(ToAutomationDate({2023, 2, 29, 0, 0, 0, 0}, d));
    EXPECT_FALSE(FromAutomationDate(std::numeric_limits<double>::infinity(), back));
    EXPECT_DOUBLE_EQ(AutomationDateFromUnix(0, false), 25569.0);
}
