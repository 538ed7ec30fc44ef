// Processing-page rules: block sizes and offsets, tacho texts, common values, locale.

#include <gtest/gtest.h>

#include <clocale>

#include "ui/rules/procrules.h"

using namespace procrules;

TEST(BlockLists, SizesAndEntriesMapBothWays) {
    EXPECT_EQ(BlockSize(0), 32);
    EXPECT_EQ(BlockSize(15), 1048576);
    EXPECT_EQ(BlockSize(-3), 32);
    EXPECT_EQ(BlockSize(40), 1048576);
    EXPECT_EQ(BlockEntry(256), 3);
    EXPECT_EQ(BlockEntry(2097152), 15);  // larger sizes show the largest entry
    EXPECT_EQ(BlockEntry(16), 0);
    EXPECT_EQ(BlockEntry(1000), 4);  // 512
    for (int i = 0; i < kBlockEntries; ++i) EXPECT_EQ(BlockEntry(BlockSize(i)), i);
}

TEST(BlockLists, OffsetsFollowTheBlockSize) {
    EXPECT_EQ(OffsetEntry(1024, 4096), 0);   // 1/4
    EXPECT_EQ(OffsetEntry(4096, 4096), 3);   // 1
    EXPECT_EQ(OffsetEntry(12288, 4096), 5);  // 3
    EXPECT_EQ(BlockOffset(4, 1024), 2048);   // "2"
    EXPECT_EQ(BlockOffset(1, 1024), 512);
    EXPECT_EQ(BlockOffset(-1, 1024), 1024);
    EXPECT_EQ(OffsetEntry(100, 0), -1);
    for (int k = 0; k < kOffsetEntries; ++k) EXPECT_EQ(OffsetEntry(BlockOffset(k, 8192), 8192), k);
}

TEST(TachoTexts, PointsSecondsLevelsAndCoefficient) {
    EXPECT_EQ(PointsText(0.001, 1.0), "1000 тчк.");
    EXPECT_EQ(PointsText(0.0, 1.0), "");
    EXPECT_EQ(SecondsText(1.0 / 2.048), "2.0480 сек.");
    EXPECT_EQ(LevelText(0.3, 0), "0.3000");
    EXPECT_EQ(LevelText(30, 1), "30.00%");
    EXPECT_EQ(CoefText(1), "1.00000000");
    EXPECT_EQ(ConvertLevelText("0.7000", 1), "70.00%");
    EXPECT_EQ(ConvertLevelText("50.00%", 0), "0.5000");
    EXPECT_EQ(ConvertLevelText("", 0), "");
    EXPECT_DOUBLE_EQ(LeadingNumber("50.00%"), 50.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ConvertLevel(0.3, 0, 1), 30.0);
    EXPECT_DOUBLE_EQ(ConvertLevel(30, 1, 1), 30.0);
    EXPECT_DOUBLE_EQ(ConvertLevel(30, 1, 0), 0.3);
}

