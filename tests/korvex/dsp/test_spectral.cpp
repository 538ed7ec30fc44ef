// The spectrum at a time and the spectral maps: scalings, orders of a
// run-up, speed bins by direction, the job's cache and stop, bad input.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "korvex/dsp/spectral.h"
#include "korvex/dsp/spectralmap.h"
#include "korvex/host.h"

namespace {

using korvex::MapAxisX;
using korvex::MapAxisY;
using korvex::MapParams;
using korvex::SignalSnapshot;
using korvex::SpectrumAmplitude;
using korvex::SpectrumScale;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

SignalSnapshot Snap(std::vector<double> y, double dt, std::string unit = "m/s^2", int id = 1) {
    SignalSnapshot s;
    s.id = id;
    s.samples = korvex::SampleBuffer(std::move(y));
    s.stepX = dt;
    s.unit = std::move(unit);
    return s;
}

// Largest cell of a column between two rows, and its row.
size_t PeakRow(const korvex::MapResult& m, size_t c, size_t r0, size_t r1) {
    size_t best = r0;
    for (size_t r = r0; r < r1; ++r)
        if (m.Cell(c, r) > m.Cell(c, best)) best = r;
    return best;
}

TEST(Spectral, ToneReadsInEveryAmplitudeAndScale) {
    // 64 Hz lies on line 64 of a 1024-point block at 1024 Hz.
    std::vector<double> y(4096);
    for (size_t i = 0; i < y.size(); ++i) y[i] = 3.0 * std::sin(kTwoPi * 64.0 * i / 1024.0);
    const SignalSnapshot s = Snap(y, 1.0 / 1024.0);
    korvex::SpectrumParams p;
    p.n = 1024;
    const struct {
        SpectrumAmplitude amplitude;
        SpectrumScale scale;
        double reference, want;
        const char* unit;
    } cases[] = {
        {SpectrumAmplitude::Rms, SpectrumScale::Linear, 1, 3 / std::sqrt(2.0), "m/s^2"},
        {SpectrumAmplitude::Peak, SpectrumScale::Linear, 1, 3, "m/s^2"},
        {SpectrumAmplitude::Power, SpectrumScale::Linear, 1, 4.5, "(m/s^2)^2"},
        {SpectrumAmplitude::Psd, SpectrumScale::Linear, 1, 4.5 / 1.5, "(m/s^2)^2/Hz"},
        {SpectrumAmplitude::Rms, SpectrumScale::Db, 1e-3, 20 * std::log10(3e3 / std::sqrt(2.0)),
         "dB re 0.001 m/s^2"},
        {SpectrumAmplitude::Power, SpectrumScale::Db, 2, 10 * std::log10(4.5 / 2),
         "dB re 2 (m/s^2)^2"},
    };
    for (const auto& c : cases) {
        p.amplitude = c.amplitude;
        p.scale = c.scale;
        p.dbReference = c.reference;
        const korvex::Spectrum sp = korvex::SpectrumAt(s, 2.0, p);
        ASSERT_EQ(sp.error, "");
        EXPECT_NEAR(sp.values[64], c.want, 1e-9 * std::fabs(c.want)) << c.unit;
        EXPECT_EQ(sp.unit, c.unit);
    }
    // Zero power reads the floor in dB, not minus infinity.
    const korvex::Spectrum silent = korvex::SpectrumAt(Snap(std::vector<double>(1024), 1e-3), 0, p);
    EXPECT_EQ(silent.values[5], korvex::kDbFloor);

    const korvex::Spectrum sp = korvex::SpectrumAt(s, 2.0, p);
    EXPECT_DOUBLE_EQ(sp.resolution.df, 1.0);
    EXPECT_DOUBLE_EQ(sp.resolution.enbwLines, 1.5);
    EXPECT_DOUBLE_EQ(sp.resolution.rbw, 1.5);
    EXPECT_EQ(sp.firstSample, 2048u - 512u);
    // Clamped to the signal at both ends.
    EXPECT_EQ(korvex::SpectrumAt(s, -50.0, p).firstSample, 0u);
    EXPECT_EQ(korvex::SpectrumAt(s, 50.0, p).firstSample, 4096u - 1024u);
}

TEST(Spectral, AveragedNoiseReadsItsDensity) {
    // White noise of variance 1 at 1000 Hz has a one-sided density of 2/1000.
    std::mt19937 rng(3);
    std::normal_distribution<double> noise;
    std::vector<double> y(1 << 16);
    for (double& v : y) v = noise(rng);
    korvex::SpectrumParams p;
    p.n = 256;
    p.window = 4;
    p.averages = 400;
    p.overlap = 50;
    p.amplitude = SpectrumAmplitude::Psd;
    const korvex::Spectrum sp = korvex::SpectrumAt(Snap(y, 1e-3), 30.0, p);
    ASSERT_EQ(sp.error, "");
    EXPECT_EQ(sp.blocks, 400);
    double mean = 0;
    for (size_t k = 1; k < 128; ++k) mean += sp.values[k] / 127;
    EXPECT_NEAR(mean, 2e-3, 2e-3 * 0.03);
    // More averages than the signal holds: as many as fit, and a note.
    p.averages = 1000;
    const korvex::Spectrum few = korvex::SpectrumAt(Snap(y, 1e-3), 30.0, p);
    EXPECT_EQ(few.blocks, (65536 - 256) / 128 + 1);
    EXPECT_NE(few.note, "");
}

TEST(SpectralMap, ColumnsAreTheSpectraAtTheirTimes) {
    std::mt19937 rng(11);
    std::normal_distribution<double> noise;
    std::vector<double> y(20000);
    for (size_t i = 0; i < y.size(); ++i) y[i] = std::sin(0.3 * i) + 1e-3 * noise(rng);
    const SignalSnapshot s = Snap(y, 1e-3);
    MapParams p;
    p.spectrum.n = 512;
    p.spectrum.overlap = 30;
    for (SpectrumScale scale : {SpectrumScale::Linear, SpectrumScale::Db}) {
        p.spectrum.scale = scale;
        const korvex::MapResult m = korvex::ComputeMap(s, nullptr, p);
        ASSERT_EQ(m.error, "");
        ASSERT_EQ(m.rows, 257u);
        for (size_t c = 0; c < m.Columns(); c += 5) {
            const korvex::Spectrum sp = korvex::SpectrumAt(s, m.x[c], p.spectrum);
            for (size_t r = 0; r < m.rows; ++r)
                ASSERT_EQ(m.Cell(c, r), static_cast<float>(sp.values[r])) << c << " " << r;
        }
    }
    // dB against the library's logarithm over the whole range.
    korvex::SpectrumParams db;
    db.amplitude = SpectrumAmplitude::Power;
    db.scale = SpectrumScale::Db;
    const korvex::AmplitudeScaler scaler(db, 1.0, 1.0);
    for (double r = 1e-30; r < 1e30; r *= 1.37)
        EXPECT_NEAR(scaler(r), 10 * std::log10(r), 1e-9) << r;
    EXPECT_EQ(scaler(1e-31), korvex::kDbFloor);
    EXPECT_TRUE(std::isinf(scaler(INFINITY)));
}

// A shaft from 5 to 25 Hz in 20 s; the vibration is order 1 plus a smaller
// order 3. The speed curve is in rpm, 10 points a second.
TEST(SpectralMap, OrdersOfARunUpLieOnTheirOrders) {
    const double fs = 2048.0;
    std::vector<double> y(static_cast<size_t>(20 * fs)), rpm(200);
    for (size_t i = 0; i < y.size(); ++i) {
        const double t = i / fs, revs = 5 * t + 0.25 * t * t;
        y[i] = std::sin(kTwoPi * revs) + 0.5 * std::sin(kTwoPi * 3 * revs);
    }
    for (size_t i = 0; i < rpm.size(); ++i) rpm[i] = 60.0 * (5.0 + 0.5 * (0.05 + 0.1 * i));
    SignalSnapshot speed = Snap(rpm, 0.1, "rpm", 2);
    speed.startX = 0.05;
    MapParams p;
    p.spectrum.n = 2048;
    p.spectrum.overlap = 50;
    p.spectrum.window = 5;
    p.x = MapAxisX::Speed;
    p.y = MapAxisY::Order;
    p.orderStep = 0.05;
    p.maxOrder = 5;
    const korvex::MapResult m = korvex::ComputeMap(Snap(y, 1 / fs), &speed, p);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.xUnit, "rpm");
    EXPECT_EQ(m.yUnit, "order");
    ASSERT_EQ(m.rows, 101u);
    ASSERT_EQ(m.Columns(), 39u);
    for (size_t c = 0; c < m.Columns(); ++c) {
        const double hz = 5 + 0.25 * (1 + c);  // at the middle of the block
        EXPECT_NEAR(m.x[c], 60 * hz, 1e-9) << c;
        // Within half a line and a row of the order.
        const double near = 0.5 / hz + 0.05;
        const size_t one = PeakRow(m, c, 0, 40), three = PeakRow(m, c, 40, 101);
        EXPECT_NEAR(one * 0.05, 1.0, near) << c;
        EXPECT_NEAR(three * 0.05, 3.0, near) << c;
        EXPECT_NEAR(m.Cell(c, one), std::sqrt(0.5), 0.02) << c;
        EXPECT_NEAR(m.Cell(c, three), 0.5 * std::sqrt(0.5), 0.01) << c;
    }
}

