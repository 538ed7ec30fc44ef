// Spectral maps and the spectrum at a cursor against the engine on the same
// signal, measured in the same run.
//
// A generated channel (600 s at 25 600 Hz by default: a run-up from 10 to
// 50 Hz with orders 1, 2 and 23 and noise) and its tacho pulses are put into
// the stand-in host. Printed side by side, each the best of TURNS turns
// taken in alternation:
//   - the engine over that one channel, 40 bands as in bench_engine, N = 4096,
//     S = N / 4; and the autospectrum operator alone over the same blocks
//     (ExtractBlock + RunOperator);
//   - a time/frequency map at the same N and overlap (75 %), RMS and dB, and
//     its ratio to the engine (aim: at most 1);
//   - a Campbell map in orders against the tacho curve, speed bins of 10 rpm;
//   - the same map reduced to 1920 columns (display resolution);
//   - the resident memory a map added per cell, the most of any turn (aim:
//     at most 4 bytes; cells are floats, the rest is x, counts and page
//     rounding), and the time to fill as many floats of plain new memory,
//     which on some virtual machines rivals the engine;
//   - the spectrum at a cursor for N = 65 536 at random times, median (aim:
//     at most 5 ms), against the same FFTW work written out by hand.
//
//   bench_spectral [SECONDS [TURNS]]

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "apps/samplegen/gearbox.h"
#include "bench_config.h"
#include "bench_util.h"
#include "config/cfgproc.h"
#include "korvex/dsp/dsp.h"
#include "korvex/dsp/spectral.h"
#include "korvex/dsp/spectralmap.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "processing/strings.h"
#include "shell/host.h"

