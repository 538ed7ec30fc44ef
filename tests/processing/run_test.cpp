// Whole calculations against the stand-in host, on signals generated here:
// levels, run-up tracking, integration, the result tree, stops and bad input.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "config/cfgproc.h"
#include "engine_rig.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"

namespace {

namespace ku = korvex::units;
constexpr double kPi = std::numbers::pi;

std::vector<double> Sine(double amplitude, double hz, double fs, int n) {
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) y[i] = amplitude * std::sin(2.0 * kPi * hz * i / fs);
    return y;
}

// Counts the progress calls; can ask for a stop at a chosen step.
class Recorder : public IOrdProcNotify {
  public:
    void SetChannelCount(int n) override { channelCount = n; }
    void SetStepCount(int n) override { stepCounts.push_back(n); }
    void BeginChannel(const std::string& name, int type) override {
        begun.push_back(name + ":" + std::to_string(type));
        stepsInChannel = 0;
        if (engine && name == stopAtChannel && stopAtStep == 0) engine->RequestStop();
    }
    void ChannelDone() override { ++channelsDone; }
    void StepDone() override {
        ++steps;
        ++stepsInChannel;
        if (engine && begun.back().starts_with(stopAtChannel + ":") && stepsInChannel == stopAtStep)
            engine->RequestStop();
    }

    COrdProcessing* engine = nullptr;
    std::string stopAtChannel;
    int stopAtStep = -1;  // 0: at BeginChannel
    int channelCount = -1;
    std::vector<int> stepCounts;
    std::vector<std::string> begun;
    int channelsDone = 0;
    int steps = 0;
    int stepsInChannel = 0;
};

// Holds the worker at its first progress call until the test lets it go.
class Gate : public IOrdProcNotify {
  public:
    void SetChannelCount(int) override {
        while (!open.load()) std::this_thread::yield();
    }
    void SetStepCount(int) override {}
    void BeginChannel(const std::string&, int) override {}
    void ChannelDone() override {}
    void StepDone() override {}
    std::atomic<bool> open{false};
};

using Rig = testutil::EngineRig;

const std::string kResult = "/Signals/Результаты/test/";

TEST(Run, SineInFixedBandForEveryWindow) {
    // 100 Hz lies on line 16 of a 1024-point block at 6400 Hz.
    const double a = 3.0;
    for (int window = 1; window <= 5; ++window) {
        SCOPED_TRACE("window " + std::to_string(window));
        Rig rig;
        rig.AddSignal("acc", Sine(a, 100.0, 6400.0, 6400 * 2), 1.0 / 6400.0);
        CfgChannel& ch = rig.Channel("acc", CfgChannelMeasuring);
        ch.bDefOptFFT = false;
        ch.fftOpt = CfgFftOpt{1024, 512, window, false};
        rig.Select("acc", rig.Fixed("rms", 50.0, 150.0), 0, 0);
        rig.Select("acc", rig.Fixed("amp", 50.0, 150.0), 0, 1);
        rig.Select("acc", rig.Fixed("pp", 50.0, 150.0), 0, 2);

        COrdProcessing engine(rig.app, &rig.cfg);
        ASSERT_TRUE(engine.Run());
        EXPECT_EQ(engine.ResultCode(), OrdResultOk);
        const struct {
            const char* item;
            double want;
        } cases[] = {{"rms", a / std::sqrt(2.0)}, {"amp", a}, {"pp", 2.0 * a}};
        for (const auto& c : cases) {
            const std::vector<double> v = rig.Values(kResult + "acc/acc." + c.item);
            ASSERT_EQ(v.size(), (12800u - 1024u) / 512u + 1u) << c.item;
            for (double level : v) EXPECT_NEAR(level, c.want, c.want * 0.005) << c.item;
        }
    }
}

