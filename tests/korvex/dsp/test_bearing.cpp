#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "korvex/dsp/bearing.h"
#include "korvex/dsp/dsp.h"
#include "korvex/dsp/kurtogram.h"
#include "tests/korvex/dsp/bearing_model.h"

using namespace korvex;
using bearing_model::Fault;

namespace {

const BearingGeometry k6205{9, 7.94, 39.04, 0.0, false};

TEST(BearingOrders, SixTwoZeroFiveAndBadGeometry) {
    const BearingOrders o = BearingFaultOrders(k6205);
    EXPECT_NEAR(o.ftf, 0.3983, 1e-4);
    EXPECT_NEAR(o.bpfo, 3.5848, 1e-4);
    EXPECT_NEAR(o.bpfi, 5.4152, 1e-4);
    EXPECT_NEAR(o.bsf, 2.3567, 1e-4);
    EXPECT_EQ(CheckBearing(k6205), "");
    for (const BearingGeometry& bad :
         {BearingGeometry{0, 7.94, 39.04, 0, false}, BearingGeometry{9, 40.0, 39.04, 0, false},
          BearingGeometry{9, -1.0, 39.04, 0, false}, BearingGeometry{9, 7.94, 39.04, 90.0, false}})
        EXPECT_NE(CheckBearing(bad), "");
    // The lines in their order, 2 x BSF with the cage's sidebands, BPFI with
    // the shaft's while the inner ring turns.
    const std::vector<FaultLine> lines = BearingLines(k6205);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].name, "BPFI");
    EXPECT_EQ(lines[2].sidebandOrder, 1.0);
    EXPECT_NEAR(lines[3].order, 2 * o.bsf, 1e-12);
    EXPECT_NEAR(lines[3].sidebandOrder, o.ftf, 1e-12);
}

// An amplitude-modulated carrier inside the band and a much stronger tone
// outside it: the envelope's line reads the modulation, the tone leaks nothing.
TEST(EnvelopeSpectrum, ReadsTheModulationAndNothingFromOutsideTheBand) {
    using std::numbers::pi;
    const double rate = 10000.0, a = 2.0, m = 0.5, fm = 40.0;
    std::vector<double> x(static_cast<size_t>(rate * 8));
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        x[i] = a * (1 + m * std::cos(2 * pi * fm * t)) * std::sin(2 * pi * 3000 * t) +
               50.0 * std::sin(2 * pi * 1234.5 * t) + 30.0 * std::sin(2 * pi * 4330 * t);
    }
    RecordSpectrum r;
    ASSERT_EQ(r.Make(x, 1 / rate), "");
    const EnvelopeSpectrum e = EnvelopeSpectrumOf(r, {2500, 3500, 0.5});
    ASSERT_EQ(e.error, "");
    EXPECT_NEAR(e.df, 0.5, 1e-9);
    EXPECT_NEAR(e.meanEnvelope, a, 1e-3);
    EXPECT_NEAR(e.Peak(static_cast<size_t>(fm / e.df)), a * m, 0.01 * a * m);
    EXPECT_NEAR(e.Rms(static_cast<size_t>(fm / e.df)), a * m / std::sqrt(2.0), 0.01 * a * m);
    // Beats of the outside tones with the carrier would stand at 1765.5,
    // 1330 Hz; beyond the band's width there are no lines at all, and
    // nothing but the modulation's lines stands above 1e-6 of it.
    EXPECT_LE(e.power.size(), static_cast<size_t>(1000.0 / e.df) + 1);
    for (size_t k = 1; k < e.power.size(); ++k) {
        const double f = static_cast<double>(k) * e.df;
        if (std::abs(f - fm) > 1 && std::abs(f - 2 * fm) > 1) {
            ASSERT_LT(e.power[k], 1e-6 * e.power[static_cast<size_t>(fm / e.df)]) << f;
        }
    }

    EXPECT_NE(EnvelopeSpectrumOf(r, {2500, 5500, 0.5}).error, "");   // above Nyquist
    EXPECT_NE(EnvelopeSpectrumOf(r, {2500, 3500, 0.05}).error, "");  // record too short
}

// The record of envelope_reference.py (two carriers in the band, one
// amplitude-modulated; strong tones outside it).
std::vector<double> ReferenceRecord() {
    using std::numbers::pi;
    const double rate = 10000.0;
    std::vector<double> x(100000);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double am = 1 + 0.5 * std::cos(2 * pi * 37 * t) + 0.2 * std::cos(2 * pi * 91 * t);
        x[i] = am * std::sin(2 * pi * 2500 * t) + 0.8 * std::sin(2 * pi * 2700 * t + 0.3) +
               5 * std::sin(2 * pi * 400 * t) + 3 * std::sin(2 * pi * 4100 * t);
    }
    return x;
}

