// The tacho's pulse repair on a damaged demo tacho and on input that holds
// no usable pulse train.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "apps/samplegen/gearbox.h"
#include "korvex/dsp/dsp.h"

namespace korvex {
namespace {

using samplegen::InputShaftRevs;

OperatorParams DemoTachoParams(double deltaF) {
    OperatorParams p;
    EXPECT_TRUE(p.Parse(
        "typeAxesX=1, deltaF=1, LevelLo=30, LevelHi=70, level_dF=1, dPNTwide=0.5, coefTaho=1, "
        "flagFront=0, flagAbsOtn=1, flagFiltrTaho=0, flagFiltrTahoSrc=0, bTahoFFT=0, "
        "nPointsFFT=65536, deltaF_nd=0, typeBlkSett=0, nPeriods=0, freqTab="));
    p.Set("deltaF", deltaF);
    return p;
}

struct Damage {
    int removed = 0, extra = 0, glitches = 0;
};

// The demo's tacho with 1 pulse in 50 removed, 1 in 50 added (every other
// one a two-sample glitch), noise of 10 % of the pulse height and a
// baseline drifting by 30 % of it over the run.
std::vector<double> DamagedDemoTacho(const samplegen::GearboxScheme& s, Damage& d,
                                     std::vector<double>& clean) {
    const korvex::DataSet set = samplegen::MakeGearboxSample(s);
    for (const SignalData& sig : set.signals)
        if (sig.name == samplegen::kTachoName) clean = sig.samples;
    std::vector<double> x = clean;
    const double h = samplegen::kTachoHighVolts, dt = 1.0 / s.sampleRate;
    samplegen::Prng rng(77);
    const auto revs = static_cast<size_t>(samplegen::InputShaftRevs(s, s.duration)) + 1;
    std::vector<char> removed(revs), extra(revs);
    std::vector<double> phase(revs);
    for (size_t r = 0; r < revs; ++r) {
        removed[r] = rng.Uniform() < 0.02;
        extra[r] = rng.Uniform() < 0.02 ? (d.extra + d.glitches) % 2 + 1 : 0;
        phase[r] = 0.4 + 0.4 * rng.Uniform();
        d.removed += removed[r];
        (extra[r] == 1 ? d.extra : d.glitches) += extra[r] != 0;
    }
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) * dt;
        const double rv = samplegen::InputShaftRevs(s, t);
        const auto r = static_cast<size_t>(rv);
        if (removed[r]) x[i] -= h * samplegen::TachoShape(rv);
        const double p = rv - static_cast<double>(r) - phase[r];
        const double perSample = samplegen::InputShaftHz(s, t) * dt;
        if ((extra[r] == 1 && p >= 0 && p < 0.1) || (extra[r] == 2 && p >= 0 && p < 2 * perSample))
            x[i] += h;
        x[i] += 0.1 * h * rng.Normal() + 0.3 * h * t / s.duration;
    }
    return x;
}

// Share of the blocks whose value is within 0.1 % of the true mean speed.
double ShareWithin(const TachoResult& r, const samplegen::GearboxScheme& s) {
    int good = 0;
    for (size_t k = 0; k < r.values.size(); ++k) {
        const double t0 = static_cast<double>(k) * r.stepX;
        const double truth =
            (samplegen::InputShaftRevs(s, t0 + r.stepX) - samplegen::InputShaftRevs(s, t0)) /
            r.stepX;
        good += std::abs(r.values[k] / truth - 1.0) <= 0.001;
    }
    return r.values.empty() ? 0.0
                            : static_cast<double>(good) / static_cast<double>(r.values.size());
}

