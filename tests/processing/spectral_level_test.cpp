// The spectrum at a block's middle time, summed over a band, against the
// level the engine measured for that block: both must be the same numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine_rig.h"
#include "korvex/dsp/spectral.h"
#include "korvex/dsp/spectralmap.h"
#include "processing/ordprocessing.h"

namespace {

TEST(SpectralLevels, BandOfTheSpectrumAtABlockIsTheEngineLevel) {
    const double fs = 6400.0;
    const int n = 1024, step = 384;
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.3);
    std::vector<double> y(6400 * 3);
    for (size_t i = 0; i < y.size(); ++i)
        y[i] = 2.0 * std::sin(2.0 * std::numbers::pi * 97.3 * i / fs) + 0.4 + noise(rng);
    const struct {
        const char* name;
        double lo, hi;
    } bands[] = {{"low", 50.0, 150.0}, {"odd", 400.3, 1210.7}, {"top", 3000.0, 3200.0}};

    for (int window = 1; window <= 5; ++window) {
        const bool removeMean = window % 2 == 0;
        SCOPED_TRACE("window " + std::to_string(window));
        testutil::EngineRig rig;
        rig.AddSignal("acc", y, 1.0 / fs);
        CfgChannel& ch = rig.Channel("acc", CfgChannelMeasuring);
        ch.bDefOptFFT = false;
        ch.fftOpt = CfgFftOpt{n, step, window, removeMean};
        for (const auto& b : bands) rig.Select("acc", rig.Fixed(b.name, b.lo, b.hi));
        rig.cfg.bandFrequencies = true;
        COrdProcessing engine(rig.app, &rig.cfg);
        ASSERT_TRUE(engine.Run());

        const auto src = rig.kh->FindSignal("/Signals/test/acc");
        korvex::SpectrumParams p;
        p.n = n;
        p.window = window;
        p.removeMean = removeMean;
        p.amplitude = korvex::SpectrumAmplitude::Power;
        for (const auto& b : bands) {
            const auto level =
                rig.kh->FindSignal(std::string("/Signals/Результаты/test/acc/acc.") + b.name);
            ASSERT_TRUE(level);
            const std::vector<double> v = level->Samples();
            ASSERT_GT(v.size(), 40u);
            // The borders the engine files cover the same lines.
            const std::string strip =
                std::string("/Signals/Результаты/test/acc/Частоты полос/") + b.name;
            const std::vector<double> lo = rig.Values(strip + ".lo"),
                                      hi = rig.Values(strip + ".hi");
            ASSERT_EQ(lo.size(), v.size());
            for (size_t k = 0; k < v.size(); k += 7) {
                const double t = level->StartX() + level->StepX() * static_cast<double>(k);
                const korvex::Spectrum s = korvex::SpectrumAt(*src, t, p);
                ASSERT_EQ(s.error, "");
                EXPECT_EQ(s.firstSample, k * step);
                EXPECT_NEAR(korvex::BandRms(s, b.lo, b.hi), v[k], v[k] * 1e-9) << b.name << k;
                EXPECT_NEAR(korvex::BandRms(s, lo[k], hi[k]), v[k], v[k] * 1e-9) << b.name << k;
            }
        }
        // The columns of a time map stand at the times of the engine's points.
        korvex::MapParams mp;
        mp.spectrum = p;
        mp.spectrum.overlap = 100.0 * (n - step) / n;
        const korvex::MapResult map =
            korvex::ComputeMap(korvex::SignalSnapshot::Of(*src), nullptr, mp);
        ASSERT_EQ(map.error, "");
        const auto level = rig.kh->FindSignal("/Signals/Результаты/test/acc/acc.low");
        ASSERT_EQ(map.Columns(), level->PointCount());
        EXPECT_NEAR(map.x.back(), level->StartX() + level->StepX() * (map.Columns() - 1), 1e-9);
    }
}

}  // namespace
