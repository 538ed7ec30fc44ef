// A fixed small calculation whose every level is held by a checksum of its
// bits: changes meant to make the engine or the host faster must leave the
// numbers exactly as they were.

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "file_signal.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"

namespace {

namespace ku = korvex::units;
constexpr double kPi = std::numbers::pi;
constexpr double kFs = 5120.0;
constexpr int kPoints = 5120 * 12;

// FNV-1a over bytes.
struct Hash {
    uint64_t h = 1469598103934665603ull;
    void Bytes(const void* p, size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) {
            h ^= b[i];
            h *= 1099511628211ull;
        }
    }
    void Text(const std::string& s) { Bytes(s.data(), s.size() + 1); }
    void Number(double v) { Bytes(&v, sizeof v); }
};

// Shaft 10 -> 34 Hz in 12 s with one pulse per revolution, and three
// channels carrying orders of it, a fixed tone and a little deterministic
// noise.
struct Rig {
    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    CCfgProc cfg;

    void AddSignal(const std::string& name, std::vector<double> y, uint64_t quantity,
                   uint64_t unit) {
        ASSERT_TRUE(testutil::FileSignal(*kh, "/Signals/sum", name, std::move(y), 1.0 / kFs,
                                         quantity, unit));
    }

    CfgChannel& Channel(const std::string& name, int type, bool check) {
        cfg.channelNames.push_back(name);
        auto& rec = cfg.channels[name];
        rec = std::make_unique<CfgChannel>();
        rec->type = type;
        rec->check = check;
        return *rec;
    }

    static void Select(CfgChannel& ch, const CCfgProcItem* item, int integr, int valtype) {
        CfgSignalOpt& o = ch.signalOpts[item->id];
        o.itemId = item->id;
        o.name = item->name;
        o.bEnabled = true;
        o.integr = integr;
        o.valtype = valtype;
    }

    Rig() {
        cfg.srcFileKorvex = "sum";
        std::vector<double> pulses(kPoints);
        std::vector<std::vector<double>> vib(3, std::vector<double>(kPoints));
        uint32_t seed = 12345;
        for (int i = 0; i < kPoints; ++i) {
            const double t = i / kFs;
            const double revs = 10.0 * t + t * t;
            pulses[i] = revs - std::floor(revs) < 0.2 ? 5.0 : 0.0;
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1664525u + 1013904223u;
                const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.05;
                vib[c][i] = (1.0 + c) * std::sin(2.0 * kPi * revs) +
                            0.5 * std::sin(2.0 * kPi * 2.5 * revs + c) +
                            0.3 * std::sin(2.0 * kPi * 400.0 * t) + noise;
            }
        }
        AddSignal("tacho", std::move(pulses), 0, 0);
        AddSignal("acc1", vib[0], ku::kQuantityAcceleration, ku::kUnitMeterPerSecond2);
        AddSignal("acc2", vib[1], ku::kQuantityAcceleration, ku::kUnitMeterPerSecond2);
        AddSignal("accg", vib[2], ku::kQuantityAcceleration, ku::kUnitG);

        auto sec = std::make_unique<CCfgProcSection>();
        sec->name = "base";
        CCfgProcSection* section = sec.get();
        cfg.sections.push_back(std::move(sec));
        auto add = [&](std::unique_ptr<CCfgProcItem> item, const std::string& name,
                       CCfgProcFolder* parent = nullptr) {
            item->name = name;
            return (parent ? parent : section)->Append(std::move(item));
        };

        auto taho = std::make_unique<CCfgProcTaho>();
        taho->tachoChannel = "tacho.taho";
        auto* shaft = static_cast<CCfgProcTaho*>(add(std::move(taho), "shaft"));
        shaft->bandWidth.tachoRef = "shaft";
        shaft->bandWidth.tachoRefId = shaft->id;
        shaft->bandWidth.fftBinsValue = 2;

        auto order = [&](const std::string& name, double factor, bool relative, double value) {
            auto t = std::make_unique<CCfgProcBandTrack>();
            t->components.push_back({"shaft", shaft->id, factor});
            t->bandWidth.tachoRef = "shaft";
            t->bandWidth.tachoRefId = shaft->id;
            t->bandWidth.relativeBorders = relative;
            t->bandWidth.inFftBins = !relative;
            t->bandWidth.percentValue = value;
            t->bandWidth.fftBinsValue = relative ? 3 : static_cast<int>(value);
            return add(std::move(t), name);
        };
        const CCfgProcItem* o1 = order("1X", 1.0, true, 3.0);
        const CCfgProcItem* o25 = order("2.5X", 2.5, false, 4.0);
        auto fixed = [&](const std::string& name, double lo, double hi, CCfgProcFolder* parent) {
            auto f = std::make_unique<CCfgProcBandFix>();
            f->bandStart = lo;
            f->bandStop = hi;
            return add(std::move(f), name, parent);
        };
        auto* folder = static_cast<CCfgProcFolder*>(add(std::make_unique<CCfgProcFolder>(), "g"));
        const CCfgProcItem* tone = fixed("tone", 380.0, 420.0, folder);
        const CCfgProcItem* wide = fixed("wide", 5.0, 1500.0, nullptr);
        cfg.ResolveRefs(nullptr);

