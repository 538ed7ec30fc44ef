// Speed from the spectrum: what bad input gives, and the warning for a line
// that doubles. Accuracy on the demo run-up is checked in tests/apps.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "korvex/dsp/speedtrack.h"

namespace korvex {
namespace {

constexpr double kRate = 4096.0;

// A tone whose frequency follows hz(t), with white noise of the given RMS.
template <class F>
SignalSnapshot Tone(double seconds, F hz, double noise, double amplitude = 1.0) {
    std::mt19937 gen(7);
    std::normal_distribution<double> n(0.0, noise);
    std::vector<double> y(static_cast<size_t>(seconds * kRate));
    double phase = 0.0;
    for (size_t i = 0; i < y.size(); ++i) {
        phase += 2.0 * std::numbers::pi * hz(static_cast<double>(i) / kRate) / kRate;
        y[i] = amplitude * std::sin(phase) + (noise > 0 ? n(gen) : 0.0);
    }
    SignalSnapshot s;
    s.samples = SampleBuffer(std::move(y));
    s.stepX = 1.0 / kRate;
    return s;
}

SpeedTrackParams Params(double order) {
    SpeedTrackParams p;
    p.spectrum.n = 2048;
    p.order = order;
    return p;
}

TEST(SpeedTrack, BadInputGivesAMessageAndNoSpeed) {
    const auto ramp = [](double t) { return 100.0 + 10.0 * t; };  // 100 to 200 Hz in 10 s
    const SignalSnapshot tone = Tone(10.0, ramp, 0.05);
    SpeedTrackParams p = Params(2.0);
    p.hasStart = true;
    p.startX = 5.0;
    p.startHz = 150.0;
    SpeedTrackResult ok = TrackSpeed(tone, p);
    ASSERT_EQ(ok.status, 0) << ok.error;
    for (size_t c = 0; c < ok.hz.size(); ++c)
        ASSERT_NEAR(ok.hz[c], ramp(ok.startX + ok.stepX * static_cast<double>(c)) / 2, 0.1);

    // A band reaching past the Nyquist frequency is cut there.
    SpeedTrackParams wide = Params(2.0);
    wide.hasRange = true;
    wide.lo = 100.0;
    wide.hi = 1e300;
    EXPECT_EQ(TrackSpeed(tone, wide).status, 0);

    struct Case {
        const char* what;
        SignalSnapshot signal;
        SpeedTrackParams params;
        int code;
        const char* says;
    };
    std::vector<Case> cases;
    SignalSnapshot flat = tone;
    flat.samples = SampleBuffer(std::vector<double>(tone.samples.size(), 0.25));
    cases.push_back({"flat", flat, p, kSpeedFlat, "flat"});
    cases.push_back({"noise", Tone(10.0, ramp, 1.0, 0.0), p, kSpeedNoLine, "near 150 Hz"});
    SpeedTrackParams absent = p;
    absent.startHz = 400.0;  // no line there
    cases.push_back({"absent order", tone, absent, kSpeedNoLine, "near 400 Hz"});
    SpeedTrackParams late = p;
    late.startX = 12.0;
    cases.push_back({"start after the end", tone, late, kSpeedBadStart, "outside"});
    SpeedTrackParams band = Params(2.0);
    band.hasRange = true;
    band.lo = 2100.0;
    band.hi = 2500.0;
    cases.push_back({"band above Nyquist", tone, band, kSpeedBadRange, "Nyquist"});
    band.lo = 0.0;
    band.hi = 2000.0;
    cases.push_back({"noise in a band", Tone(10.0, ramp, 1.0, 0.0), band, kSpeedNoLine,
                     "stands out of the noise in only"});
    SpeedTrackParams none = Params(0.0);
    cases.push_back({"no order", tone, none, kSpeedBadOrder, "order"});
    SignalSnapshot shortOne = tone;
    shortOne.samples =
        SampleBuffer(std::vector<double>(tone.samples.data(), tone.samples.data() + 100));
    cases.push_back({"shorter than a block", shortOne, p, kSpeedBadSpectrum, "shorter"});
    for (const Case& c : cases) {
        const SpeedTrackResult r = TrackSpeed(c.signal, c.params);
        EXPECT_EQ(r.status, c.code) << c.what << ": " << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << c.what << ": " << r.error;
        EXPECT_TRUE(r.hz.empty()) << c.what;
    }
}

TEST(SpeedTrack, WarnsWhenTheLineDoubles) {
    // The followed line gives way to its second harmonic halfway: what a
    // search sees when the first order fades.
    const SignalSnapshot s = Tone(
        10.0, [](double t) { return t < 5.0 ? 100.0 : 200.0; }, 0.05);
    SpeedTrackParams p = Params(1.0);
    p.hasRange = true;
    p.lo = 50.0;
    p.hi = 400.0;
    const SpeedTrackResult r = TrackSpeed(s, p);
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.state, kSpeedOctaveJump);
    ASSERT_FALSE(r.notes.empty());
    EXPECT_NE(r.notes.back().find("twice"), std::string::npos) << r.notes.back();

    // A steady run-up over the same span is no slip.
    const SignalSnapshot ramp = Tone(
        10.0, [](double t) { return 100.0 + 10.0 * t; }, 0.05);
    EXPECT_EQ(TrackSpeed(ramp, p).state, kDspOk);
}

// A shaft at 8 to 9 Hz whose 1x line is 14 dB stronger than its 2x, 4
// spectrum lines (2 Hz) apart: the 2x must not slip onto the 1x and give
// half the speed, and a start that is the 1x line is no 2x.
TEST(SpeedTrack, OrderIsCheckedAgainstItsNeighbouringOrders) {
    std::mt19937 gen(3);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<double> y(static_cast<size_t>(10 * kRate));
    double phase = 0.0;
    for (size_t i = 0; i < y.size(); ++i) {
        phase += 2.0 * std::numbers::pi * (8.0 + 0.1 * static_cast<double>(i) / kRate) / kRate;
        y[i] = std::sin(phase) + 0.2 * std::sin(2 * phase) + noise(gen);
    }
    SignalSnapshot s;
    s.samples = SampleBuffer(std::move(y));
    s.stepX = 1.0 / kRate;
    SpeedTrackParams p = Params(2.0);
    p.hasStart = true;
    p.startX = 1.0;
    p.startHz = 16.2;
    const SpeedTrackResult r = TrackSpeed(s, p);
    ASSERT_EQ(r.status, 0) << r.error;
    for (size_t c = 0; c < r.hz.size(); ++c)
        EXPECT_NEAR(r.hz[c], 8.0 + 0.1 * (r.startX + r.stepX * static_cast<double>(c)), 0.1);
    p.startHz = 8.1;
    const SpeedTrackResult wrong = TrackSpeed(s, p);
    EXPECT_EQ(wrong.status, kSpeedWrongOrder);
    EXPECT_NE(wrong.error.find("order 1"), std::string::npos) << wrong.error;
}

}  // namespace
}  // namespace korvex
