// Speed from the spectrum of the demo's accelerometer against its tacho, and
// "vantrel speed" end to end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "apps/samplegen/gearbox.h"
#include "korvex/dsp/speedtrack.h"
#include "korvex/formats/formats.h"
#include "run_vantrel.h"
#include "test_util.h"

namespace {

const korvex::SignalData& Find(const korvex::DataSet& set, const std::string& name) {
    for (const auto& s : set.signals)
        if (s.name == name) return s;
    throw std::runtime_error("no " + name);
}

korvex::SignalSnapshot Snap(const korvex::SignalData& s) {
    korvex::SignalSnapshot snap;
    snap.samples = korvex::SampleBuffer(s.samples);
    snap.startX = s.startX;
    snap.stepX = s.stepX;
    return snap;
}

// The demo run-up and its tacho speed from the "Тахо" algorithm in short
// blocks, so that it can be read at any time between them.
class DemoSpeed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        set_ = std::make_unique<korvex::DataSet>(
            samplegen::MakeGearboxSample(samplegen::GearboxScheme{}));
        const korvex::SignalData& tacho = Find(*set_, samplegen::kTachoName);
        korvex::OperatorParams p;
        p.Set("deltaF", 20.0);
        tacho_ = std::make_unique<korvex::TachoResult>();
        ASSERT_EQ(korvex::Tacho(tacho.samples, tacho.startX, tacho.stepX, p, *tacho_), 0);
    }
    static void TearDownTestSuite() {
        set_.reset();
        tacho_.reset();
    }
    static double TachoAt(double t) {
        const double k = (t - tacho_->startX) / tacho_->stepX;
        const size_t i = static_cast<size_t>(std::clamp(k, 0.0, tacho_->values.size() - 1.001));
        const double f = std::clamp(k - static_cast<double>(i), 0.0, 1.0);
        return tacho_->values[i] * (1 - f) + tacho_->values[i + 1] * f;
    }
    // Share of the points within tolerance of the tacho, and the worst error.
    static std::pair<double, double> Compare(const korvex::SpeedTrackResult& r, double tolerance) {
        size_t good = 0;
        double worst = 0;
        for (size_t c = 0; c < r.hz.size(); ++c) {
            const double ref = TachoAt(r.startX + r.stepX * static_cast<double>(c));
            const double e = std::abs(r.hz[c] - ref) / ref;
            good += e <= tolerance;
            worst = std::max(worst, e);
        }
        return {static_cast<double>(good) / static_cast<double>(r.hz.size()), worst};
    }
    static inline std::unique_ptr<korvex::DataSet> set_;
    static inline std::unique_ptr<korvex::TachoResult> tacho_;
};

TEST_F(DemoSpeed, GearMeshOrderFollowsTheTachoWithinHalfAPerCent) {
    const korvex::SignalSnapshot acc = Snap(Find(*set_, samplegen::kAcc1Name));
    korvex::SpeedTrackParams p;
    p.order = 23;  // the pinion's teeth: the mesh
    p.hasStart = true;
    p.startX = 1.0;
    p.startHz = 230.0;  // 10 Hz x 23, as read off the map
    const korvex::SpeedTrackResult start = korvex::TrackSpeed(acc, p);
    ASSERT_EQ(start.status, 0) << start.error;
    EXPECT_EQ(start.state, 0);
    auto [share, worst] = Compare(start, 0.005);
    std::printf("mesh, start 1 s 230 Hz: %zu points, %.1f %% within 0.5 %%, worst %.3f %%\n",
                start.hz.size(), share * 100, worst * 100);
    EXPECT_GE(share, 0.95);

    p.hasStart = false;
    p.hasRange = true;
    p.lo = 150;
    p.hi = 1300;
    const korvex::SpeedTrackResult range = korvex::TrackSpeed(acc, p);
    ASSERT_EQ(range.status, 0) << range.error;
    std::tie(share, worst) = Compare(range, 0.005);
    std::printf("mesh, band 150-1300 Hz: %.1f %% within 0.5 %%, worst %.3f %%\n", share * 100,
                worst * 100);
    EXPECT_GE(share, 0.95);
}