TEST(Run, TrackingBandFollowsTheRunUp) {
    // Shaft 10 -> 50 Hz in 20 s, one pulse per revolution; the vibration
    // carries order 2 only.
    const double fs = 5120.0, seconds = 20.0, amp = 2.0;
    const int n = static_cast<int>(fs * seconds);
    std::vector<double> pulses(n), vib(n);
    for (int i = 0; i < n; ++i) {
        const double t = i / fs;
        const double revs = 10.0 * t + t * t;  // integral of 10 + 2t
        pulses[i] = revs - std::floor(revs) < 0.2 ? 5.0 : 0.0;
        vib[i] = amp * std::sin(2.0 * kPi * 2.0 * revs);
    }
    Rig rig;
    rig.AddSignal("tacho", pulses, 1.0 / fs);
    rig.AddSignal("vib", vib, 1.0 / fs);
    rig.Channel("tacho", CfgChannelTacho, false);
    CfgChannel& ch = rig.Channel("vib", CfgChannelMeasuring);
    ch.bDefOptFFT = false;
    ch.fftOpt = CfgFftOpt{1024, 1024, 3, false};

    CCfgProcTaho* shaft = rig.Tacho("shaft", "tacho.taho");
    auto* order2 = rig.Add<CCfgProcBandTrack>("order2");
    order2->components.push_back({"shaft", shaft->id, 2.0});
    order2->bandWidth.tachoRefId = shaft->id;
    order2->bandWidth.fftBinsValue = 5;
    rig.Select("vib", order2);
    rig.Select("vib", rig.Fixed("start", 15.0, 25.0));
    rig.cfg.bandFrequencies = true;

    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());
    ASSERT_TRUE(rig.Exists(kResult + "Тахо/tacho.taho"));

    // The borders summed, in hertz, beside the levels: a fixed band's lines,
    // a tracking band's centre at twice the shaft within its minimum of five
    // lines (5 Hz apart).
    const std::string borders = kResult + "vib/Частоты полос/";
    EXPECT_EQ(rig.Values(borders + "start.lo"), std::vector<double>(100, 15.0));
    EXPECT_EQ(rig.Values(borders + "start.hi"), std::vector<double>(100, 25.0));
    EXPECT_FALSE(rig.Exists(borders + "start.mid"));
    const std::vector<double> lo = rig.Values(borders + "order2.lo");
    const std::vector<double> mid = rig.Values(borders + "order2.mid");
    const std::vector<double> hi = rig.Values(borders + "order2.hi");
    ASSERT_EQ(mid.size(), 100u);
    for (size_t k = 1; k + 1 < mid.size(); ++k) {
        const double t = (k * 1024 + 512) / fs;
        EXPECT_NEAR(mid[k], 2.0 * (10.0 + 2.0 * t), 1.0) << "block " << k;
        EXPECT_TRUE(hi[k] - lo[k] >= 25.0 && hi[k] - lo[k] <= 30.0) << "block " << k;
        EXPECT_TRUE(lo[k] <= mid[k] && mid[k] <= hi[k]) << "block " << k;
    }

    const std::vector<double> track = rig.Values(kResult + "vib/vib.order2");
    const std::vector<double> fixed = rig.Values(kResult + "vib/vib.start");
    ASSERT_EQ(track.size(), 100u);
    const double rms = amp / std::sqrt(2.0);
    for (size_t k = 1; k + 1 < track.size(); ++k)
        EXPECT_NEAR(track[k], rms, rms * 0.01) << "block " << k;
    EXPECT_NEAR(fixed[1], rms, rms * 0.05);
    EXPECT_LT(fixed.back(), rms * 0.05);
}