TEST(TachoRepair, DamagedDemoTachoKeepsTheTrueSpeed) {
    const samplegen::GearboxScheme s;
    Damage d;
    std::vector<double> clean;
    const std::vector<double> x = DamagedDemoTacho(s, d, clean);
    const double dt = 1.0 / s.sampleRate;
    {
        // The clean tacho reads as it did before the repair, closer to the
        // truth if anything (edges fitted over their ramps).
        TachoResult now, before;
        OperatorParams off = DemoTachoParams(1.0);
        off.Set("flagRepair", 0);
        ASSERT_EQ(Tacho(clean, 0.0, dt, DemoTachoParams(1.0), now), 0);
        ASSERT_EQ(Tacho(clean, 0.0, dt, off, before), 0);
        EXPECT_EQ(now.state, kDspOk);
        ASSERT_EQ(now.values.size(), before.values.size());
        double change = 0, errNow = 0, errBefore = 0;
        for (size_t k = 0; k < now.values.size(); ++k) {
            const double t = static_cast<double>(k);
            const double truth = InputShaftRevs(s, t + 1.0) - InputShaftRevs(s, t);
            change = std::max(change, std::abs(now.values[k] / before.values[k] - 1.0));
            errNow = std::max(errNow, std::abs(now.values[k] / truth - 1.0));
            errBefore = std::max(errBefore, std::abs(before.values[k] / truth - 1.0));
        }
        std::printf(
            "clean demo tacho: largest change %.2g, largest error %.2g (repairs off %.2g)\n",
            change, errNow, errBefore);
        EXPECT_LT(change, 1e-5);
        EXPECT_LE(errNow, errBefore);
    }
    for (double deltaF : {1.0, 4.0}) {
        TachoResult fixed, plain;
        ASSERT_EQ(Tacho(x, 0.0, dt, DemoTachoParams(deltaF), fixed), 0);
        OperatorParams off = DemoTachoParams(deltaF);
        off.Set("flagRepair", 0);
        ASSERT_EQ(Tacho(x, 0.0, dt, off, plain), 0);
        const double good = ShareWithin(fixed, s), before = ShareWithin(plain, s);
        std::printf("deltaF %g Hz, %zu points: within 0.1 %% at %.1f %% (repairs off: %.1f %%)\n",
                    deltaF, fixed.values.size(), 100 * good, 100 * before);
        std::printf("  put in: %d removed, %d extra, %d glitches; %s\n", d.removed, d.extra,
                    d.glitches, fixed.note.c_str());
        // The demo's 1 s blocks, and quarter-second blocks of 3 to 12 revolutions.
        EXPECT_GE(good, 0.99) << deltaF;
        EXPECT_LT(before, good - 0.2) << deltaF;
        EXPECT_EQ(fixed.state, kDspPulsesRepaired);
        EXPECT_EQ(fixed.missing, d.removed);
        EXPECT_EQ(fixed.extra + fixed.rejected, d.extra + d.glitches);
    }
    // Smoothing over revolutions keeps the steady parts of the run.
    OperatorParams p = DemoTachoParams(1.0);
    p.Set("nRevSmooth", 8);
    TachoResult smooth;
    ASSERT_EQ(Tacho(x, 0.0, dt, p, smooth), 0);
    const double smoothGood = ShareWithin(smooth, s);
    std::printf("smoothed over 8 revolutions: within 0.1 %% at %.1f %%\n", 100 * smoothGood);
    EXPECT_GE(smoothGood, 0.5);
}

TEST(TachoRepair, ExtraPulseBeforeTheFirstIsRemoved) {
    // 20 Hz pulses from 0.1 s on, and one stray pulse at 0.07 s.
    const double dt = 1e-4;
    std::vector<double> x(30000);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) * dt, p = 20.0 * t - 2.0;
        x[i] = (p >= 0 && p - std::floor(p) < 0.2) || (t >= 0.07 && t < 0.075) ? 1.0 : 0.0;
    }
    TachoResult r;
    ASSERT_EQ(Tacho(x, 0.0, dt, DemoTachoParams(1.0), r), 0);
    EXPECT_EQ(r.extra, 1);
    for (double v : r.values) EXPECT_NEAR(v, 20.0, 0.02);
}

TEST(TachoRepair, InputWithoutUsablePulsesReadsZeroAndSaysWhy) {
    const double fs = 10000, dt = 1 / fs;
    const size_t n = 50000;
    samplegen::Prng rng(5);
    std::vector<double> noise(n), fast(n);
    for (double& v : noise) v = rng.Normal();
    // 6 kHz pulses sampled at 10 kHz: aliased into a 4 kHz pattern.
    for (size_t i = 0; i < n; ++i) {
        const double p = 6000.0 * static_cast<double>(i) * dt;
        fast[i] = p - std::floor(p) < 0.5 ? 1.0 : 0.0;
    }
    for (const auto& [x, state] :
         {std::pair(&noise, kDspNoUsablePulses), std::pair(&fast, kDspPulsesTooFast)}) {
        TachoResult r;
        ASSERT_EQ(Tacho(*x, 0.0, dt, DemoTachoParams(1.0), r), 0);
        EXPECT_EQ(r.state, state);
        EXPECT_EQ(r.values, std::vector<double>(5, 0.0));
        EXPECT_NE(r.note.find(DspCodeText(state)), std::string::npos) << r.note;
    }
    OperatorParams bad = DemoTachoParams(1.0);
    bad.Set("fracExtra", 1.5);
    TachoResult r;
    EXPECT_EQ(Tacho(noise, 0.0, dt, bad, r), kDspBadRepair);
}