// Up from 10 to 30 Hz and down again, 20 s each way; order 1 is 1 on the
// way up and 2 on the way down.
struct UpAndDown {
    SignalSnapshot signal, speed;
    UpAndDown() {
        const double fs = 1024.0;
        std::vector<double> y(static_cast<size_t>(40 * fs)), hz(400);
        double revs = 0;
        for (size_t i = 0; i < y.size(); ++i) {
            const double t = i / fs;
            revs += (t < 20 ? 10 + t : 50 - t) / fs;
            y[i] = (t < 20 ? 1.0 : 2.0) * std::sin(kTwoPi * revs);
        }
        for (size_t i = 0; i < hz.size(); ++i) {
            const double t = 0.05 + 0.1 * i;
            hz[i] = t < 20 ? 10 + t : 50 - t;
        }
        signal = Snap(y, 1 / fs);
        speed = Snap(hz, 0.1, "Hz", 2);
        speed.startX = 0.05;
    }
};

TEST(SpectralMap, SpeedBinsKeepRunUpAndRunDownApart) {
    const UpAndDown d;
    MapParams p;
    p.spectrum.n = 1024;
    p.spectrum.overlap = 75;
    p.spectrum.window = 5;
    p.x = MapAxisX::Speed;
    p.y = MapAxisY::Order;
    p.orderStep = 0.1;
    p.maxOrder = 2;
    p.binStep = 2.0;
    const struct {
        korvex::SpeedDirection direction;
        double want;
    } cases[] = {{korvex::SpeedDirection::Rising, std::sqrt(0.5)},
                 {korvex::SpeedDirection::Falling, std::sqrt(2.0)},
                 {korvex::SpeedDirection::Both, std::sqrt(1.25)}};
    for (const auto& c : cases) {
        p.direction = c.direction;
        const korvex::MapResult m = korvex::ComputeMap(d.signal, &d.speed, p);
        ASSERT_EQ(m.error, "");
        ASSERT_EQ(m.Columns(), 11u);  // bins 10, 12, ..., 30 Hz
        for (size_t b = 1; b + 1 < m.Columns(); ++b) {
            EXPECT_DOUBLE_EQ(m.x[b], 10.0 + 2.0 * b);
            EXPECT_NEAR(m.Cell(b, 10), c.want, c.want * 0.03) << b;
            EXPECT_GE(m.blocks[b], 6);
        }
    }
    // The centre block alone, and bins short of blocks left empty.
    p.binFill = korvex::BinFill::Centre;
    p.direction = korvex::SpeedDirection::Rising;
    korvex::MapResult m = korvex::ComputeMap(d.signal, &d.speed, p);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.blocks[5], 1);
    p.binFill = korvex::BinFill::Average;
    p.minBlocksPerBin = 1000;
    m = korvex::ComputeMap(d.signal, &d.speed, p);
    ASSERT_EQ(m.error, "");
    EXPECT_TRUE(std::isnan(m.Cell(5, 10)));
    EXPECT_EQ(m.notes.size(), 1u);
}