TEST(Run, IntegrationGivesVelocityAndDisplacement) {
    const double fs = 6400.0, hz = 200.0, a = 10.0;
    const int n = 6400;
    Rig rig;
    rig.AddSignal("acc", Sine(a, hz, fs, n), 1.0 / fs, ku::kQuantityAcceleration,
                  ku::kUnitMeterPerSecond2);
    rig.AddSignal("accg", Sine(1.0, hz, fs, n), 1.0 / fs, ku::kQuantityAcceleration, ku::kUnitG);
    rig.AddSignal("vel", Sine(a, hz, fs, n), 1.0 / fs, ku::kQuantityVelocity,
                  ku::kUnitMillimeterPerSecond);
    for (const char* name : {"acc", "accg", "vel"}) {
        CfgChannel& ch = rig.Channel(name, CfgChannelMeasuring);
        ch.bDefOptFFT = false;
        ch.fftOpt = CfgFftOpt{1024, 1024, 3, false};
    }
    auto* v = rig.Fixed("v", 150.0, 250.0);
    auto* d = rig.Fixed("d", 150.0, 250.0);
    rig.Select("acc", v, 1);
    rig.Select("acc", d, 2);
    rig.Select("accg", v, 1);
    rig.Select("vel", v, 1);

    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());

    const double w = 2.0 * kPi * hz;
    struct Case {
        std::string path;
        double want;
        uint64_t quantity, unit;
    } cases[] = {
        {"acc/acc.v", a / std::sqrt(2.0) / w * 1e3, ku::kQuantityVelocity, 0x00000003FD001401ull},
        {"acc/acc.d", a / std::sqrt(2.0) / w / w * 1e6, ku::kQuantityDisplacement,
         0x0000000DFA000A01ull},
        {"accg/accg.v", 9.80665 / std::sqrt(2.0) / w * 1e3, ku::kQuantityVelocity,
         0x00000003FD001401ull},
        {"vel/vel.v", a / std::sqrt(2.0) / w * 1e3, ku::kQuantityDisplacement,
         0x0000000DFA000A01ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::vector<double> levels = rig.Values(kResult + c.path);
        ASSERT_EQ(levels.size(), 6u);
        for (double level : levels) EXPECT_NEAR(level, c.want, c.want * 0.01);
        const host::Signal s(plat::DispPtr(rig.kh->FindSignal(kResult + c.path)));
        EXPECT_EQ(s.GetAxisCode(1, 1), c.quantity);
        EXPECT_EQ(s.GetAxisCode(2, 1), c.unit);
    }
}

TEST(Run, ResultTreeNamesAndProgress) {
    const double fs = 1000.0;
    Rig rig;
    rig.AddSignal("m1", Sine(1.0, 50.0, fs, 10000), 1.0 / fs, ku::kQuantityAcceleration,
                  ku::kUnitMeterPerSecond2);
    rig.AddSignal("rev", std::vector<double>(100, 25.0), 0.1);
    rig.AddSignal("pulse", Sine(1.0, 10.0, fs, 5000), 1.0 / fs);
    rig.Channel("m1", CfgChannelMeasuring);
    rig.Channel("rev", CfgChannelRevolution, false);
    rig.Channel("pulse", CfgChannelTacho, false);
    rig.Channel("missing", CfgChannelMeasuring);  // counted, never done
    rig.Channel("off", CfgChannelMeasuring, false);
    rig.cfg.channels["m1"]->bDefOptFFT = false;
    rig.cfg.channels["m1"]->fftOpt = CfgFftOpt{4096, 2048, 1, false};

    auto* folder = rig.Add<CCfgProcFolder>("gears");
    auto* inFolder = rig.Fixed("mesh", 40.0, 60.0, folder);
    auto* direct = rig.Fixed("low", 1.0, 20.0);
    CCfgProcTaho* viaGrad = rig.Tacho("r", "rev.grad");
    CCfgProcTaho* viaTaho = rig.Tacho("p", "pulse.taho");
    auto* track = rig.Add<CCfgProcBandTrack>("rev2", folder);
    track->components.push_back({"r", viaGrad->id, 2.0});
    track->bandWidth.tachoRefId = viaGrad->id;
    rig.Select("m1", inFolder);
    rig.Select("m1", direct);
    rig.Select("m1", track);
    rig.Select("m1", viaTaho);

    // A taken name makes the next run number its folder.
    ASSERT_TRUE(rig.kh->AddSignal("/Signals/Результаты/test", "old", rig.kh->NewSignal()));

    Recorder rec;
    COrdProcessing engine(rig.app, &rig.cfg);
    engine.SetNotify(&rec);
    ASSERT_TRUE(engine.Start());
    engine.Wait();
    EXPECT_TRUE(engine.IsFinished());
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_EQ(engine.ResultCode(), OrdResultOk);

    const std::string r = "/Signals/Результаты/test#1/";
    EXPECT_EQ(engine.ResultFolder(), r);
    EXPECT_EQ(rig.cfg.lastResultFolder, r);
    EXPECT_TRUE(rig.Exists(r + "Тахо/pulse.taho"));
    EXPECT_EQ(rig.Values(r + "Тахо/rev"), std::vector<double>(100, 25.0));
    EXPECT_FALSE(rig.Exists(r + "Тахо/pulse"));

    // n = 10000, N = 4096, S = 2048: blocks at 0, 2048 and 4096.
    const std::vector<double> mesh = rig.Values(r + "m1/gears/m1.mesh");
    ASSERT_EQ(mesh.size(), 3u);
    EXPECT_NEAR(mesh[0], std::sqrt(0.5), 0.05);
    EXPECT_EQ(rig.Values(r + "m1/m1.low").size(), 3u);
    // The tracking band sits on order 2 of the copied 25 Hz: 50 Hz.
    const std::vector<double> rev2 = rig.Values(r + "m1/gears/m1.rev2");
    ASSERT_EQ(rev2.size(), 3u);
    EXPECT_NEAR(rev2[1], std::sqrt(0.5), 0.05);
    EXPECT_EQ(rig.Values(r + "m1/m1.p").size(), 3u);

    const auto res = rig.kh->FindSignal(r + "m1/m1.low");
    const host::Signal low{plat::DispPtr(res)};
    EXPECT_DOUBLE_EQ(low.StartX(), 4096 * 0.001 * 0.5);
    EXPECT_DOUBLE_EQ(low.StepX(), 2048 * 0.001);
    EXPECT_EQ(low.GetAttribute("source"), "m1");
    EXPECT_EQ(low.Text5(), "t5");
    EXPECT_EQ(low.GetAxisCode(1, 1), ku::kQuantityAcceleration);

    EXPECT_EQ(rec.channelCount, 3);  // m1, pulse, missing
    EXPECT_EQ(rec.begun, (std::vector<std::string>{"pulse:2", "m1:1"}));
    EXPECT_EQ(rec.stepCounts, (std::vector<int>{10, 5, 3}));
    EXPECT_EQ(rec.steps, 3);
    EXPECT_EQ(rec.channelsDone, 2);
}