// A shaft at 20 Hz for 8 s that coasts to rest against friction (speed falling as
// exp(-t/3 s) less a constant), stands 5 s, runs up at 5 Hz/s back to 20 Hz.
// `rest` is where the mark stops (fraction of a revolution from its rising
// edge), `rock` the amplitude (revolutions) of a decaying rocking after the stop.
struct StopRun {
    static constexpr double kRun = 8, kTau = 3, kMu = 2, kStand = 5, kAcc = 5, kF = 20;
    double offset = 0, rock = 0;
    double stopAt = kRun + kTau * std::log((kF + kMu * kTau) / (kMu * kTau));
    double restartAt = stopAt + kStand;
    double Coast(double s) const {
        return (kF + kMu * kTau) * kTau * (1 - std::exp(-s / kTau)) - kMu * kTau * s;
    }
    StopRun(double rest, double rockAmplitude) : rock(rockAmplitude) {
        const double atStop = Revs(stopAt);
        offset = rest - (atStop - std::floor(atStop));
    }
    // Net revolutions, without the rocking.
    double Revs(double t) const {
        double r = offset + kF * std::min(t, kRun);
        if (t > kRun) r += Coast(std::min(t, stopAt) - kRun);
        if (t > restartAt) {
            const double s = t - restartAt, up = kF / kAcc;
            r += 0.5 * kAcc * std::min(s, up) * std::min(s, up) + kF * std::max(0.0, s - up);
        }
        return r;
    }
    double Shaft(double t) const {
        const double s = t - stopAt;
        return Revs(t) + (s > 0 ? rock * std::sin(2 * M_PI * 2 * s) * std::exp(-s / 0.6) : 0.0);
    }
};

// Pulses 10 % of a revolution wide, from the rising edge of the mark.
template <class Shaft>
std::vector<double> MarkPulses(Shaft shaft, double fs, double seconds) {
    std::vector<double> x(static_cast<size_t>(fs * seconds));
    for (size_t i = 0; i < x.size(); ++i) {
        const double p = shaft(static_cast<double>(i) / fs);
        x[i] = p - std::floor(p) < 0.1 ? 5.0 : 0.0;
    }
    return x;
}

TEST(TachoRepair, CoastDownStandstillAndRestartReadTheTrueSpeed) {
    const double fs = 25600, seconds = 32;
    // Resting away from the mark, on it, and rocking a little over its
    // trailing or its leading edge before it stands.
    for (const auto& [rest, rock] : {std::pair(0.5, 0.0), std::pair(0.05, 0.0),
                                     std::pair(0.12, 0.04), std::pair(0.99, 0.03)}) {
        const StopRun run(rest, rock);
        const std::vector<double> x =
            MarkPulses([&run](double t) { return run.Shaft(t); }, fs, seconds);
        TachoResult r;
        ASSERT_EQ(Tacho(x, 0.0, 1 / fs, DemoTachoParams(1.0), r), 0);
        ASSERT_EQ(r.values.size(), 32u);
        int moving = 0, good = 0;
        for (size_t k = 0; k < r.values.size(); ++k) {
            const double t = static_cast<double>(k);
            const double truth = run.Revs(t + 1) - run.Revs(t);
            if (truth == 0.0) {
                EXPECT_EQ(r.values[k], 0.0) << "rest " << rest << ", block " << k;
            } else if ((run.stopAt > t && run.stopAt < t + 1) ||
                       (run.restartAt > t && run.restartAt < t + 1)) {
                // Where it stops or starts: the way to rest is extrapolated.
                EXPECT_NEAR(r.values[k], truth, 0.15) << "rest " << rest << ", block " << k;
            } else {
                ++moving;
                good += std::abs(r.values[k] / truth - 1) <= 0.001;
            }
        }
        std::printf("stop at rest %g, rocking %g: %d of %d moving blocks within 0.1 %%\n", rest,
                    rock, good, moving);
        EXPECT_GE(good, 0.95 * moving) << "rest " << rest << " rock " << rock << ": " << r.note;
    }
}

// Every rising edge (or one in three) doubled 0.15 ms later; and a glitch
// of 5 samples in the revolution that lost its pulse.
TEST(TachoRepair, BounceAndAGlitchInAGapAreNoPulses) {
    const double fs = 25600, f = 37.3;
    auto phi = [f](double t) { return 0.3 + f * t; };
    for (int every : {1, 3}) {
        std::vector<double> x = MarkPulses(phi, fs, 10);
        int pulse = 0;
        for (size_t i = 1; i + 4 < x.size(); ++i)
            if (x[i] > x[i - 1] && pulse++ % every == 0) {
                for (size_t k = i + 1; k < i + 4; ++k) x[k] = 0.0;
                i += 4;
            }
        TachoResult r;
        ASSERT_EQ(Tacho(x, 0.0, 1 / fs, DemoTachoParams(1.0), r), 0);
        ASSERT_EQ(r.values.size(), 10u);
        for (double v : r.values) EXPECT_NEAR(v, f, 1e-3 * f) << every << ": " << r.note;
    }
    std::vector<double> x = MarkPulses(phi, fs, 10);
    const auto missing = static_cast<size_t>((100 - 0.3) / f * fs);  // revolution 100
    for (size_t i = missing; i < missing + static_cast<size_t>(0.2 * fs / f); ++i) x[i] = 0.0;
    for (size_t i = missing + 400; i < missing + 405; ++i) x[i] = 5.0;
    TachoResult r;
    ASSERT_EQ(Tacho(x, 0.0, 1 / fs, DemoTachoParams(1.0), r), 0);
    EXPECT_EQ(r.missing, 1) << r.note;
    for (double v : r.values) EXPECT_NEAR(v, f, 1e-3 * f) << r.note;
}

}  // namespace
}  // namespace korvex
