// Channel option records: text forms, round trips, odd tokens, effective options.

#include <gtest/gtest.h>

#include <string>

#include "config/cfgchannel.h"

namespace {

TEST(CfgChannel, TextForms) {
    EXPECT_EQ(ToText(CfgSignalOpt{}), "integr=0/valtype=0/bEnabled=0/bShow=0/grNum=2");
    EXPECT_EQ(ToText(CfgFftOpt{}), "nPoints=4096/nOffset=4096/iWindow=1/bMO=0");
    EXPECT_EQ(ToText(CfgTahoOpt{}),
              "typeAxY=1/deltaF=1.00000000/levelLo=30.00000000/levelHi=70.00000000/"
              "coefTaho=1.00000000/flagAbsOtn=1/flagFront=0");
    CfgTahoOpt t;
    t.levelLo = -0.125;
    t.deltaF = 1.0 / 3.0;
    t.levelHi = 1e9;
    EXPECT_EQ(ToText(t),
              "typeAxY=1/deltaF=0.3333333333333333/levelLo=-0.12500000/levelHi=1000000000.00000000/"
              "coefTaho=1.00000000/flagAbsOtn=1/flagFront=0");

    CfgSignalOpt s{"ignored", 42, 2, 1, -3, true, true};
    EXPECT_EQ(ToText(s), "integr=2/valtype=1/bEnabled=1/bShow=1/grNum=-3");
    CfgSignalOpt back = ParseSignalOpt(ToText(s), 42);
    s.name.clear();
    EXPECT_EQ(back, s);
    CfgTahoOpt tb;
    ParseTahoOpt(ToText(t), tb);
    EXPECT_NEAR(tb.deltaF, t.deltaF, 1e-8);
    EXPECT_EQ(tb.levelHi, t.levelHi);
}

// A value the eight decimals cannot hold is written so that it reads back
// exactly; ordinary values keep the fixed form.
TEST(CfgChannel, TachoRecordReloadsTheSameWhereEightDecimalsLoseTheValue) {
    CfgTahoOpt parsed;
    ParseTahoOpt("coefTaho=1e-200/deltaF=0.3333333333333333/levelLo=-1e-9/levelHi=12.5", parsed);
    const std::string text = ToText(parsed);
    EXPECT_NE(text.find("/levelHi=12.50000000/"), std::string::npos) << text;
    CfgTahoOpt back;
    ParseTahoOpt(text, back);
    EXPECT_EQ(back, parsed) << text;
}

// The pulse repair's keys: written only where they differ from the
// defaults, so older records stay as they were, and read back.
TEST(CfgChannel, TachoRepairKeysAreWrittenOnlyWhenSet) {
    const std::string plain = ToText(CfgTahoOpt{});
    EXPECT_EQ(plain.find("Repair"), std::string::npos) << plain;
    CfgTahoOpt t;
    t.flagRepair = 0;
    t.fracExtra = 0.6;
    t.nRevSmooth = 8;
    const std::string text = ToText(t);
    EXPECT_EQ(text, plain + "/flagRepair=0/fracExtra=0.60000000/nRevSmooth=8.00000000");
    CfgTahoOpt back;
    back.dPNTwide = 3;  // a key not in the text takes its default
    ParseTahoOpt(text, back);
    EXPECT_EQ(back, t);
    ParseTahoOpt(plain + "/fracDouble=x/dPNTwide=1.5", back);
    EXPECT_EQ(back.fracDouble, 0.25);
    EXPECT_EQ(back.dPNTwide, 1.5);
    EXPECT_EQ(back.flagRepair, 1);
}

TEST(CfgChannel, SpectrumParserNormalises) {
    CfgFftOpt o;
    ParseFftOpt("nPoints=0/nOffset=-5/iWindow=0/bMO=1", o);
    EXPECT_EQ(o, (CfgFftOpt{4096, 4096, 1, true}));
    ParseFftOpt("nPoints=1024", o);
    EXPECT_EQ(o, (CfgFftOpt{1024, 1024, 1, false}));
    ParseFftOpt("NPOINTS=512", o);  // keys are case-sensitive
    EXPECT_EQ(o.nPoints, 4096);
    ParseFftOpt("nPoints=512/nOffset=128/iWindow=5/bMO=7", o);
    EXPECT_EQ(o, (CfgFftOpt{512, 128, 5, true}));
    // A leading "/" makes the whole text one token whose key is "/nPoints".
    ParseFftOpt("/nPoints=512/nOffset=128", o);
    EXPECT_EQ(o, (CfgFftOpt{4096, 4096, 1, false}));
}

TEST(CfgChannel, TachoParserNormalises) {
    CfgTahoOpt o;
    o.text = "kept";
    ParseTahoOpt("", o);
    EXPECT_EQ(o.typeAxY, 0);
    EXPECT_EQ(o.deltaF, 1.0);
    EXPECT_EQ(o.levelLo, 0.0);
    EXPECT_EQ(o.levelHi, 0.0);
    EXPECT_EQ(o.coefTaho, 1.0);
    EXPECT_EQ(o.flagAbsOtn, 0);
    EXPECT_EQ(o.flagFront, 0);
    EXPECT_EQ(o.text, "kept");
    ParseTahoOpt("deltaF=-2/coefTaho=nan/levelLo=-5.5/flagFront=1", o);
    EXPECT_EQ(o.deltaF, 1.0);
    EXPECT_EQ(o.coefTaho, 1.0);
    EXPECT_EQ(o.levelLo, -5.5);
    EXPECT_EQ(o.flagFront, 1);
}

TEST(CfgChannel, SignalParserOddTokens) {
    CfgSignalOpt o = ParseSignalOpt("integr=1/valtype=2", 9);
    EXPECT_EQ(o.itemId, 9);
    EXPECT_TRUE(o.name.empty());
    EXPECT_EQ(o.integr, 1);
    EXPECT_EQ(o.valtype, 2);
    EXPECT_FALSE(o.bEnabled || o.bShow);
    EXPECT_EQ(o.grNum, 0);  // missing, not the record's default 2
    EXPECT_EQ(ParseSignalOpt("grNum=3/grNum=4", 1).grNum, 4);
    EXPECT_EQ(ParseSignalOpt("grNum=3/=5/grNum", 1).grNum, 3);
    EXPECT_EQ(ParseSignalOpt("grNum=3/grNum=", 1).grNum, 0);
    EXPECT_EQ(ParseSignalOpt("grNum=2.7", 1).grNum, 2);
    EXPECT_EQ(ParseSignalOpt("grNum=3//bShow=1", 1).bShow, true);
}

TEST(CfgChannel, EffectiveOptionsFollowTheDefaultFlags) {
    CfgChannel c;
    c.fftOpt.nPoints = 256;
    EXPECT_EQ(&c.EffectiveFftOpt(), &DefaultFftOpt());
    EXPECT_EQ(&c.EffectiveTahoOpt(), &DefaultTahoOpt());
    c.bDefOptFFT = false;
    c.bDefOptTaho = false;
    EXPECT_EQ(&c.EffectiveFftOpt(), &c.fftOpt);
    EXPECT_EQ(&c.EffectiveTahoOpt(), &c.tahoOpt);
}

}  // namespace

namespace {

// Limits are written only when set and read back exactly; a value that is
// not a finite number is no limit.
TEST(CfgChannel, SignalLimitsRoundTrip) {
    CfgSignalOpt s;
    s.alert = 2.8;
    EXPECT_EQ(ToText(s), "integr=0/valtype=0/bEnabled=0/bShow=0/grNum=2/alert=2.80000000");
    s.danger = 1e-12;
    EXPECT_EQ(ParseSignalOpt(ToText(s), 0), s);
    const CfgSignalOpt bad = ParseSignalOpt("integr=1/alert=abc/danger=inf", 3);
    EXPECT_FALSE(bad.HasLimits());
    EXPECT_EQ(ToText(bad), "integr=1/valtype=0/bEnabled=0/bShow=0/grNum=0");
}

}  // namespace