TEST(SpectralMap, BadInputGivesAMessageAndNoMap) {
    const UpAndDown d;
    const SignalSnapshot shortSignal = Snap(std::vector<double>(1000), 1e-3);
    const SignalSnapshot standing = Snap(std::vector<double>(400, 0.0), 0.1, "Hz", 2);
    SignalSnapshot late = d.speed;
    late.startX = 100;
    auto with = [](auto change) {
        MapParams p;
        p.spectrum.n = 1024;
        change(p);
        return p;
    };
    const auto orders = [](MapParams& p) { p.y = MapAxisY::Order; };
    const struct {
        const SignalSnapshot* signal;
        const SignalSnapshot* speed;
        MapParams params;
        const char* says;
    } cases[] = {
        {&shortSignal, nullptr, with([](MapParams&) {}), "fewer than one block"},
        {&d.signal, nullptr, with([](MapParams& p) { p.spectrum.n = 1000; }), "power of two"},
        {&d.signal, nullptr, with([](MapParams& p) { p.spectrum.n = 1 << 16; }), "fewer than"},
        {&d.signal, nullptr, with([](MapParams& p) { p.spectrum.overlap = 100; }), "overlap"},
        {&d.signal, nullptr, with(orders), "needs a speed signal"},
        {&d.signal, &standing, with(orders), "never rises above zero"},
        {&d.signal, &late, with(orders), "covers"},
        {&d.signal, nullptr, with([](MapParams& p) { p.memoryLimit = 50000; }), "limit"},
        {&d.signal, nullptr, with([](MapParams& p) { p.from = 30, p.to = 30.5; }), "time range"},
    };
    for (const auto& c : cases) {
        const korvex::MapResult m = korvex::ComputeMap(*c.signal, c.speed, c.params);
        EXPECT_NE(m.error.find(c.says), std::string::npos) << c.says << ": " << m.error;
        EXPECT_TRUE(m.cells.empty() && m.x.empty()) << c.says;
    }
    // Within the limit once reduced to display resolution.
    MapParams p = with([](MapParams& q) {
        q.memoryLimit = 50000;
        q.maxColumns = 30;
        q.maxRows = 300;
    });
    const korvex::MapResult m = korvex::ComputeMap(d.signal, nullptr, p);
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.Columns(), 20u);  // 40 blocks, two to a column
    EXPECT_EQ(m.rows, 257u);      // 513 lines, two to a row
    EXPECT_EQ(m.cells.size(), m.Columns() * m.rows);
    EXPECT_NEAR(m.x[0], 1.0, 1e-12);  // middles of blocks 0 and 1
}