TEST_F(DemoSpeed, ShaftOrderFollowsTheTachoWithinOnePerCent) {
    const korvex::SignalSnapshot acc = Snap(Find(*set_, samplegen::kAcc1Name));
    korvex::SpeedTrackParams p;
    p.spectrum.n = 32768;  // the shaft line is a few lines from the output shaft's
    p.hasStart = true;
    p.startX = 30.0;
    p.startHz = 30.0;
    const korvex::SpeedTrackResult r = korvex::TrackSpeed(acc, p);
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.state, 0);  // no slip warning on a clean run-up
    const auto [share, worst] = Compare(r, 0.01);
    std::printf("shaft, N 32768: %zu points, %.1f %% within 1 %%, worst %.3f %%, seen %.1f %%\n",
                r.hz.size(), share * 100, worst * 100, r.seenShare * 100);
    EXPECT_GE(share, 0.95);
}

}  // namespace

namespace {

TEST(VantrelSpeed, WritesTheShaftSpeedOrSaysWhyNot) {
    testutil::TempDir dir("cli-speed");
    samplegen::GearboxScheme scheme;
    scheme.duration = 20.0;
    const std::string data = dir.Path("gearbox.quor");
    ASSERT_TRUE(samplegen::WriteGearboxSample(scheme, data).ok);

    const std::string out = dir.Path("speed.quor");
    testutil::Outcome o =
        testutil::Vantrel({"speed", "--data", data, "--channel", "Acc1", "--order", "23", "--start",
                           "1,230", "--out", out, "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err, "");
    korvex::DataSet back;
    ASSERT_TRUE(korvex::ReadQuor(out, back).ok);
    ASSERT_EQ(back.signals.size(), 1u);
    const korvex::SignalData& s = back.signals[0];
    EXPECT_EQ(s.name, "Acc1.speed");
    EXPECT_EQ(s.unit, "Hz");
    // The steady speeds of this faster run-up (the run-up itself is checked
    // against the tacho above).
    size_t steady = 0;
    for (const samplegen::SpeedPlateau& sp : samplegen::SpeedPlateaus(scheme))
        for (size_t i = 0; i < s.samples.size(); ++i) {
            const double t = s.startX + s.stepX * static_cast<double>(i);
            if (t < sp.from + 0.2 || t > sp.to - 0.2) continue;
            EXPECT_NEAR(s.samples[i], sp.hz, 0.005 * sp.hz) << t;
            ++steady;
        }
    EXPECT_GT(steady, 100u);
    o = testutil::Vantrel({"speed", "--data", data, "--channel", "Acc1", "--order", "23", "--range",
                           "150,1300", "--out", dir.Path("speed.csv"), "-q"});
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path("speed.csv")));

    struct Bad {
        std::vector<std::string> args;
        int code;
        const char* says;
    };
    const Bad bad[] = {
        {{"--order", "7", "--start", "1,70"}, 1, "no line stands out near 70 Hz"},
        {{"--order", "23", "--range", "13000,14000"}, 2, "Nyquist"},
        {{"--order", "23", "--start", "25,230", "--block", "65536"}, 2, "outside"},
        {{"--order", "23", "--start", "1,230", "--block", "1000"}, 2, "power of two"},
        {{"--order", "11.5", "--start", "1,230"}, 2, "fits order 23"},
        {{"--order", "23"}, 2, "--start T,HZ or --range LO,HI"},
        {{"--order", "23", "--start", "1"}, 2, "--start takes T,HZ"},
    };
    for (const Bad& b : bad) {
        std::vector<std::string> args = {"speed", "--data",           data, "--channel", "Acc1",
                                         "--out", dir.Path("bad.mat")};
        args.insert(args.end(), b.args.begin(), b.args.end());
        o = testutil::Vantrel(args);
        EXPECT_EQ(o.code, b.code) << b.says << ": " << o.err;
        // What the record refuses is refused before its map is made.
        if (b.args.size() > 4) {
            EXPECT_EQ(o.err.find("spectral map"), std::string::npos) << b.says;
        }
        EXPECT_NE(o.err.find(b.says), std::string::npos) << o.err;
        EXPECT_FALSE(std::filesystem::exists(dir.Path("bad.mat"))) << b.says;
    }
}

}  // namespace