namespace {

using bench::Clock;
using bench::Seconds;

constexpr double kRate = 25600.0;
constexpr int kN = 4096;
constexpr int kStep = kN / 4;
constexpr int kWindow = 3;  // Hanning
constexpr char kSet[] = "spectral";
constexpr char kShaft[] = "Shaft";

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

plat::ObjPtr<korvex::SignalObj> AddSignal(korvex::Host& host, const std::string& name,
                                          const char* unit, std::vector<double> samples,
                                          double step) {
    korvex::SignalData d;
    d.unit = unit;
    d.stepX = step;
    if (const korvex::units::UnitInfo* u = korvex::units::FindUnitByText(unit)) {
        d.axisCodes[{1, 1}] = u->quantity;
        d.axisCodes[{2, 1}] = u->code;
    }
    d.samples = std::move(samples);
    plat::ObjPtr<korvex::SignalObj> s = host.NewSignal();
    s->Assign(std::move(d));
    host.AddSignal(std::string("/Signals/") + kSet, name, s);
    return s;
}

void MakeData(korvex::Host& host, double duration) {
    samplegen::GearboxScheme scheme;
    scheme.duration = duration;
    const auto n = static_cast<size_t>(duration * kRate);
    std::vector<double> tacho(n), y(n);
    samplegen::Prng noise(1000);
    for (size_t i = 0; i < n; ++i) {
        const double revs = samplegen::InputShaftRevs(scheme, i / kRate);
        tacho[i] = 5.0 * samplegen::TachoShape(revs);
        const double ph = 2.0 * std::numbers::pi * (revs - std::floor(revs));
        const double mesh = 23.0 * revs;
        y[i] = 0.5 * std::sin(ph) + 0.3 * std::sin(2.0 * ph) +
               std::sin(2.0 * std::numbers::pi * (mesh - std::floor(mesh))) + 0.05 * noise.Normal();
    }
    AddSignal(host, "Tacho", "V", std::move(tacho), 1.0 / kRate);
    AddSignal(host, "Ch1", "m/s^2", std::move(y), 1.0 / kRate);
}

// One measuring channel with bench_engine's 40 bands, none integrated.
void Configure(CCfgProc& cfg) {
    bench::Configure(cfg, bench::Bands(false), kShaft, CfgFftOpt{kN, kStep, kWindow, false}, 1);
}

// ExtractBlock + "АвтоСпектр" over every block, as the engine calls them.
bool RunOperatorLoop(const host::App& app) {
    const host::Signal sig = app.GetSignal(std::string("/Signals/") + kSet + "/Ch1");
    const host::Operator op = app.GetOperator(korvex::kAutoSpectrumPath);
    op.SetParameters(ordstr::kSpectrumParams);
    op.SetParameter("typeWindow", kWindow);
    const int total = sig.PointCount();
    for (int o = 0; o + kN <= total; o += kStep) {
        const host::Signal block = app.ExtractBlock(sig, o, kN);
        plat::DispPtr out;
        if (op.RunOperator(block.Disp(), out) != 0 || !out) return false;
    }
    return true;
}

plat::ObjPtr<korvex::SignalObj> SpeedCurve(korvex::Host& host) {
    const auto tacho = host.FindSignal(std::string("/Signals/") + kSet + "/Tacho");
    korvex::OperatorParams tp;
    tp.Parse("typeAxesX=2, deltaF=4, LevelLo=30, LevelHi=70, flagFront=0, flagAbsOtn=1");
    korvex::TachoResult r;
    {
        korvex::Lock lock = host.LockTree();
        korvex::Tacho(tacho->SamplesLocked(), 0.0, 1.0 / kRate, tp, r);
    }
    korvex::SignalData d;
    d.unit = r.unit;
    d.startX = r.startX;
    d.stepX = r.stepX;
    d.samples = std::move(r.values);
    auto s = host.NewSignal();
    s->Assign(std::move(d));
    return s;
}

struct MapRun {
    const char* name;
    korvex::MapParams params;
    bool campbell;
    double best = INFINITY;
    size_t columns = 0, rows = 0;
    double cellsMb = 0, addedMb = 0;
};

void TimeMap(MapRun& run, const korvex::SignalSnapshot& sig, const korvex::SignalSnapshot& speed) {
    const double before = ResidentMegabytes();
    const auto t0 = Clock::now();
    const korvex::MapResult m =
        korvex::ComputeMap(sig, run.campbell ? &speed : nullptr, run.params);
    run.best = std::min(run.best, Seconds(t0, Clock::now()));
    if (!m.error.empty()) {
        std::printf("%s: %s\n", run.name, m.error.c_str());
        std::exit(1);
    }
    run.addedMb = std::max(run.addedMb, ResidentMegabytes() - before);
    run.columns = m.Columns();
    run.rows = m.rows;
    run.cellsMb = static_cast<double>(m.cells.size() * sizeof(float)) / (1024.0 * 1024.0);
}

// Time to fill that many floats in plain memory just allocated: on a
// virtual machine whose host backs pages on first touch, this alone can
// rival the engine's time, which is why a map's cells ask for huge pages.
double FreshMemory(size_t floats) {
    const auto a = Clock::now();
    std::vector<float> v(floats, 1.0f);
    const double t = Seconds(a, Clock::now());
    return v[floats / 2] == 1.0f ? t : 0.0;
}

void CursorSpectrum(const korvex::SignalObj& sig, double duration) {
    constexpr int n = 65536;
    korvex::SpectrumParams p;
    p.n = n;
    p.window = kWindow;
    bench::Direct direct(n);
    std::vector<double> x;
    {
        const korvex::SignalSnapshot snap = korvex::SignalSnapshot::Of(sig);
        x.assign(snap.samples.begin(), snap.samples.end());
    }
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> at(0.0, duration);
    korvex::SpectrumAt(sig, 1.0, p);  // plan and window made outside the timing
    std::vector<double> ours, plain;
    for (int i = 0; i < 200; ++i) {
        const double t = at(rng);
        const auto a = Clock::now();
        const korvex::Spectrum s = korvex::SpectrumAt(sig, t, p);
        const auto b = Clock::now();
        direct.Run(x.data() + s.firstSample);
        const auto c = Clock::now();
        if (!s.error.empty()) std::exit(1);
        ours.push_back(bench::Micros(a, b) / 1000.0);
        plain.push_back(bench::Micros(b, c) / 1000.0);
    }
    const double o = bench::Median(ours), d = bench::Median(plain);
    std::printf(
        "Spectrum at a cursor, N = %d: %.2f ms   FFTW alone %.2f ms   ratio %.2f   (median of "
        "200; aim at most 5 ms)\n",
        n, o, d, o / d);
}

}  // namespace