TEST(Run, StopEndsTheRunWithNothingOfTheStoppedChannel) {
    const double fs = 1000.0;
    auto build = [&](Rig& rig) {
        rig.AddSignal("pulse", Sine(1.0, 10.0, fs, 5000), 1.0 / fs);
        rig.AddSignal("a", Sine(1.0, 50.0, fs, 8192), 1.0 / fs);
        rig.AddSignal("b", Sine(1.0, 50.0, fs, 8192), 1.0 / fs);
        rig.Channel("pulse", CfgChannelTacho);
        rig.Channel("a", CfgChannelMeasuring);
        rig.Channel("b", CfgChannelMeasuring);
        auto* band = rig.Fixed("band", 40.0, 60.0);
        rig.Select("a", band);
        rig.Select("b", band);
        for (const char* ch : {"a", "b"}) {
            rig.cfg.channels[ch]->bDefOptFFT = false;
            rig.cfg.channels[ch]->fftOpt = CfgFftOpt{1024, 1024, 1, false};
        }
        rig.cfg.lastResultFolder = "before/";
    };
    // Builds the rig and runs it with a stop asked for at the given step of a
    // channel (0: as the channel begins); returns the run's result code.
    auto runStoppedAt = [&](Rig& rig, Recorder& rec, const char* channel, int step) {
        build(rig);
        COrdProcessing engine(rig.app, &rig.cfg);
        rec.engine = &engine;
        rec.stopAtChannel = channel;
        rec.stopAtStep = step;
        engine.SetNotify(&rec);
        EXPECT_FALSE(engine.Run());
        rec.engine = nullptr;
        return engine.ResultCode();
    };

    {  // in the block loop of the second measuring channel
        Rig rig;
        Recorder rec;
        EXPECT_EQ(runStoppedAt(rig, rec, "b", 2), OrdResultStopped);
        EXPECT_EQ(rig.Values(kResult + "a/a.band").size(), 8u);
        EXPECT_FALSE(rig.Exists(kResult + "b"));
        EXPECT_EQ(rec.stepsInChannel, 2);
        EXPECT_EQ(rig.cfg.lastResultFolder, "before/");
    }
    {  // after the last block of a channel
        Rig rig;
        Recorder rec;
        EXPECT_EQ(runStoppedAt(rig, rec, "a", 8), OrdResultStopped);
        EXPECT_FALSE(rig.Exists(kResult + "a"));
        EXPECT_FALSE(rig.Exists(kResult + "b"));
    }
    {  // in the tacho phase: reported as a stop, no spectrum is computed
        Rig rig;
        Recorder rec;
        const int code = runStoppedAt(rig, rec, "pulse", 0);
        EXPECT_EQ(code, OrdResultStopped);
        EXPECT_TRUE(rig.Exists(kResult + "Тахо/pulse.taho"));
        EXPECT_FALSE(rig.Exists(kResult + "a"));
        EXPECT_EQ(rec.steps, 0);
        EXPECT_EQ(OrdResultText(code), "Расчет прерван пользователем");
    }
    {  // a stop asked for as soon as the worker starts is not lost
        Rig rig;
        build(rig);
        Gate gate;
        COrdProcessing engine(rig.app, &rig.cfg);
        engine.SetNotify(&gate);
        ASSERT_TRUE(engine.Start());
        EXPECT_TRUE(engine.IsRunning());
        EXPECT_FALSE(engine.Start());
        engine.RequestStop();
        gate.open.store(true);
        engine.Wait();
        EXPECT_TRUE(engine.IsFinished());
        EXPECT_EQ(engine.ResultCode(), OrdResultStopped);
        EXPECT_FALSE(rig.Exists(kResult + "b"));
    }
}

