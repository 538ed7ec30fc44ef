// The command's reading of unmeasured points and of tachos that never fire.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "apps/vantrel/job.h"
#include "apps/vantrel/tacho_check.h"
#include "config/cfgproc.h"
#include "file_signal.h"
#include "korvex/host.h"

namespace {

TEST(VantrelNumbers, TableShowsNoLevelForUnmeasuredSignals) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::ostringstream out;
    vantrel::PrintResultTable(out, {{"Acc1", "short", "mm/s", 1, nan, nan, nan}});
    const std::string text = out.str();
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find('0', text.find("short")), std::string::npos) << text;
    EXPECT_NE(text.find('-', text.find("short")), std::string::npos) << text;
}

TEST(VantrelNumbers, TachoChannelWithoutEdgesIsNamedWithItsLevels) {
    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    auto add = [&](const std::string& name, std::vector<double> y) {
        ASSERT_TRUE(testutil::FileSignal(*host, "/Signals/set", name, std::move(y), 1e-3));
    };
    std::vector<double> pulses(4000);
    for (size_t i = 0; i < pulses.size(); ++i) pulses[i] = (i / 20) % 2 ? 5.0 : 0.0;
    add("good", pulses);
    add("flat", std::vector<double>(4000, 1.0));
    add("high", pulses);
    std::vector<double> noise(4000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = std::sin(i * 1.7 + std::sin(i * 0.31) * 40);
    add("noise", noise);
    CCfgProc cfg;
    cfg.srcFileKorvex = "set";
    for (const char* name : {"good", "flat", "high", "noise"}) {
        cfg.channelNames.push_back(name);
        cfg.channels[name] = std::make_unique<CfgChannel>();
        cfg.channels[name]->type = CfgChannelTacho;
    }
    CfgChannel& high = *cfg.channels["high"];
    high.bDefOptTaho = false;
    high.tahoOpt.flagAbsOtn = 0;  // absolute levels above the pulses
    high.tahoOpt.levelLo = 7;
    high.tahoOpt.levelHi = 9;

    std::ostringstream err;
    EXPECT_EQ(vantrel::WarnTachoWithoutEdges(*host, cfg, err), 3);
    const std::string text = err.str();
    EXPECT_EQ(text.find("\"good\""), std::string::npos) << text;
    EXPECT_NE(text.find("tacho channel \"flat\": no edges found between the levels 30 and 70 %"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("tacho channel \"high\": no edges found between the levels 7 and 9 "
                        "(absolute), the signal spanning 0 to 5"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("tacho channel \"noise\": no usable pulses"), std::string::npos) << text;
}

}  // namespace