TEST(SpectralMap, JobCachesUntilTheSignalChangesAndStops) {
    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    korvex::SignalData data;
    data.stepX = 1e-4;
    data.samples.assign(1 << 20, 0.0);
    for (size_t i = 0; i < data.samples.size(); ++i) data.samples[i] = std::sin(0.01 * i);
    auto sig = host->NewSignal();
    sig->Assign(data);
    ASSERT_TRUE(host->AddSignal("/Signals/s", "a", sig));

    korvex::MapJob job;
    MapParams p;
    p.spectrum.n = 256;
    std::atomic<int> done{0};
    job.Start(*sig, nullptr, p, [&] { ++done; });
    while (job.Running()) std::this_thread::yield();
    const auto first = job.Result();
    ASSERT_TRUE(first && first->error.empty());
    EXPECT_EQ(job.Progress(), 1.0);
    job.Start(*sig, nullptr, p, [&] { ++done; });
    EXPECT_FALSE(job.Running());
    EXPECT_EQ(job.Result(), first);  // from the cache, at once
    EXPECT_EQ(done.load(), 2);

    // A write gives the signal a new array, so the map is made again.
    plat::Variant args[2] = {plat::Variant(5), plat::Variant(1.0)};
    ASSERT_EQ(sig->Invoke(19, plat::InvokeKind::Method, args, nullptr), plat::DispResult::Ok);
    job.Start(*sig, nullptr, p);
    while (job.Running()) std::this_thread::yield();
    ASSERT_TRUE(job.Result() && job.Result()->error.empty());
    EXPECT_NE(job.Result(), first);

    // A long map stopped at once ends stopped and is not kept.
    p.spectrum.overlap = 90;
    job.Start(*sig, nullptr, p);
    job.Stop();
    ASSERT_TRUE(job.Result());
    EXPECT_TRUE(job.Result()->stopped);
    EXPECT_TRUE(job.Result()->cells.empty());
    EXPECT_EQ(job.Cache().Size(), 1u);  // the changed signal's map replaced the first
}

}  // namespace