TEST(Run, BadSizesAndShortSourcesNeverHang) {
    const double fs = 1000.0;
    Rig rig;
    rig.AddSignal("zero", Sine(1.0, 50.0, fs, 8192), 1.0 / fs);
    rig.AddSignal("short", Sine(1.0, 50.0, fs, 1000), 1.0 / fs);  // N - n = 24 < S
    rig.AddSignal("tiny", Sine(1.0, 50.0, fs, 100), 1.0 / fs);    // N - n >= S
    rig.AddSignal("pulse", Sine(1.0, 10.0, fs, 3000), 1.0 / fs);
    CfgChannel& zero = rig.Channel("zero", CfgChannelMeasuring);
    zero.bDefOptFFT = false;
    zero.fftOpt = CfgFftOpt{0, -5, 1, false};  // read as 4096 / 4096
    for (const char* name : {"short", "tiny"}) {
        CfgChannel& ch = rig.Channel(name, CfgChannelMeasuring);
        ch.bDefOptFFT = false;
        ch.fftOpt = CfgFftOpt{1024, 512, 1, false};
    }
    CfgChannel& pulse = rig.Channel("pulse", CfgChannelTacho);
    pulse.bDefOptTaho = false;
    pulse.tahoOpt.deltaF = 1e9;  // blocks of no points
    auto* band = rig.Fixed("band", 40.0, 60.0);
    for (const char* name : {"zero", "short", "tiny"}) rig.Select(name, band);

    Recorder rec;
    COrdProcessing engine(rig.app, &rig.cfg);
    engine.SetNotify(&rec);
    ASSERT_TRUE(engine.Run());
    EXPECT_EQ(rig.Values(kResult + "zero/zero.band").size(), 2u);
    EXPECT_EQ(rig.Values(kResult + "short/short.band").size(), 1u);
    EXPECT_FALSE(rig.Exists(kResult + "tiny/tiny.band"));
    EXPECT_EQ(rec.stepCounts.at(1), 0);  // the tacho channel's blocks
}