// Against scipy (FIR band-pass, Hilbert, Welch): the envelope's lines,
// including the carriers' beat and its products, and the band's kurtosis.
// The default resolution suits the record: a 2 s record (as public test
// rigs record) still holds two blocks, and the modulation reads right.
TEST(EnvelopeSpectrum, ShortRecordTakesCoarserLinesByDefault) {
    using std::numbers::pi;
    const double rate = 12000.0;
    std::vector<double> x(24000);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        x[i] = (1 + 0.5 * std::cos(2 * pi * 40.0 * t)) * std::sin(2 * pi * 3000 * t);
    }
    RecordSpectrum r;
    ASSERT_EQ(r.Make(x, 1 / rate), "");
    const EnvelopeSpectrum e = EnvelopeSpectrumOf(r, {2500, 3500, 0.0});
    ASSERT_EQ(e.error, "");
    EXPECT_EQ(e.df, 2.0);
    EXPECT_NEAR(e.Peak(static_cast<size_t>(40.0 / e.df)), 0.5, 0.01);
    EXPECT_NE(EnvelopeSpectrumOf(r, {2500, 3500, 0.5}).error, "");
}

TEST(EnvelopeSpectrum, AgreesWithScipy) {
    RecordSpectrum r;
    ASSERT_EQ(r.Make(ReferenceRecord(), 1e-4), "");
    const EnvelopeSpectrum e = EnvelopeSpectrumOf(r, {2000, 3200, 0.5});
    ASSERT_EQ(e.error, "");
    ASSERT_NEAR(e.df, 0.5, 1e-12);
    // Printed by tests/korvex/dsp/envelope_reference.py.
    const double reference[][2] = {
        {37.0, 0.259988}, {91.0, 0.0987856}, {128.0, 0.0213779}, {200.0, 0.473371}};
    for (const auto& [hz, rms] : reference)
        EXPECT_NEAR(e.Rms(static_cast<size_t>(hz / e.df)), rms, 0.005 * rms) << hz;
    EXPECT_NEAR(e.meanEnvelope, 1.211179, 1e-3);
    EXPECT_NEAR(e.kurtosis, -0.352433, 2e-3);
}

TEST(Kurtogram, TreeOfLevelsAndTheResonanceBand) {
    bearing_model::Machine m;
    const std::vector<double> x = bearing_model::Signal(m, Fault::Outer);
    RecordSpectrum r;
    ASSERT_EQ(r.Make(x, 1 / m.rate), "");
    const Kurtogram k = FastKurtogram(r, {6, 400.0});
    ASSERT_EQ(k.error, "");
    // 0, 1, 1.6, 2, 2.6, ..., 6: 12 rows, level 1.6 of three bands.
    ASSERT_EQ(k.rows.size(), 12u);
    EXPECT_EQ(k.rows[2].level, 1.6);
    EXPECT_EQ(k.rows[2].kurtosis.size(), 3u);
    EXPECT_EQ(k.rows.back().kurtosis.size(), 64u);
    EXPECT_LE(k.best.lo, m.resonance);
    EXPECT_GE(k.best.hi, m.resonance);
    EXPECT_GE(k.best.width(), 400.0);
    EXPECT_GT(k.best.kurtosis, 0.2);
}

// The whole reading as the command makes it: the kurtogram's band, the
// record's spectrum and a quiet band's envelope to compare with.
FaultKind Verdict(const std::vector<double>& x, double rate, double shaft, const BearingGeometry& g,
                  double lo = 0, double hi = 0) {
    RecordSpectrum r;
    EXPECT_EQ(r.Make(x, 1 / rate), "");
    const Kurtogram k = FastKurtogram(r, {7, 3 * BearingFaultOrders(g).bpfi * shaft});
    if (hi == 0) {
        lo = k.best.lo;
        hi = k.best.hi;
    }
    const EnvelopeSpectrum e = EnvelopeSpectrumOf(r, {lo, hi, 0});
    EXPECT_EQ(e.error, "");
    const AveragedSpectrum raw = AveragedSpectrumOf(x, 1 / rate, e.df, e.hi - e.lo);
    const KurtogramBand q = QuietestBandElsewhere(k, e.lo, e.hi);
    EnvelopeSpectrum other;
    if (q.level >= 0) other = EnvelopeSpectrumOf(r, {q.lo, q.hi, e.df});
    return ReadFaultLines(e, shaft, BearingLines(g), {&raw, &other}).verdict;
}

