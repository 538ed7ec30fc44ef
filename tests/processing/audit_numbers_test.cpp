// Levels that must be in the units their codes say: rpm tachos, the source
// unit's prefix under integration, and points no block measured.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "engine_rig.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"

namespace {

namespace ku = korvex::units;
constexpr double kFs = 6400.0;
const std::string kResult = "/Signals/Результаты/test/";

std::vector<double> Sine(double amplitude, double hz, int n) {
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) y[i] = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / kFs);
    return y;
}

// Channels with a 1024-point spectrum; results looked up below the result
// folder.
struct Rig : testutil::EngineRig {
    void Signal(const std::string& name, std::vector<double> y, uint64_t quantity = 0,
                uint64_t unit = 0) {
        AddSignal(name, std::move(y), 1.0 / kFs, quantity, unit);
    }
    CfgChannel& Channel(const std::string& name, int type) {
        CfgChannel& rec = EngineRig::Channel(name, type);
        rec.bDefOptFFT = false;
        rec.fftOpt = CfgFftOpt{1024, 1024, 3, false};
        return rec;
    }
    std::vector<double> Values(const std::string& path) const {
        return EngineRig::Values(kResult + path);
    }
};

TEST(AuditNumbers, RotationInRpmPlacesBandsInHertz) {
    // A 25 Hz pulse train read by two tacho channels, one set to Hz and one
    // to rpm, and a revolution channel holding 1500 rpm: order 2 of each
    // shaft finds the 50 Hz tone.
    const int n = 6400 * 4;
    std::vector<double> pulses(n);
    for (int i = 0; i < n; ++i) pulses[i] = std::fmod(25.0 * i / kFs, 1.0) < 0.5 ? 1.0 : 0.0;
    Rig rig;
    rig.Signal("hz", pulses);
    rig.Signal("rpm", pulses);
    rig.Signal("rev", std::vector<double>(n, 1500.0), ku::kQuantityRotation, ku::kUnitRpm);
    rig.Signal("vib", Sine(2.0, 50.0, n));
    rig.Channel("hz", CfgChannelTacho);
    CfgChannel& rpm = rig.Channel("rpm", CfgChannelTacho);
    rpm.bDefOptTaho = false;
    rpm.tahoOpt.typeAxY = 2;
    rig.Channel("rev", CfgChannelRevolution);
    rig.Channel("vib", CfgChannelMeasuring);
    for (const char* shaft : {"hz.taho", "rpm.taho", "rev.grad"}) {
        auto* t = rig.Add<CCfgProcTaho>(std::string("T") + shaft);
        t->tachoChannel = shaft;
        t->bandWidth.tachoRefId = t->id;
        auto* order = rig.Add<CCfgProcBandTrack>(std::string("O") + shaft);
        order->components.push_back({t->name, t->id, 2.0});
        order->bandWidth.tachoRefId = t->id;
        rig.Select("vib", order);
    }
    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());
    // The rpm curve stays in rpm, as the user asked.
    EXPECT_NEAR(rig.Values("Тахо/rpm.taho").at(1), 1500.0, 1.0);
    const double rms = 2.0 / std::sqrt(2.0);
    for (const char* shaft : {"hz.taho", "rpm.taho", "rev.grad"}) {
        SCOPED_TRACE(shaft);
        const std::vector<double> levels = rig.Values(std::string("vib/vib.O") + shaft);
        ASSERT_EQ(levels.size(), 25u);
        for (size_t k = 1; k + 1 < levels.size(); ++k) EXPECT_NEAR(levels[k], rms, rms * 0.02);
    }
}

TEST(AuditNumbers, IntegratedLevelIsInTheUnitItsCodeSays) {
    // One physical vibration given in four units: the same number comes out.
    const int n = 6400;
    const double hz = 200.0, w = 2.0 * std::numbers::pi * hz;
    const uint64_t mmPerS2 = ku::MakeUnitCode(0x1, 0xFD001301);
    Rig rig;
    rig.Signal("ms2", Sine(10.0, hz, n), ku::kQuantityAcceleration, ku::kUnitMeterPerSecond2);
    rig.Signal("mms2", Sine(10000.0, hz, n), ku::kQuantityAcceleration, mmPerS2);
    rig.Signal("ms", Sine(10.0 / w, hz, n), ku::kQuantityVelocity, ku::kUnitMeterPerSecond);
    rig.Signal("mms", Sine(10000.0 / w, hz, n), ku::kQuantityVelocity,
               ku::kUnitMillimeterPerSecond);
    auto* band = rig.Fixed("b", 150.0, 250.0);
    for (const char* ch : {"ms2", "mms2", "ms", "mms"}) {
        rig.Channel(ch, CfgChannelMeasuring);
        rig.Select(ch, band, 1);
    }
    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());
    const double velocityMm = 10.0 / std::sqrt(2.0) / w * 1e3;  // mm/s
    const double displacementUm = velocityMm / w * 1e3;         // um
    struct Case {
        const char* ch;
        double want;
        uint64_t unit;
    } cases[] = {{"ms2", velocityMm, ku::kUnitMillimeterPerSecond},
                 {"mms2", velocityMm, ku::kUnitMillimeterPerSecond},
                 {"ms", displacementUm, ku::kUnitMicrometer},
                 {"mms", displacementUm, ku::kUnitMicrometer}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        const std::string path = std::string(c.ch) + "/" + c.ch + ".b";
        const std::vector<double> levels = rig.Values(path);
        ASSERT_EQ(levels.size(), 6u);
        EXPECT_NEAR(levels[2], c.want, c.want * 0.01);
        const host::Signal s(plat::DispPtr(rig.kh->FindSignal(kResult + path)));
        EXPECT_EQ(s.GetAxisCode(2, 1), c.unit);
    }
}

TEST(AuditNumbers, PointsNoBlockMeasuredAreNotANumber) {
    Rig rig;
    std::vector<double> broken = Sine(1.0, 100.0, 3072);
    broken[1500] = std::nan("");  // the second block's spectrum fails
    rig.Signal("broken", broken);
    rig.Signal("short", Sine(1.0, 100.0, 1000));  // shorter than one block: one point
    rig.Channel("broken", CfgChannelMeasuring);
    rig.Channel("short", CfgChannelMeasuring);
    auto* band = rig.Fixed("band", 50.0, 150.0);
    auto* off = rig.Fixed("off", 50.0, 150.0);
    off->enabled = false;
    for (const char* ch : {"broken", "short"}) {
        rig.Select(ch, band);
        rig.Select(ch, off);
    }
    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());
    const std::vector<double> levels = rig.Values("broken/broken.band");
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_NEAR(levels[0], std::sqrt(0.5), 0.01);
    EXPECT_TRUE(std::isnan(levels[1]));
    EXPECT_NEAR(levels[2], std::sqrt(0.5), 0.01);
    for (const char* path : {"broken/broken.off", "short/short.band", "short/short.off"}) {
        SCOPED_TRACE(path);
        const std::vector<double> v = rig.Values(path);
        ASSERT_FALSE(v.empty());
        for (double x : v) EXPECT_TRUE(std::isnan(x));
    }
}

}  // namespace