int main(int argc, char** argv) {
    double duration = 600.0;
    int turns = 3;
    if (argc > 3 || (argc > 1 && !(std::atof(argv[1]) >= 2.0)) ||
        (argc > 2 && (std::atoi(argv[2]) < 1 || std::atoi(argv[2]) > 100))) {
        std::fprintf(stderr, "usage: bench_spectral [SECONDS (>= 2, default 600) [TURNS]]\n");
        return 2;
    }
    if (argc > 1) duration = std::atof(argv[1]);
    if (argc > 2) turns = std::atoi(argv[2]);

    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    const auto t0 = Clock::now();
    MakeData(*host, duration);
    std::printf("Channel + tacho: %.0f s at %.0f Hz (made in %.1f s)\n", duration, kRate,
                Seconds(t0, Clock::now()));
    const host::App app{plat::DispPtr(host)};
    CCfgProc cfg;
    Configure(cfg);
    cfg.srcFileKorvex = kSet;
    cfg.RefreshChannels(&app, kSet);

    const auto sigObj = host->FindSignal(std::string("/Signals/") + kSet + "/Ch1");
    const korvex::SignalSnapshot sig = korvex::SignalSnapshot::Of(*sigObj);
    const korvex::SignalSnapshot speed = korvex::SignalSnapshot::Of(*SpeedCurve(*host));

    korvex::MapParams time;
    time.spectrum.n = kN;
    time.spectrum.window = kWindow;
    time.spectrum.overlap = 75.0;
    korvex::MapParams db = time;
    db.spectrum.scale = korvex::SpectrumScale::Db;
    korvex::MapParams campbell = time;
    campbell.x = korvex::MapAxisX::Speed;
    campbell.y = korvex::MapAxisY::Order;
    campbell.binStep = 10.0;
    campbell.maxOrder = 50.0;
    korvex::MapParams screen = time;
    screen.maxColumns = 1920;
    MapRun maps[] = {{"time map, RMS", time, false},
                     {"time map, dB", db, false},
                     {"time map, RMS, 1920 columns", screen, false},
                     {"Campbell map in orders", campbell, true}};

    double engineBest = INFINITY, operatorBest = INFINITY, freshBest = INFINITY;
    for (int turn = 0; turn < turns; ++turn) {
        COrdProcessing engine(app, &cfg);
        engine.SetJobs(1);
        auto a = Clock::now();
        if (!engine.Run()) {
            std::printf("the engine failed: %s\n", OrdResultText(engine.ResultCode()).c_str());
            return 1;
        }
        engineBest = std::min(engineBest, Seconds(a, Clock::now()));
        a = Clock::now();
        if (!RunOperatorLoop(app)) return 1;
        operatorBest = std::min(operatorBest, Seconds(a, Clock::now()));
        for (MapRun& m : maps) TimeMap(m, sig, speed);
        freshBest = std::min(freshBest, FreshMemory(maps[0].columns * maps[0].rows));
    }
    std::printf("N=%d S=%d window %d, best of %d turns:\n", kN, kStep, kWindow, turns);
    std::printf("  %-36s %6.2f s\n", "engine, one channel, 40 bands", engineBest);
    std::printf("  %-36s %6.2f s\n", "operator alone over the same blocks", operatorBest);
    std::printf(
        "  %-36s %6.2f s   (plain heap memory, small pages: what the cells would cost\n"
        "  %-36s            without huge pages on this machine)\n",
        "as many new floats as a full map", freshBest, "");
    std::printf("  %-36s %6s   %-12s %-12s %-14s %s\n", "map", "time", "/ engine", "/ operator",
                "cells", "resident added");
    for (const MapRun& m : maps) {
        const double cells = static_cast<double>(m.columns * m.rows);
        char perCell[32] = "";
        if (cells >= 1e6)
            std::snprintf(perCell, sizeof perCell, " = %.2f B a cell",
                          m.addedMb * 1048576.0 / cells);
        std::printf("  %-36s %6.2f s   %-12.2f %-12.2f %6zu x %-5zu %6.1f MB%s\n", m.name, m.best,
                    m.best / engineBest, m.best / operatorBest, m.columns, m.rows, m.addedMb,
                    perCell);
    }
    std::printf("  (aims: a map in no more time than the engine; at most 4 bytes a cell)\n");
    CursorSpectrum(*sigObj, duration);
    return 0;
}
