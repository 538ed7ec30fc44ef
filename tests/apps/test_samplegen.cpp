// The demo sample generator: repeatable, and its components are where the
// kinematic scheme puts them.

#include <fftw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "apps/samplegen/gearbox.h"
#include "korvex/formats/formats.h"
#include "test_util.h"

namespace {

using samplegen::GearboxScheme;

const korvex::SignalData* Find(const korvex::DataSet& set, const std::string& name) {
    for (const auto& s : set.signals)
        if (s.name == name) return &s;
    return nullptr;
}

// Amplitude of a sine near hz in x, from a Hann-windowed spectrum of the
// whole record: the power of the lines around the peak, corrected for the
// window's energy.
class Spectrum {
  public:
    Spectrum(const std::vector<double>& x, double rate) : n_(x.size()), df_(rate / n_) {
        std::vector<double> in(n_);
        for (size_t i = 0; i < n_; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n_);
            in[i] = x[i] * w;
            wsum2_ += w * w;
        }
        std::vector<fftw_complex> out(n_ / 2 + 1);
        fftw_plan plan =
            fftw_plan_dft_r2c_1d(static_cast<int>(n_), in.data(), out.data(), FFTW_ESTIMATE);
        fftw_execute(plan);
        fftw_destroy_plan(plan);
        power_.resize(out.size());
        for (size_t k = 0; k < out.size(); ++k)
            power_[k] = out[k][0] * out[k][0] + out[k][1] * out[k][1];
    }
    double Amplitude(double hz) const {
        const long centre = std::lround(hz / df_);
        double sum = 0.0;
        for (long k = centre - 4; k <= centre + 4; ++k) sum += power_[static_cast<size_t>(k)];
        return 2.0 * std::sqrt(sum / (static_cast<double>(n_) * wsum2_));
    }
    // Frequency of the strongest line between lo and hi.
    double Peak(double lo, double hi) const {
        size_t best = 0;
        for (size_t k = static_cast<size_t>(lo / df_); k <= static_cast<size_t>(hi / df_); ++k)
            if (power_[k] > power_[best] || best == 0) best = k;
        return static_cast<double>(best) * df_;
    }

  private:
    size_t n_;
    double df_;
    double wsum2_ = 0.0;
    std::vector<double> power_;
};

TEST(SampleGen, SameSchemeSameSamplesAndOwnGeneratorIsSplitMix) {
    // The reference SplitMix64 sequence, so the noise is the same on every
    // platform and library.
    samplegen::Prng g(0);
    EXPECT_EQ(g.Next(), 0xE220A8397B1DCDAFull);
    EXPECT_EQ(g.Next(), 0x6E789E6AA1B965F4ull);

    GearboxScheme s;
    s.duration = 0.5;
    const korvex::DataSet a = samplegen::MakeGearboxSample(s);
    const korvex::DataSet b = samplegen::MakeGearboxSample(s);
    ASSERT_EQ(a.signals.size(), 4u);
    for (size_t i = 0; i < a.signals.size(); ++i) {
        EXPECT_EQ(a.signals[i].name, b.signals[i].name);
        EXPECT_EQ(a.signals[i].samples, b.signals[i].samples);
    }
    s.seed += 1;
    const korvex::DataSet c = samplegen::MakeGearboxSample(s);
    EXPECT_NE(a.signals[1].samples, c.signals[1].samples);  // only the noise moves

    const korvex::SignalData* acc = Find(a, samplegen::kAcc1Name);
    ASSERT_NE(acc, nullptr);
    EXPECT_EQ(acc->samples.size(), 12800u);
    EXPECT_DOUBLE_EQ(acc->stepX, 1.0 / 25600.0);
    EXPECT_EQ(acc->unit, "m/s^2");
    const korvex::SignalData* speed = Find(a, samplegen::kSpeedName);
    ASSERT_NE(speed, nullptr);
    EXPECT_DOUBLE_EQ(speed->samples.front(), 600.0);  // 10 Hz in rpm
}

