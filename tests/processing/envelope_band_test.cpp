// A channel with an envelope band: its bands are measured in the spectrum of
// the band's envelope, so a band at the modulation's rate reads the
// modulation; the same channel without it reads no such line.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "config/cfgfile.h"
#include "engine_rig.h"
#include "platform/profile.h"
#include "processing/ordprocessing.h"

namespace {

std::vector<double> Levels(bool envelope) {
    const double fs = 8192.0, fm = 96.0, a = 2.0, m = 0.5;
    std::vector<double> y(8192 * 3);
    for (size_t i = 0; i < y.size(); ++i) {
        const double t = static_cast<double>(i) / fs;
        y[i] = a * (1 + m * std::cos(2 * std::numbers::pi * fm * t)) *
                   std::sin(2 * std::numbers::pi * 2500 * t) +
               10 * std::sin(2 * std::numbers::pi * 90 * t);
    }
    testutil::EngineRig rig;
    rig.AddSignal("acc", y, 1.0 / fs);
    CfgChannel& ch = rig.Channel("acc", CfgChannelMeasuring);
    ch.bDefOptFFT = false;
    ch.fftOpt = CfgFftOpt{2048, 2048, 3, false};
    if (envelope) {
        ch.envLo = 2000;
        ch.envHi = 3000;
    }
    rig.Select("acc", rig.Fixed("fm", 80, 112));
    COrdProcessing engine(rig.app, &rig.cfg);
    EXPECT_TRUE(engine.Run());
    return rig.Values("/Signals/Результаты/test/acc/acc.fm");
}

TEST(EnvelopeBand, BandsReadTheEnvelopesLines) {
    const std::vector<double> env = Levels(true), plain = Levels(false);
    ASSERT_EQ(env.size(), 12u);
    // RMS of the envelope's line a * m, within the band's share of the
    // window's lobe; the plain spectrum reads the 90 Hz tone instead.
    for (double v : env) EXPECT_NEAR(v, 2.0 * 0.5 / std::sqrt(2.0), 0.02);
    for (double v : plain) EXPECT_NEAR(v, 10 / std::sqrt(2.0), 0.1);
}

TEST(EnvelopeBand, KeyWrittenOnlyWhenSet) {
    CCfgProc cfg;
    cfg.channels["acc"] = std::make_unique<CfgChannel>();
    CfgChannel* ch = cfg.channels["acc"].get();
    plat::ProfileFile ini;
    WriteConfig(cfg, ini);
    std::string v;
    EXPECT_FALSE(ini.GetNonEmpty("channels", "cnl0_envBand", v));
    ch->envLo = 1500.5;
    ch->envHi = 4000;
    WriteConfig(cfg, ini);
    ASSERT_TRUE(ini.GetNonEmpty("channels", "cnl0_envBand", v));
    EXPECT_EQ(v, "1500.5,4000");
    CCfgProc back;
    ReadConfig(back, ini);
    ASSERT_TRUE(back.channels["acc"]);
    EXPECT_EQ(back.channels["acc"]->envLo, 1500.5);
    EXPECT_EQ(back.channels["acc"]->envHi, 4000);
}

}  // namespace
