// Computed order tracking on a fast synthetic run-up: orders 1, 4.5, 23 and
// 23.5 of known RMS and phase beside a fixed 5 kHz tone, read back from the
// order spectra with a tacho of 1 and of 60 pulses per revolution and from a
// speed signal alone; the synchronous average of a second shaft.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "korvex/dsp/angle_resample.h"
#include "korvex/dsp/order_spectrum.h"
#include "korvex/dsp/spectralmap.h"

namespace korvex {
namespace {

using std::numbers::pi;

constexpr double kRate = 25600.0;

struct Component {
    double order, rms, phaseDeg;
};
const Component kOrders[] = {
    {1.0, 1.0, 30.0}, {4.5, 0.5, -60.0}, {23.0, 0.3, 120.0}, {23.5, 0.2, -150.0}};

// A linear run-up from f0 at `rate` Hz/s; theta in revolutions from t = 0.
struct RunUp {
    double f0, rate, seconds;
    double Hz(double t) const { return f0 + rate * t; }
    double Revs(double t) const { return f0 * t + 0.5 * rate * t * t; }
    size_t Samples() const { return static_cast<size_t>(seconds * kRate); }
};

// Phases are against the angle origin: the first pulse the tacho finds
// (`origin` revolutions into the run).
std::vector<double> Vibration(const RunUp& r, double origin = 0.0) {
    std::vector<double> x(r.Samples());
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / kRate, th = r.Revs(t) - origin;
        double v = 0.7 * std::sin(2.0 * pi * 5000.0 * t);  // fixed-frequency tone
        for (const Component& c : kOrders)
            v += c.rms * std::sqrt(2.0) * std::cos(2.0 * pi * c.order * th + c.phaseDeg * pi / 180);
        x[i] = v;
    }
    return x;
}

// Pulses rising at every 1/K revolution: a clipped sine, so edges have a ramp.
std::vector<double> Tacho(const RunUp& r, int k, double gain) {
    std::vector<double> x(r.Samples());
    for (size_t i = 0; i < x.size(); ++i) {
        const double s = std::sin(2.0 * pi * k * r.Revs(static_cast<double>(i) / kRate));
        x[i] = 5.0 * std::clamp(0.5 + gain * s, 0.0, 1.0);
    }
    return x;
}

double Origin(const RunUp& r, const AngleTrack& t, int k) {
    return std::round(r.Revs(t.FirstTime()) * k) / k - t.FirstRev();
}

// Share of the spectra above 10 Hz whose cut of each order is within
// 0.5 dB and 5 degrees of the truth; the worst order's share is returned.
double WorstShare(const std::vector<double>& x, const AngleTrack& track) {
    const double maxOrder = 32.0;
    const AngleSignal a =
        ResampleToAngle(x, 0.0, 1.0 / kRate, track, SamplesPerRev(maxOrder), maxOrder);
    EXPECT_EQ(a.error, "");
    OrderSpectrumParams p;
    p.maxOrder = maxOrder;
    const OrderSpectra s = ComputeOrderSpectra(a, track, p);
    EXPECT_EQ(s.error, "");
    double worst = 1.0;
    for (const Component& c : kOrders) {
        const OrderCut cut = CutOrder(s, c.order);
        int seen = 0, good = 0;
        double maxDb = 0, maxDeg = 0;
        for (size_t row = 0; row < s.Rows(); ++row) {
            if (s.speed[row] < 10.0) continue;
            ++seen;
            const double db = 20.0 * std::log10(cut.rms[row] / c.rms);
            const double deg = std::remainder(cut.phase[row] - c.phaseDeg, 360.0);
            maxDb = std::max(maxDb, std::abs(db));
            maxDeg = std::max(maxDeg, std::abs(deg));
            good += std::abs(db) <= 0.5 && std::abs(deg) <= 5.0;
        }
        EXPECT_GE(seen, 12) << c.order;
        const double share = seen ? static_cast<double>(good) / seen : 0.0;
        std::printf("order %5.1f: %3d spectra, %.1f %% within, worst %.3f dB %.2f deg\n", c.order,
                    seen, 100.0 * share, maxDb, maxDeg);
        worst = std::min(worst, share);
    }
    return worst;
}

TEST(Orders, RunUpReadsOrdersFromOnePulsePerRevolution) {
    const RunUp r{2.0, 20.0, 10.0};  // 2 to 202 Hz: order 23.5 reaches 4.7 kHz
    const AngleTrackResult t = TachoAngle(Tacho(r, 1, 3.0), 0.0, 1.0 / kRate, {});
    ASSERT_EQ(t.error, "");
    EXPECT_GE(WorstShare(Vibration(r, Origin(r, t.track, 1)), t.track), 0.95);
}

TEST(Orders, RunUpReadsOrdersFromSixtyPulsesAndFromSpeed) {
    const RunUp r{2.0, 12.0, 4.5};  // 60 pulses a turn stay below 3.3 kHz
    TachoAngleParams p;
    p.pulsesPerRev = 60;
    const AngleTrackResult t = TachoAngle(Tacho(r, 60, 0.6), 0.0, 1.0 / kRate, p);
    ASSERT_EQ(t.error, "");
    const std::vector<double> x = Vibration(r, Origin(r, t.track, 60));
    EXPECT_GE(WorstShare(x, t.track), 0.95);

    const RunUp fast{2.0, 20.0, 10.0};
    std::vector<double> hz(static_cast<size_t>(fast.seconds * 100.0) + 1);  // 100 S/s
    for (size_t i = 0; i < hz.size(); ++i) hz[i] = fast.Hz(static_cast<double>(i) / 100.0);
    const AngleTrackResult s = SpeedAngle(hz, 0.0, 0.01);
    ASSERT_EQ(s.error, "");
    EXPECT_GE(WorstShare(Vibration(fast), s.track), 0.95);
}

TEST(Orders, AngleDomainMapReadsTheOrdersAtEveryColumn) {
    const RunUp r{5.0, 20.0, 6.0};
    SignalSnapshot x, speed;
    x.samples = SampleBuffer(Vibration(r));
    x.stepX = 1.0 / kRate;
    std::vector<double> rpm(601);
    for (size_t i = 0; i < rpm.size(); ++i) rpm[i] = 60.0 * r.Hz(static_cast<double>(i) / 100.0);
    speed.samples = SampleBuffer(rpm);
    speed.stepX = 0.01;
    speed.unit = "rpm";
    MapParams p;
    p.y = MapAxisY::Order;
    p.angleDomain = true;
    p.maxOrder = 32;
    p.spectrum.n = 2048;  // 16 revolutions of 128 samples
    p.spectrum.overlap = 50;
    const MapResult m = ComputeMap(x, &speed, p);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.dy, 1.0 / 16);
    ASSERT_GT(m.Columns(), 20u);
    for (size_t c = 0; c < m.Columns(); ++c) {
        EXPECT_NEAR(m.Cell(c, 23 * 16 + 8), 0.2, 0.002) << c;  // order 23.5
        EXPECT_NEAR(m.Cell(c, 16), 1.0, 0.01) << c;            // order 1
    }
}