// Rising crossings of half the tacho pulse height, interpolated.
std::vector<double> TachoEdges(const korvex::DataSet& set) {
    std::vector<double> edges;
    const korvex::SignalData* tacho = Find(set, samplegen::kTachoName);
    if (!tacho) return edges;
    const double level = samplegen::kTachoHighVolts / 2.0;
    for (size_t i = 1; i < tacho->samples.size(); ++i) {
        const double y0 = tacho->samples[i - 1], y1 = tacho->samples[i];
        if (y0 < level && y1 >= level)
            edges.push_back((static_cast<double>(i - 1) + (level - y0) / (y1 - y0)) * tacho->stepX);
    }
    return edges;
}

TEST(SampleGen, TachoPulsesOncePerRevolutionOfTheRunUp) {
    GearboxScheme s;
    s.steps = 0;
    s.duration = 4.0;  // 10 to 50 Hz in 4 s: a steep ramp checks the phase law hard
    std::vector<double> edges = TachoEdges(samplegen::MakeGearboxSample(s));
    const double revs = samplegen::InputShaftRevs(s, s.duration);  // 120 revolutions
    EXPECT_NEAR(static_cast<double>(edges.size()), std::floor(revs), 1.0);
    for (size_t i = 1; i < edges.size(); ++i) {
        const double mid = 0.5 * (edges[i] + edges[i - 1]);
        const double hz = 1.0 / (edges[i] - edges[i - 1]);
        ASSERT_NEAR(hz, samplegen::InputShaftHz(s, mid), 0.002 * hz) << "edge " << i;
    }

    // Stepped: the speed law and the revolutions agree, edge by edge, also
    // through the fast changes of a short record.
    s.steps = 4;
    edges = TachoEdges(samplegen::MakeGearboxSample(s));
    EXPECT_NEAR(static_cast<double>(edges.size()), std::floor(samplegen::InputShaftRevs(s, 4.0)),
                1.0);
    for (size_t i = 1; i < edges.size(); ++i)
        ASSERT_NEAR(
            samplegen::InputShaftRevs(s, edges[i]) - samplegen::InputShaftRevs(s, edges[i - 1]),
            1.0, 0.002)
            << "edge " << i;
}

TEST(SampleGen, SteppedRunUpHoldsEachSpeed) {
    GearboxScheme s;
    s.duration = 20.0;
    const auto plateaus = samplegen::SpeedPlateaus(s);
    ASSERT_EQ(plateaus.size(), 5u);
    EXPECT_EQ(plateaus.front().from, 0.0);
    EXPECT_NEAR(plateaus.back().to, 20.0, 1e-9);
    for (size_t k = 0; k < plateaus.size(); ++k) {
        const auto& p = plateaus[k];
        EXPECT_DOUBLE_EQ(p.hz, 10.0 + 10.0 * static_cast<double>(k));
        EXPECT_NEAR(p.to - p.from, 2.4, 1e-9);
        for (double t = p.from; t < p.to; t += 0.1)
            EXPECT_DOUBLE_EQ(samplegen::InputShaftHz(s, t), p.hz);
        if (k + 1 < plateaus.size()) {
            // The change in between is smooth and monotonic.
            double last = p.hz;
            for (double t = p.to; t <= plateaus[k + 1].from; t += 0.01) {
                const double hz = samplegen::InputShaftHz(s, t);
                EXPECT_GE(hz, last - 1e-9);
                EXPECT_LT(hz - last, 0.1);
                last = hz;
            }
        }
    }
    // Revolutions are the integral of the speed.
    double revs = 0.0;
    const double dt = 1e-4;
    for (double t = 0.5 * dt; t < 20.0; t += dt) revs += samplegen::InputShaftHz(s, t) * dt;
    EXPECT_NEAR(samplegen::InputShaftRevs(s, 20.0), revs, 1e-3);
    // The speed feature holds the plateaus in rpm.
    GearboxScheme light = s;
    light.sampleRate = 1000.0;
    const korvex::DataSet set = samplegen::MakeGearboxSample(light);
    const korvex::SignalData* speed = Find(set, samplegen::kSpeedName);
    ASSERT_NE(speed, nullptr);
    EXPECT_DOUBLE_EQ(speed->samples[100], 1800.0);  // t = 10 s, the 30 Hz plateau
}

