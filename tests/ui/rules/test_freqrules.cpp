// Rules of the frequency-base page that need no widgets.

#include <gtest/gtest.h>

#include "ui/rules/freqrules.h"

using namespace freqrules;

TEST(FreqRules, FactorTextDropsTrailingZeros) {
    EXPECT_EQ(FactorText(2.5), "2.5");
    EXPECT_EQ(FactorText(10.0), "10");
    EXPECT_EQ(FactorText(-0.5), "-0.5");
    EXPECT_EQ(FactorText(0.1234), "0.123");
    EXPECT_EQ(FactorText(100.0), "100");  // zeros of the integer part stay
}

TEST(FreqRules, FormulaSignsSkipsZerosAndNamesTachoItems) {
    const std::vector<CfgBandComponent> c = {
        {"T1", 1, 1.0}, {"T2", 2, -0.5}, {"T3", 3, 0.0}, {"", -1, 3.0}};
    EXPECT_EQ(Formula(c), "1*T1 - 0.5*T2 + 3");
    EXPECT_EQ(Formula({{"T2", 2, -2.0}}), "-2*T2");
    EXPECT_EQ(Formula({}), "");
}

TEST(FreqRules, ComponentsPlacedByTachoPosition) {
    const TachoList list = {{11, "T1"}, {12, "T2"}, {13, "T3"}, {14, "T4"}};
    const TrackRows r = PlaceComponents({{"T2", 12, 2.0}, {"T4", 14, 4.0}, {"x", 99, 7.0}}, list);
    EXPECT_FALSE(r.factors[0]);
    EXPECT_EQ(r.factors[1], 2.0);
    EXPECT_FALSE(r.factors[2]);
    // Not in the list: shown as the constant; the fourth item has no row.
    EXPECT_EQ(r.constant, 7.0);
}

TEST(FreqRules, ComponentsBuiltFromNonEmptyRowsWithTachoEntries) {
    const TachoList list = {{11, "T1"}, {12, "T2"}};
    const auto c = BuildComponents(list, {"1.5", "", "9"}, "abc");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0], (CfgBandComponent{"T1", 11, 1.5}));
    // No third tacho item: the third row is dropped; text that is no number is 0.
    EXPECT_EQ(c[1], (CfgBandComponent{"", -1, 0.0}));
}

TEST(FreqRules, TachoCandidatesAndGradSuffix) {
    CCfgProc cfg;
    auto add = [&](const std::string& name, int type) {
        cfg.channelNames.push_back(name);
        auto ch = std::make_unique<CfgChannel>();
        ch->type = type;
        cfg.channels[name] = std::move(ch);
    };
    add("Acc", CfgChannelMeasuring);
    add("Pulse", CfgChannelTacho);
    add("Rpm", CfgChannelRevolution);
    cfg.channelNames.push_back("NoRecord");
    const auto cands = TachoCandidates(cfg);
    EXPECT_EQ(cands, (std::vector<std::string>{"Pulse.taho", "Rpm"}));
    EXPECT_EQ(TachoLookupText("Rpm.grad", cands), "Rpm");
    EXPECT_EQ(TachoLookupText(".grad", cands), ".grad");  // at the first character
    const std::vector<std::string> withGrad = {"Rpm.grad"};
    EXPECT_EQ(TachoLookupText("Rpm.grad", withGrad), "Rpm.grad");  // itself a candidate
}

TEST(FreqRules, WidthModesAndTypedValues) {
    CfgBandWidth bw;
    SetWidthMode(bw, kWidthBins);
    EXPECT_FALSE(bw.relativeBorders);
    EXPECT_TRUE(bw.inFftBins);
    TypeWidth(bw, "4.7");
    EXPECT_EQ(bw.fftBinsValue, 4);
    EXPECT_EQ(WidthText(bw), "4");
    EXPECT_EQ(MinText(bw), "");
    SetWidthMode(bw, kWidthHz);
    TypeWidth(bw, "12.25");
    EXPECT_EQ(bw.physicalValue, 12.25);
    EXPECT_EQ(WidthModeOf(bw), kWidthHz);
    SetWidthMode(bw, kWidthPercent);
    TypeWidth(bw, "5");
    EXPECT_EQ(bw.percentValue, 5.0);
    SetMinMode(bw, kMinHz);
    TypeMin(bw, "2.5");
    EXPECT_EQ(bw.physicalValue, 2.5);
    EXPECT_EQ(MinText(bw), "2.500");
}

TEST(FreqRules, DialogFiltersAndFolders) {
    EXPECT_EQ(DialogFilters("Файлы JSON|*.json||"),
              (std::vector<std::string>{"Файлы JSON (*.json)"}));
    EXPECT_EQ(DialogFilters("A|*.a;*.b|B|*.c||"),
              (std::vector<std::string>{"A (*.a *.b)", "B (*.c)"}));
    EXPECT_EQ(FolderOf("/tmp/x/base.json"), "/tmp/x/");
    EXPECT_EQ(FolderOf("base.json"), "");
}