TEST(Run, FailuresAndTheirTexts) {
    {
        Rig rig;
        rig.cfg.srcFileKorvex.clear();
        rig.cfg.lastResultFolder = "kept/";
        COrdProcessing engine(rig.app, &rig.cfg);
        EXPECT_FALSE(engine.Run());
        EXPECT_EQ(engine.ResultCode(), OrdResultNoSource);
        EXPECT_EQ(rig.cfg.lastResultFolder, "kept/");
        EXPECT_FALSE(rig.Exists("/Signals/Результаты"));
    }
    {  // only an unchecked measuring channel and an object that is no signal
        Rig rig;
        rig.AddSignal("off", Sine(1.0, 50.0, 1000.0, 8192), 0.001);
        rig.Channel("off", CfgChannelMeasuring, false);
        rig.kh->AddSignal("/Signals/test/dir", "x", rig.kh->NewSignal());
        rig.Channel("dir", CfgChannelTacho);
        COrdProcessing engine(rig.app, &rig.cfg);
        EXPECT_FALSE(engine.Run());
        EXPECT_EQ(engine.ResultCode(), OrdResultNoSource);
        EXPECT_TRUE(engine.IsFinished());
    }
    {
        COrdProcessing engine(host::App(), nullptr);
        EXPECT_FALSE(engine.Run());
        EXPECT_NE(engine.ResultCode(), OrdResultOk);
    }
    EXPECT_EQ(OrdResultText(0), "Расчет закончен");
    EXPECT_EQ(OrdResultText(3), "Не найдены сигналы с исходными данными");
    EXPECT_EQ(OrdResultText(7), "Не найден алгоритм АвтоСпектр");
    EXPECT_EQ(OrdResultText(8), "Не найден алгоритм Тахо");
    EXPECT_EQ(OrdResultText(42), "Расчет остановлен: неизвестная ошибка");
    EXPECT_EQ(OrdChannelText("t", 2), "Канал: t, расчет тахо.");
    EXPECT_EQ(OrdChannelText("m", 1), "Канал: m, расчет частотных диапазонов.");
}

TEST(Run, ResultFolderNames) {
    Rig rig;
    COrdProcessing engine(rig.app, &rig.cfg);
    EXPECT_EQ(engine.MakeResultFolder("test.quor"), "/Signals/Результаты/test/");
    EXPECT_EQ(engine.MakeResultFolder("a.b.quor"), "/Signals/Результаты/a.b/");
    EXPECT_EQ(engine.MakeResultFolder(".quor"), "/Signals/Результаты/.quor/");
    EXPECT_EQ(engine.MakeResultFolder("plain"), "/Signals/Результаты/plain/");
    ASSERT_TRUE(rig.kh->AddSignal("/Signals/Результаты/test", "x", rig.kh->NewSignal()));
    ASSERT_TRUE(rig.kh->AddSignal("/Signals/Результаты/test#1", "x", rig.kh->NewSignal()));
    EXPECT_EQ(engine.MakeResultFolder("test.quor"), "/Signals/Результаты/test#2/");
}

TEST(Run, TachoRepairKeysOfEachChannelReachTheOperator) {
    // 20 Hz pulses with the one at 2.5 s missing, on two channels: the
    // second has the repair off, and the first, run before it, on.
    const double fs = 5000.0;
    std::vector<double> pulses(static_cast<size_t>(5 * fs));
    for (size_t i = 0; i < pulses.size(); ++i) {
        const double revs = 20.0 * static_cast<double>(i) / fs + 0.3;
        pulses[i] = revs - std::floor(revs) < 0.2 && std::floor(revs) != 50 ? 5.0 : 0.0;
    }
    Rig rig;
    rig.AddSignal("a", pulses, 1.0 / fs);
    rig.AddSignal("b", pulses, 1.0 / fs);
    rig.Channel("a", CfgChannelTacho, false);
    CfgChannel& off = rig.Channel("b", CfgChannelTacho, false);
    off.bDefOptTaho = false;
    off.tahoOpt.flagRepair = 0;
    COrdProcessing engine(rig.app, &rig.cfg);
    ASSERT_TRUE(engine.Run());
    const std::vector<double> repaired = rig.Values(kResult + "Тахо/a.taho");
    const std::vector<double> plain = rig.Values(kResult + "Тахо/b.taho");
    ASSERT_EQ(repaired.size(), 5u);
    ASSERT_EQ(plain.size(), 5u);
    EXPECT_NEAR(repaired[2], 20.0, 0.02);
    EXPECT_LT(plain[2], 19.5);
}

}  // namespace