TEST(BearingVerdict, EachFaultAndAHealthyMachine) {
    bearing_model::Machine m;
    for (const unsigned seed : {7u, 8u}) {
        m.seed = seed;
        EXPECT_EQ(Verdict(Signal(m, Fault::Outer), m.rate, m.shaft, k6205), FaultKind::Bpfo);
        EXPECT_EQ(Verdict(Signal(m, Fault::Inner), m.rate, m.shaft, k6205), FaultKind::Bpfi);
        EXPECT_EQ(Verdict(Signal(m, Fault::Ball), m.rate, m.shaft, k6205), FaultKind::Bsf);
        // Strong shaft lines and mesh, no fault.
        bearing_model::Machine healthy = m;
        healthy.shaftLines = 5.0;
        healthy.mesh = 4.0;
        EXPECT_EQ(Verdict(Signal(healthy, Fault::None), m.rate, m.shaft, k6205), FaultKind::None);
    }
}

// Impacts exactly at four times the shaft speed read by a bearing whose
// BPFO is 4 orders: every line is also a shaft harmonic, so no call.
TEST(BearingVerdict, NoCallOnShaftHarmonics) {
    bearing_model::Machine m;
    m.bpfo = 4.0;
    m.slip = 0.0;
    const BearingGeometry g{9, 39.04 / 9.0, 39.04, 0.0, false};
    ASSERT_NEAR(BearingFaultOrders(g).bpfo, 4.0, 1e-9);
    EXPECT_EQ(Verdict(Signal(m, Fault::Outer), m.rate, m.shaft, g), FaultKind::None);
    // The same impacts off the shaft's harmonics are called.
    m.bpfo = 3.5848;
    m.slip = 0.015;
    EXPECT_EQ(Verdict(Signal(m, Fault::Outer), m.rate, m.shaft, k6205), FaultKind::Bpfo);
}

}  // namespace

namespace {

// The whole machine's noise pulsing at the BPFO rate (as a modulation by
// the supply or a process would): its lines stand in every band's envelope,
// so they are no bearing's; real impacts in the same band are.
TEST(BearingVerdict, NoCallOnAModulationOfEveryBand) {
    using std::numbers::pi;
    bearing_model::Machine m;
    const double f = BearingFaultOrders(k6205).bpfo * m.shaft;
    std::vector<double> x = Signal(m, Fault::None);
    std::mt19937 rng(3);
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / m.rate;
        x[i] += gauss(rng) * (1 + 0.6 * std::cos(2 * pi * f * t) + 0.4 * std::cos(4 * pi * f * t));
    }
    EXPECT_EQ(Verdict(x, m.rate, m.shaft, k6205, 2000, 3500), FaultKind::None);
    EXPECT_EQ(Verdict(Signal(m, Fault::Outer), m.rate, m.shaft, k6205, 2000, 3500),
              FaultKind::Bpfo);
}

}  // namespace

namespace {

// The autospectrum's envelope keys: a block's envelope spectrum on the
// block's own lines, as the engine measures bands in it.
TEST(EnvelopeSpectrum, AutoSpectrumOfABlocksEnvelope) {
    using std::numbers::pi;
    const double rate = 10000.0, a = 2.0, m = 0.5;
    const size_t n = 4096;
    const double fm = 41 * rate / n;  // on line 41
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        x[i] = a * (1 + m * std::cos(2 * pi * fm * t)) * std::sin(2 * pi * 3001.7 * t) +
               20 * std::sin(2 * pi * 700 * t);
    }
    OperatorParams p;
    ASSERT_TRUE(p.Parse("typeWindow=3, envLo=2500, envHi=3500"));
    SpectrumResult r;
    ASSERT_EQ(AutoSpectrum(x, 1 / rate, p, r), kDspOk);
    ASSERT_EQ(r.power.size(), n / 2 + 1);
    EXPECT_NEAR(std::sqrt(2 * r.power[41]), a * m, 0.02 * a * m);
    EXPECT_LT(r.power[0], 1e-6);  // the envelope's mean is gone
    p.Set("envHi", 6000.0);
    EXPECT_EQ(AutoSpectrum(x, 1 / rate, p, r), kDspBadEnvelopeBand);
}

}  // namespace