        Channel("tacho", CfgChannelTacho, false);
        CfgChannel& a1 = Channel("acc1", CfgChannelMeasuring, true);
        a1.bDefOptFFT = false;
        a1.fftOpt = CfgFftOpt{1024, 256, 3, false};
        CfgChannel& a2 = Channel("acc2", CfgChannelMeasuring, true);
        a2.bDefOptFFT = false;
        a2.fftOpt = CfgFftOpt{2048, 2048, 1, false};
        CfgChannel& ag = Channel("accg", CfgChannelMeasuring, true);
        ag.bDefOptFFT = false;
        ag.fftOpt = CfgFftOpt{4096, 1000, 2, false};
        int k = 0;
        for (CfgChannel* ch : {&a1, &a2, &ag}) {
            Select(*ch, shaft, 0, k % 3);
            Select(*ch, o1, 1, (k + 1) % 3);
            Select(*ch, o25, 2, 0);
            Select(*ch, tone, k % 3, 1);
            Select(*ch, wide, 0, 2);
            ++k;
        }
    }

    // Names, sizes and the bits of every value below the result folder, in
    // the order the host files them.
    void HashFolder(const korvex::FolderObj& f, Hash& h, size_t& values) {
        for (const korvex::FolderObj::Entry& e : f.Entries()) {
            h.Text(e.name);
            if (e.kind == korvex::ItemFolder) {
                HashFolder(*static_cast<const korvex::FolderObj*>(e.object.get()), h, values);
            } else if (e.kind == korvex::ItemSignal) {
                const auto* s = static_cast<const korvex::SignalObj*>(e.object.get());
                h.Number(s->StartX());
                h.Number(s->StepX());
                for (double v : s->Samples()) {
                    h.Number(v);
                    if (!(std::isfinite(v) && v > 0.0)) ++degenerate;
                }
                values += s->PointCount();
            }
        }
    }
    uint64_t Checksum(const std::string& folder, size_t& values) {
        Hash h;
        values = 0;
        degenerate = 0;
        if (auto f = kh->FindFolder(folder)) HashFolder(*f, h, values);
        return h.h;
    }
    // Values that are not a positive number: a level nothing computed.
    size_t degenerate = 0;
};

// Every progress call in order, as one line each.
class CallLog : public IOrdProcNotify {
  public:
    void SetChannelCount(int n) override { calls.push_back("channels " + std::to_string(n)); }
    void SetStepCount(int n) override { calls.push_back("steps " + std::to_string(n)); }
    void BeginChannel(const std::string& name, int type) override {
        calls.push_back("begin " + name + " " + std::to_string(type));
    }
    void ChannelDone() override { calls.push_back("done"); }
    void StepDone() override {
        calls.push_back("step");
        if (engine && ++steps == stopAfter) engine->RequestStop();
    }
    std::vector<std::string> calls;
    COrdProcessing* engine = nullptr;
    int stopAfter = -1;
    int steps = 0;
};

std::string Hex(uint64_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, v);
    return text;
}

TEST(Checksum, LevelsOfAFixedRunKeepTheirBits) {
    // The same bits on one thread and on several: the channels are computed
    // side by side but filed, and reported, as one thread would.
    // Spectra read a whole at a time or a line per call give the same bits.
    std::vector<std::string> oneThread;
    for (int jobs : {1, 2, 3, 8, -1}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        Rig rig;
        CallLog log;
        COrdProcessing engine(rig.app, &rig.cfg);
        engine.SetJobs(jobs);
        engine.SetBulkReads(jobs > 0);
        engine.SetNotify(&log);
        ASSERT_TRUE(engine.Run());
        EXPECT_EQ(engine.ResultFolder(), "/Signals/Результаты/sum/");
        size_t values = 0;
        const uint64_t sum = rig.Checksum(engine.ResultFolder(), values);
        EXPECT_EQ(values, 1637u);
        EXPECT_EQ(rig.degenerate, 0u);
        EXPECT_EQ(Hex(sum), "0xe0f3cd52171de138");
        if (jobs == 1)
            oneThread = log.calls;  // -1: one thread, line by line
        else
            EXPECT_EQ(log.calls, oneThread);
    }
    // The tacho channel first, then the three channels with their blocks.
    ASSERT_GE(oneThread.size(), 4u);
    EXPECT_EQ(oneThread[0], "channels 4");
    EXPECT_EQ(oneThread[2], "begin tacho 2");
}

TEST(Checksum, StopWithSeveralJobsFilesOnlyWholeChannels) {
    // Stopped in the middle: every channel that is filed is whole and has
    // the levels of an undisturbed run; the others are not there at all.
    Rig whole;
    COrdProcessing reference(whole.app, &whole.cfg);
    ASSERT_TRUE(reference.Run());

    for (int stopAfter : {1, 40, 200}) {
        SCOPED_TRACE("stop after step " + std::to_string(stopAfter));
        Rig rig;
        CallLog log;
        COrdProcessing engine(rig.app, &rig.cfg);
        engine.SetJobs(2);
        engine.SetNotify(&log);
        log.engine = &engine;
        log.stopAfter = stopAfter;
        EXPECT_FALSE(engine.Run());
        log.engine = nullptr;
        EXPECT_EQ(engine.ResultCode(), OrdResultStopped);
        EXPECT_TRUE(rig.cfg.lastResultFolder.empty());
        int filed = 0;
        for (const char* ch : {"acc1", "acc2", "accg"}) {
            const std::string folder = engine.ResultFolder() + ch;
            if (!rig.kh->FindFolder(folder)) continue;
            ++filed;
            size_t got = 0, want = 0;
            EXPECT_EQ(rig.Checksum(folder, got), whole.Checksum(folder, want)) << ch;
            EXPECT_EQ(got, want) << ch;
        }
        const auto done = std::count(log.calls.begin(), log.calls.end(), "done");
        EXPECT_EQ(done, 1 + filed);  // the tacho channel and each filed channel
    }
}

}  // namespace
