// Spectrum scaling and the tacho curve, checked against signals whose true
// values are known analytically.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>

#include "korvex/dsp/dsp.h"

namespace korvex {
namespace {

using std::numbers::pi;

OperatorParams SpectrumParams(int window, bool mo = false) {
    OperatorParams p;
    EXPECT_TRUE(
        p.Parse("kindFunc=2, numPoints=4096, typeWindow=1, isMO=0, prs_strCorr=, prs_typeCorr=0"));
    p.Set("typeWindow", window);
    p.Set("isMO", mo ? 1.0 : 0.0);
    return p;
}

std::vector<double> Sine(size_t n, double dt, double amp, double freq, double phase = 0.3) {
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = amp * std::sin(2 * pi * freq * i * dt + phase);
    return x;
}

double BandRms(const SpectrumResult& r, size_t from, size_t to) {
    double sum = 0;
    for (size_t k = from; k <= to && k < r.power.size(); ++k) sum += r.power[k];
    return std::sqrt(sum) * r.rmscoef;
}

TEST(OperatorParams, ParsesTheOperatorStringsAndOverrides) {
    OperatorParams p;
    ASSERT_TRUE(
        p.Parse("typeAxesX=1, deltaF=1, LevelLo=30,LevelHi = 70 , log_OpZn=2e-005, "
                "prs_strCorr=, freqTab=10,20, 30"));
    EXPECT_EQ(p.Number("LevelHi", 0), 70);
    EXPECT_DOUBLE_EQ(p.Number("log_OpZn", 0), 2e-5);
    EXPECT_TRUE(p.Has("prs_strCorr"));
    EXPECT_EQ(p.Text("prs_strCorr"), "");
    EXPECT_EQ(p.Number("prs_strCorr", 7.5), 7.5);  // empty reads as the default
    EXPECT_EQ(p.Text("freqTab"), "10,20,30");
    EXPECT_EQ(p.Number("missing", -1), -1);
    EXPECT_EQ(p.Number("typeaxesx", -1), -1);  // keys are case-sensitive

    p.Set("deltaF", 0.25);
    EXPECT_EQ(p.Number("deltaF", 0), 0.25);
    p.Set("coefTaho", 1.0 / 3.0);
    EXPECT_EQ(p.Number("coefTaho", 0), 1.0 / 3.0);  // exact round trip
    p.SetText("LevelLo", "abc");
    EXPECT_EQ(p.Number("LevelLo", 5), 5);

    // Malformed text leaves the set as it was.
    EXPECT_FALSE(p.Parse("=3, a=1"));
    EXPECT_FALSE(p.Parse("nokey, a=1"));
    EXPECT_EQ(p.Number("deltaF", 0), 0.25);
    EXPECT_TRUE(p.Parse(""));
    EXPECT_FALSE(p.Has("deltaF"));
}

TEST(AutoSpectrum, ToneOnALineReadsItsMeanSquareWithEveryWindow) {
    const size_t n = 4096;
    const double dt = 1.0 / 8192, amp = 3.0;
    const size_t line = 500;
    auto x = Sine(n, dt, amp, line / (n * dt));
    for (int w = 1; w <= 5; ++w) {
        SpectrumResult r;
        ASSERT_EQ(AutoSpectrum(x, dt, SpectrumParams(w), r), 0) << "window " << w;
        ASSERT_EQ(r.power.size(), n / 2 + 1);
        EXPECT_DOUBLE_EQ(r.df, 2.0);
        EXPECT_NEAR(r.power[line], amp * amp / 2, 1e-9) << "window " << w;
        // Exact for the cosine windows; the triangle's far side lobes hold a little.
        EXPECT_NEAR(BandRms(r, line - 8, line + 8), amp / std::sqrt(2.0), w == 2 ? 1e-4 : 1e-9)
            << "window " << w;
        EXPECT_LT(r.power[line + 20], 1e-12) << "window " << w;
    }
    // ENBW of the known windows: rectangular 1, Hanning 1.5, Blackman 1.7268.
    SpectrumResult r;
    AutoSpectrum(x, dt, SpectrumParams(1), r);
    EXPECT_DOUBLE_EQ(r.rmscoef, 1.0);
    AutoSpectrum(x, dt, SpectrumParams(3), r);
    EXPECT_NEAR(r.rmscoef, 1 / std::sqrt(1.5), 1e-12);
    AutoSpectrum(x, dt, SpectrumParams(4), r);
    EXPECT_NEAR(r.rmscoef, 1 / std::sqrt(1.72676), 1e-5);
}

TEST(AutoSpectrum, BandSumTimesRmscoefGivesTheRmsOffLineAndForNoise) {
    const size_t n = 4096;
    const double dt = 1e-3, amp = 2.0;
    for (double offset : {0.0, 0.25, 0.5}) {
        auto x = Sine(n, dt, amp, (700.0 + offset) / (n * dt));
        for (int w = 1; w <= 5; ++w) {
            SpectrumResult r;
            ASSERT_EQ(AutoSpectrum(x, dt, SpectrumParams(w), r), 0);
            // Wide enough for the rectangular window's slow side lobes.
            EXPECT_NEAR(BandRms(r, 650, 750) / (amp / std::sqrt(2.0)), 1.0, 0.005)
                << "window " << w << " offset " << offset;
        }
    }

    std::mt19937 rng(12345);
    const double sigma = 1.7;
    std::normal_distribution<double> noise(0.0, sigma);
    std::vector<double> x(65536);
    for (double& v : x) v = noise(rng);
    for (int w = 1; w <= 5; ++w) {
        SpectrumResult r;
        ASSERT_EQ(AutoSpectrum(x, dt, SpectrumParams(w), r), 0);
        EXPECT_NEAR(BandRms(r, 1, x.size() / 2 - 1) / sigma, 1.0, 0.03) << "window " << w;
    }
}

TEST(AutoSpectrum, MeanRemovalOddSizesAndReuseOfOutput) {
    const size_t n = 1000;
    const double dt = 0.01;
    auto x = Sine(n, dt, 1.0, 10.0 / (n * dt));
    for (double& v : x) v += 5.0;
    SpectrumResult r;
    ASSERT_EQ(AutoSpectrum(x, dt, SpectrumParams(3, false), r), 0);
    EXPECT_NEAR(r.power[0], 25.0, 1e-9);  // DC line holds mean squared
    ASSERT_EQ(AutoSpectrum(x, dt, SpectrumParams(3, true), r), 0);
    EXPECT_LT(r.power[0], 1e-20);
    EXPECT_NEAR(r.power[10], 0.5, 1e-9);

    // Odd N has no Nyquist line; every line above DC is doubled.
    auto odd = Sine(999, dt, 1.0, 100.0 / (999 * dt));
    ASSERT_EQ(AutoSpectrum(odd, dt, SpectrumParams(1), r), 0);
    EXPECT_EQ(r.power.size(), 500u);
    EXPECT_NEAR(r.power[100], 0.5, 1e-9);
    // Nyquist of even N is not doubled: an alternating +-a reads a*a.
    std::vector<double> alt = {1, -1, 1, -1, 1, -1};
    ASSERT_EQ(AutoSpectrum(alt, dt, SpectrumParams(1), r), 0);
    EXPECT_NEAR(r.power.back(), 1.0, 1e-12);
    std::vector<double> two = {1, 3};
    ASSERT_EQ(AutoSpectrum(two, dt, SpectrumParams(1), r), 0);
    EXPECT_NEAR(r.power[0], 4.0, 1e-12);
}

// Displacement of a band from an acceleration spectrum, integrated twice as
// the engine does it: the lowest lines weigh 1/f^4, so any power that
// centring puts near line 0 shows at once.
double DisplacementRms(const SpectrumResult& r, size_t from, size_t to) {
    double sum = 0;
    for (size_t k = from; k <= to && k < r.power.size(); ++k) {
        const double w = 2 * pi * r.df * static_cast<double>(k);
        sum += r.power[k] / (w * w * w * w);
    }
    return std::sqrt(sum) * r.rmscoef;
}

TEST(AutoSpectrum, CentringLeavesAnOffLineToneAloneWithEveryWindow) {
    // 159 Hz is between lines 25 and 26 (df 6.25 Hz); a band of 10-1000 Hz
    // covers lines 1 to 160. A window's own leakage into the lowest lines
    // (large for the rectangular and triangular ones) is the same with and
    // without centring; centring may only remove power, never add it.
    const size_t n = 4096;
    const double dt = 1.0 / 25600;
    const auto tone = Sine(n, dt, 1.0, 159.0);
    auto offset = tone;
    for (double& v : offset) v += 3.0;
    const double w = 2 * pi * 159.0;
    const double truth = 1.0 / std::sqrt(2.0) / (w * w);
    for (int window = 1; window <= 5; ++window) {
        SCOPED_TRACE(window);
        SpectrumResult plain, centred, shifted;
        ASSERT_EQ(AutoSpectrum(tone, dt, SpectrumParams(window, false), plain), 0);
        ASSERT_EQ(AutoSpectrum(tone, dt, SpectrumParams(window, true), centred), 0);
        ASSERT_EQ(AutoSpectrum(offset, dt, SpectrumParams(window, true), shifted), 0);
        const double without = DisplacementRms(plain, 1, 160);
        const double with = DisplacementRms(centred, 1, 160);
        EXPECT_LE(std::abs(with - truth), std::abs(without - truth) + truth * 0.005);
        if (window >= 3) {
            EXPECT_NEAR(with, without, without * 0.005);
        }
        EXPECT_NEAR(DisplacementRms(shifted, 1, 160), with, with * 1e-6);
        EXPECT_LT(shifted.power[0], 1e-20);  // the offset is gone from line 0
    }
}

TEST(AutoSpectrum, BadInputGivesStatusAndNoOutput) {
    SpectrumResult r;
    const std::vector<double> ok = {1, 2, 3, 4};
    ASSERT_EQ(AutoSpectrum(ok, 1.0, SpectrumParams(1), r), 0);
    const std::vector<double> one = {1};
    EXPECT_EQ(AutoSpectrum(one, 1.0, SpectrumParams(1), r), kDspTooShort);
    EXPECT_TRUE(r.power.empty());
    EXPECT_EQ(r.state, kDspTooShort);
    EXPECT_EQ(AutoSpectrum(ok, 0.0, SpectrumParams(1), r), kDspBadStep);
    EXPECT_EQ(AutoSpectrum(ok, NAN, SpectrumParams(1), r), kDspBadStep);
    const std::vector<double> nan = {1, NAN, 3, 4};
    EXPECT_EQ(AutoSpectrum(nan, 1.0, SpectrumParams(1), r), kDspBadSample);
    const std::vector<double> inf = {1, 2, INFINITY, 4};
    EXPECT_EQ(AutoSpectrum(inf, 1.0, SpectrumParams(1), r), kDspBadSample);
    EXPECT_EQ(AutoSpectrum(ok, 1.0, SpectrumParams(6), r), kDspBadWindow);
    EXPECT_EQ(AutoSpectrum(ok, 1.0, SpectrumParams(0), r), kDspBadWindow);
    // Where the window is zero, and with the mean removed.
    const std::vector<double> nan0 = {NAN, 1, 2, 3};
    EXPECT_EQ(AutoSpectrum(nan0, 1.0, SpectrumParams(3, true), r), kDspBadSample);
    const std::vector<double> infs = {1, INFINITY, -INFINITY, 4};
    EXPECT_EQ(AutoSpectrum(infs, 1.0, SpectrumParams(5), r), kDspBadSample);
    OperatorParams frac;
    frac.Set("typeWindow", 2.5);
    EXPECT_EQ(AutoSpectrum(ok, 1.0, frac, r), kDspBadWindow);
    EXPECT_TRUE(r.power.empty());
}

TEST(AutoSpectrum, ConcurrentCallsOfMixedSizesMatchSingleThreaded) {
    std::vector<std::vector<double>> inputs;
    std::vector<SpectrumResult> expected(6);
    for (size_t i = 0; i < expected.size(); ++i) {
        inputs.push_back(Sine(1000 + 517 * i, 1e-3, 1.0 + i, 37.0 + i));
        ASSERT_EQ(AutoSpectrum(inputs[i], 1e-3, SpectrumParams(1 + i % 5), expected[i]), 0);
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            SpectrumResult r;
            for (int rep = 0; rep < 50; ++rep) {
                const size_t i = (rep + t) % inputs.size();
                if (AutoSpectrum(inputs[i], 1e-3, SpectrumParams(1 + i % 5), r) != 0 ||
                    r.power != expected[i].power)
                    ++mismatches[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

// A pulse train of one pulse per revolution from the phase phi(t) in
// revolutions: high while the fractional phase is below duty.
template <class Phi>
std::vector<double> Pulses(size_t n, double dt, Phi phi, double duty = 0.5, double low = 0.0,
                           double high = 1.0) {
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) {
        double p = phi(i * dt);
        x[i] = p - std::floor(p) < duty ? high : low;
    }
    return x;
}

OperatorParams TachoParams() {
    OperatorParams p;
    EXPECT_TRUE(p.Parse(
        "typeAxesX=1, deltaF=1, LevelLo=30, LevelHi=70, level_dF=1, dPNTwide=0.5, coefTaho=1, "
        "flagFront=0, flagAbsOtn=1, flagFiltrTaho=0, flagFiltrTahoSrc=0, bTahoFFT=0, "
        "nPointsFFT=65536, deltaF_nd=0, typeBlkSett=0, nPeriods=0, freqTab="));
    return p;
}

TEST(Tacho, RunUpFollowsTheTrueMeanSpeedOfEveryBlock) {
    const double fs = 25600, dt = 1 / fs, dur = 20, f0 = 10, f1 = 50, off = 0.37;
    const double a = (f1 - f0) / dur;
    auto phi = [&](double t) { return off + f0 * t + 0.5 * a * t * t; };
    const size_t n = static_cast<size_t>(dur * fs);
    const double t0 = 2.5;  // startX: the curve's abscissae follow it
    for (double duty : {0.5, 0.05}) {
        auto x = Pulses(n, dt, phi, duty);
        TachoResult r;
        ASSERT_EQ(Tacho(x, t0, dt, TachoParams(), r), 0);
        EXPECT_EQ(r.state, kDspOk);
        ASSERT_EQ(r.values.size(), 20u);
        EXPECT_DOUBLE_EQ(r.stepX, 1.0);
        EXPECT_DOUBLE_EQ(r.startX, t0 + 0.5);
        EXPECT_EQ(r.unit, "Hz");
        for (size_t k = 0; k < r.values.size(); ++k) {
            const double truth = phi(k + 1.0) - phi(k);
            EXPECT_NEAR(r.values[k] / truth, 1.0, 0.001) << "block " << k << " duty " << duty;
        }
    }
}

TEST(Tacho, ScalingEdgesAndLevels) {
    const double fs = 10000, dt = 1 / fs, f = 23.0;
    auto phi = [&](double t) { return 0.1 + f * t; };
    const size_t n = 40000;
    // Pulses between 2 and 7 V.
    auto x = Pulses(n, dt, phi, 0.3, 2.0, 7.0);
    TachoResult r;

    auto p = TachoParams();
    p.Set("typeAxesX", 2);
    p.Set("coefTaho", 0.5);
    p.Set("deltaF", 2);
    ASSERT_EQ(Tacho(x, 0, dt, p, r), 0);
    EXPECT_EQ(r.unit, "rpm");
    ASSERT_EQ(r.values.size(), 8u);
    EXPECT_DOUBLE_EQ(r.stepX, 0.5);
    for (double v : r.values) EXPECT_NEAR(v, f * 60 * 0.5, 1e-3 * f * 30);

    // Falling edges with absolute levels read the same speed.
    p = TachoParams();
    p.Set("flagFront", 1);
    p.Set("flagAbsOtn", 0);
    p.Set("LevelLo", 3.0);
    p.Set("LevelHi", 6.0);
    ASSERT_EQ(Tacho(x, 0, dt, p, r), 0);
    EXPECT_GT(r.edges, 90);
    for (double v : r.values) EXPECT_NEAR(v, f, 1e-3 * f);

    // Absolute levels outside the signal's range find nothing.
    p.Set("LevelLo", 8.0);
    p.Set("LevelHi", 9.0);
    ASSERT_EQ(Tacho(x, 0, dt, p, r), 0);
    EXPECT_EQ(r.state, kDspNoEdges);
    EXPECT_EQ(r.values, std::vector<double>(4, 0.0));
    // A constant signal has no edges even with relative levels.
    std::vector<double> flat(n, 1.0);
    ASSERT_EQ(Tacho(flat, 0, dt, TachoParams(), r), 0);
    EXPECT_EQ(r.state, kDspNoEdges);
}

TEST(Tacho, StopsReadZeroAndSlowShaftsReadTheirSpeed) {
    const double fs = 5000, dt = 1 / fs;
    // Runs at 20 Hz for 5 s, stands still for 5 s, runs again at 20 Hz.
    auto phi = [](double t) { return t < 5 ? 20 * t : t < 10 ? 100.0 : 100 + 20 * (t - 10); };
    auto x = Pulses(static_cast<size_t>(15 * fs), dt, [&](double t) { return phi(t) + 0.25; });
    TachoResult r;
    ASSERT_EQ(Tacho(x, 0, dt, TachoParams(), r), 0);
    ASSERT_EQ(r.values.size(), 15u);
    for (int k : {0, 1, 2, 3, 11, 12, 13, 14}) EXPECT_NEAR(r.values[k], 20.0, 0.02) << k;
    // The stop's block holds the half revolution assumed after the last pulse.
    EXPECT_LT(r.values[5], 1.0);
    for (int k = 6; k < 10; ++k) EXPECT_EQ(r.values[k], 0.0) << k;

    // A shaft that stops for good: after the last pulse the curve drops to 0.
    auto stopping = Pulses(static_cast<size_t>(8 * fs), dt,
                           [](double t) { return 0.25 + 20 * std::min(t, 3.0); });
    ASSERT_EQ(Tacho(stopping, 0, dt, TachoParams(), r), 0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(r.values[k], 20.0, 0.02) << k;
    for (int k = 4; k < 8; ++k) EXPECT_EQ(r.values[k], 0.0) << k;

    // 0.5 Hz with 1 s blocks: at most one pulse per block.
    auto slow = Pulses(static_cast<size_t>(20 * fs), dt, [](double t) { return 0.1 + 0.5 * t; });
    ASSERT_EQ(Tacho(slow, 0, dt, TachoParams(), r), 0);
    ASSERT_EQ(r.values.size(), 20u);
    for (size_t k = 0; k < r.values.size(); ++k) EXPECT_NEAR(r.values[k], 0.5, 1e-3) << k;

    // A slow run-up, 0.2 to 1.2 Hz, also reads its block means.
    auto slowPhi = [](double t) { return 0.2 * t + 0.025 * t * t; };
    auto slowUp = Pulses(static_cast<size_t>(20 * fs), dt, slowPhi);
    ASSERT_EQ(Tacho(slowUp, 0, dt, TachoParams(), r), 0);
    for (size_t k = 0; k < r.values.size(); ++k)
        EXPECT_NEAR(r.values[k], slowPhi(k + 1.0) - slowPhi(k), 2e-3) << k;
}

TEST(Tacho, BadInputAndShortRecords) {
    TachoResult r;
    std::vector<double> x = {0, 1, 0, 1, 0, 1, 0, 1};
    const std::vector<double> one = {1};
    EXPECT_EQ(Tacho(one, 0, 0.1, TachoParams(), r), kDspTooShort);
    EXPECT_EQ(r.state, kDspTooShort);
    EXPECT_EQ(Tacho(x, 0, 0.0, TachoParams(), r), kDspBadStep);
    auto p = TachoParams();
    p.Set("deltaF", 0);
    EXPECT_EQ(Tacho(x, 0, 0.1, p, r), kDspBadDeltaF);
    p = TachoParams();
    p.Set("LevelLo", 80);
    EXPECT_EQ(Tacho(x, 0, 0.1, p, r), kDspBadLevels);
    EXPECT_TRUE(r.values.empty());
    x[3] = NAN;
    EXPECT_EQ(Tacho(x, 0, 0.1, TachoParams(), r), kDspBadSample);
    x[3] = 1;

    // 8 samples at 0.1 s with 1 Hz blocks: one block for the whole record.
    ASSERT_EQ(Tacho(x, 1.0, 0.1, TachoParams(), r), 0);
    EXPECT_EQ(r.state, kDspShortRecord);
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_DOUBLE_EQ(r.stepX, 0.8);
    EXPECT_DOUBLE_EQ(r.startX, 1.4);
    EXPECT_NEAR(r.values[0], 5.0, 1e-9);
    // A single edge gives no speed.
    const std::vector<double> step = {0, 0, 1, 1};
    ASSERT_EQ(Tacho(step, 0, 0.1, TachoParams(), r), 0);
    EXPECT_EQ(r.state, kDspOneEdge);
    EXPECT_EQ(r.values, std::vector<double>(1, 0.0));
}

}  // namespace
}  // namespace korvex