TEST(SampleGen, OrdersMeshSidebandsAndBearingToneAtSteadySpeed) {
    // At a steady 30 Hz every component sits still, so a long spectrum
    // resolves each one and its amplitude can be read back.
    GearboxScheme s;
    s.duration = 2.0;
    s.inputStartHz = s.inputStopHz = 30.0;
    const korvex::DataSet set = samplegen::MakeGearboxSample(s);
    const double fin = 30.0;
    const double fout = fin * 23.0 / 61.0;
    const double fmesh = 23.0 * fin;

    for (int sensor = 1; sensor <= 2; ++sensor) {
        SCOPED_TRACE(sensor);
        const korvex::SignalData* acc =
            Find(set, sensor == 1 ? samplegen::kAcc1Name : samplegen::kAcc2Name);
        ASSERT_NE(acc, nullptr);
        const Spectrum sp(acc->samples, s.sampleRate);
        const samplegen::AccComponents a = samplegen::AccAmplitudes(s, sensor, 1.0);
        EXPECT_NEAR(sp.Peak(600.0, 800.0), fmesh, 0.5);
        EXPECT_NEAR(sp.Amplitude(fmesh), a.mesh, 0.02 * a.mesh);
        EXPECT_NEAR(sp.Amplitude(fmesh - fin), a.sbInput, 0.03 * a.sbInput);
        EXPECT_NEAR(sp.Amplitude(fmesh + fin), a.sbInput, 0.03 * a.sbInput);
        EXPECT_NEAR(sp.Amplitude(fmesh - fout), a.sbOutput, 0.03 * a.sbOutput);
        EXPECT_NEAR(sp.Amplitude(fmesh + fout), a.sbOutput, 0.03 * a.sbOutput);
        EXPECT_NEAR(sp.Amplitude(fin), a.in1x, 0.03 * a.in1x);
        EXPECT_NEAR(sp.Amplitude(2 * fin), a.in2x, 0.05 * a.in2x);
        EXPECT_NEAR(sp.Amplitude(fout), a.out1x, 0.05 * a.out1x);
        EXPECT_NEAR(sp.Amplitude(2 * fout), a.out2x, 0.08 * a.out2x);
        EXPECT_NEAR(sp.Amplitude(s.bpfoOrder * fin), a.bpfo, 0.03 * a.bpfo);
    }
}

TEST(SampleGen, MeshGrowsWithSpeedAndTheFileReadsBack) {
    GearboxScheme s;
    const auto low = samplegen::AccAmplitudes(s, 1, 0.0);
    const auto high = samplegen::AccAmplitudes(s, 1, s.duration);
    EXPECT_GT(high.mesh, 5.0 * low.mesh);
    EXPECT_DOUBLE_EQ(samplegen::MeshHz(s, s.duration), 23.0 * 50.0);
    EXPECT_NEAR(samplegen::OutputShaftHz(s, 0.0), 10.0 * 23.0 / 61.0, 1e-12);

    s.duration = 0.25;
    const testutil::TempDir dir("samplegen");
    const std::string path = dir.Path("gearbox.quor");
    ASSERT_TRUE(samplegen::WriteGearboxSample(s, path).ok);
    korvex::DataSet back;
    ASSERT_TRUE(korvex::ReadQuor(path, back).ok);
    const korvex::DataSet made = samplegen::MakeGearboxSample(s);
    ASSERT_EQ(back.signals.size(), made.signals.size());
    for (size_t i = 0; i < made.signals.size(); ++i) {
        EXPECT_EQ(back.signals[i].name, made.signals[i].name);
        EXPECT_EQ(back.signals[i].unit, made.signals[i].unit);
        EXPECT_EQ(back.signals[i].samples, made.signals[i].samples);
    }
}

}  // namespace