TEST(Orders, BadInputFails) {
    const std::vector<double> flat(10000, 1.0);
    EXPECT_NE(TachoAngle(flat, 0.0, 1.0 / kRate, {}).error, "");
    const RunUp r{5.0, 0.0, 2.0};  // 10 turns only
    const AngleTrackResult t = TachoAngle(Tacho(r, 1, 3.0), 0.0, 1.0 / kRate, {});
    ASSERT_EQ(t.error, "");
    const AngleSignal a = ResampleToAngle(Vibration(r), 0.0, 1.0 / kRate, t.track, 128, 32);
    ASSERT_EQ(a.error, "");
    OrderSpectrumParams p;
    p.maxOrder = 32;
    EXPECT_NE(ComputeOrderSpectra(a, t.track, p).error, "");  // fewer than 16 turns
    p.revs = 4;
    EXPECT_EQ(ComputeOrderSpectra(a, t.track, p).error, "");
    p.maxOrder = 100;  // above half the samples per turn
    EXPECT_NE(ComputeOrderSpectra(a, t.track, p).error, "");
}

TEST(Orders, SynchronousAverageKeepsTheWheelAndDropsThePinion) {
    // Tacho on the pinion; the wheel turns 0.6 times as fast. The wheel's
    // waveform (its orders 1 and 7) stays in its average, the pinion's
    // order 1 averages out and shows in the residual.
    const RunUp r{20.0, 2.0, 20.0};
    const AngleTrackResult t = TachoAngle(Tacho(r, 1, 3.0), 0.0, 1.0 / kRate, {});
    ASSERT_EQ(t.error, "");
    std::vector<double> x(r.Samples());
    auto wheel = [](double th) { return std::cos(2 * pi * th) + 0.5 * std::sin(2 * pi * 7 * th); };
    for (size_t i = 0; i < x.size(); ++i) {
        const double th = r.Revs(static_cast<double>(i) / kRate) - Origin(r, t.track, 1);
        x[i] = wheel(0.6 * th) + 0.8 * std::cos(2 * pi * th + 1.0);
    }
    const SyncAverage s = SynchronousAverage(x, 0.0, 1.0 / kRate, t.track, 0.6, 256);
    ASSERT_EQ(s.error, "");
    EXPECT_GT(s.revolutions, 200);
    double worst = 0, residual = 0;
    for (int j = 0; j < 256; ++j) {
        worst = std::max(worst, std::abs(s.average[j] - wheel(j / 256.0)));
        residual += s.residual[j] * s.residual[j] / 256;
    }
    EXPECT_LT(worst, 0.05);
    EXPECT_NEAR(std::sqrt(residual), 0.8 / std::sqrt(2.0), 0.03);
}

}  // namespace
}  // namespace korvex