TEST(TachoTexts, DoNotDependOnTheNumericLocale) {
    const char* had = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = had ? had : "C";
    const bool comma =
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
    EXPECT_EQ(LevelText(0.3, 0), "0.3000");
    EXPECT_DOUBLE_EQ(LeadingNumber("0.25"), 0.25);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST(Records, CommonValuesLayoutAndMarks) {
    CfgChannel a, b;
    Records both{&a, &b};
    EXPECT_EQ(Common<bool>(both, [](const CfgChannel& c) { return c.check; }), false);
    b.check = true;
    EXPECT_FALSE(Common<bool>(both, [](const CfgChannel& c) { return c.check; }).has_value());
    EXPECT_FALSE(Common<bool>({}, [](const CfgChannel& c) { return c.check; }).has_value());

    EXPECT_EQ(CommonType(both), CfgChannelMeasuring);
    b.type = CfgChannelTacho;
    EXPECT_EQ(CommonType(both), 0);
    EXPECT_FALSE(LayoutFor(0).band || LayoutFor(0).fft || LayoutFor(0).taho);
    EXPECT_FALSE(LayoutFor(3).band || LayoutFor(3).taho);
    EXPECT_TRUE(LayoutFor(1).band && LayoutFor(1).fft && !LayoutFor(1).taho);
    EXPECT_TRUE(LayoutFor(2).taho && !LayoutFor(2).band);
    EXPECT_FALSE(LayoutFor(7).changed);

    CCfgProcBandFix band;
    EXPECT_EQ(LeafMark(band, {}), kMarkOff);
    EXPECT_EQ(LeafMark(band, both), kMarkOff);  // reading creates the options, off
    EXPECT_EQ(a.signalOpts.count(band.id), 1u);
    EXPECT_EQ(a.signalOpts[band.id].grNum, 2);
    a.signalOpts[band.id].bEnabled = true;
    EXPECT_EQ(LeafMark(band, both), kMarkPartial);
    b.signalOpts[band.id].bEnabled = true;
    EXPECT_EQ(LeafMark(band, both), kMarkNone);
}

TEST(Limits, AlertAboveDangerOrNoNumberIsRefusedNamingTheFields) {
    CCfgProcBandFix band;
    CfgChannel a, b;
    SignalOpt(a, band).danger = 4.5;
    SignalOpt(b, band).danger = 2.0;
    const Records both{&a, &b};
    const TypedLimit untouched;
    auto typed = [](const char* text) { return TypedLimit{true, text}; };
    EXPECT_FALSE(LimitsFault(both, band, typed("1.5"), untouched));
    EXPECT_FALSE(LimitsFault(both, band, typed("2"), untouched));  // equal is allowed
    const std::string both_named = "Поле 'Предупреждение' не может быть больше поля 'Авария'.";
    EXPECT_EQ(LimitsFault(both, band, typed("2,5"), untouched), both_named);  // above b's own
    EXPECT_EQ(LimitsFault({&a}, band, typed("5"), typed("4")), both_named);
    EXPECT_FALSE(LimitsFault(both, band, typed("5"), typed("")));  // no danger limit any more
    EXPECT_FALSE(LimitsFault(both, band, typed(""), typed("1")));
    SignalOpt(a, band).alert = 3.0;
    EXPECT_EQ(LimitsFault({&a}, band, untouched, typed("2.9")), both_named);
    EXPECT_EQ(LimitsFault(both, band, typed("1.5 mm/s"), untouched),
              "Поле 'Предупреждение': нужно число.");
    EXPECT_EQ(LimitsFault(both, band, untouched, typed("x")), "Поле 'Авария': нужно число.");
}

TEST(EnvelopeBand, BordersReadWholeWithPointOrCommaAndKeptOnlyAsTheFileWould) {
    auto band = [](const char* lo, const char* hi) { return ReadEnvelopeBand(lo, hi); };
    ASSERT_TRUE(band("", " "));
    EXPECT_EQ(band("", " ")->hi, 0.0);  // none
    ASSERT_TRUE(band("0", "1500,5"));
    EXPECT_EQ(band("0", "1500,5")->hi, 1500.5);
    EXPECT_EQ(band(" 2000.25", "6000 ")->lo, 2000.25);
    for (auto [lo, hi] : {std::pair{"3000", "2000"},
                          {"2000", "2000"},
                          {"-1", "2000"},
                          {"2000", ""},
                          {"2 kHz", "6000"},
                          {"2000", "inf"},
                          {"1,5,3", "9"}})
        EXPECT_FALSE(band(lo, hi)) << lo << " " << hi;
    CfgChannel c;
    EXPECT_EQ(EnvelopeBorderText(c, true), "");
    c.envLo = 0;
    c.envHi = 12000;
    EXPECT_EQ(EnvelopeBorderText(c, false), "0");
    EXPECT_EQ(EnvelopeBorderText(c, true), "12000");
}
