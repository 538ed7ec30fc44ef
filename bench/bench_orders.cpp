// Order tracking against the engine and against numpy/scipy, in the same run.
//
// A generated channel (60 s at 25 600 Hz by default: the demo's run-up from
// 10 to 50 Hz with orders 1, 2 and 23 and noise) and its tacho of one pulse
// a revolution. Printed, each the best of TURNS turns:
//   - the engine over that one channel, 40 bands as in bench_engine,
//     N = 4096, S = N / 4;
//   - the tacho's angle, the anti-alias low-pass and resampling at 256
//     samples a revolution (orders to 50) and the order spectra over 16
//     revolutions with 50 % overlap, and its ratio to the engine (aim: at
//     most 1);
//   - bench_orders.py beside this program's source doing the same with
//     numpy/scipy (cubic-spline interpolation + FFT per 16 revolutions, no
//     anti-alias filter) on the same samples, and our ratio to it (aim: at
//     most 0.5). Skipped when python3 with numpy and scipy is missing.
//
//   bench_orders [SECONDS [TURNS]]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "apps/samplegen/gearbox.h"
#include "bench_config.h"
#include "bench_util.h"
#include "config/cfgproc.h"
#include "korvex/dsp/angle_resample.h"
#include "korvex/dsp/order_spectrum.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "processing/ordprocessing.h"
#include "processing/strings.h"
#include "shell/host.h"

#ifndef VANTREL_BENCH_DIR
#define VANTREL_BENCH_DIR "."
#endif

namespace {

using bench::Clock;
using bench::Seconds;

constexpr double kRate = 25600.0;
constexpr int kN = 4096;
constexpr int kStep = kN / 4;
constexpr int kWindow = 3;
constexpr char kSet[] = "orders";
constexpr char kShaft[] = "Shaft";
constexpr int kRevs = 16;
constexpr double kMaxOrder = 50.0;

void AddSignal(korvex::Host& host, const std::string& name, const char* unit,
               const std::vector<double>& samples) {
    korvex::SignalData d;
    d.unit = unit;
    d.stepX = 1.0 / kRate;
    if (const korvex::units::UnitInfo* u = korvex::units::FindUnitByText(unit)) {
        d.axisCodes[{1, 1}] = u->quantity;
        d.axisCodes[{2, 1}] = u->code;
    }
    d.samples = samples;
    plat::ObjPtr<korvex::SignalObj> s = host.NewSignal();
    s->Assign(std::move(d));
    host.AddSignal(std::string("/Signals/") + kSet, name, s);
}

void MakeData(double duration, std::vector<double>& tacho, std::vector<double>& y) {
    samplegen::GearboxScheme scheme;
    scheme.duration = duration;
    const auto n = static_cast<size_t>(duration * kRate);
    tacho.resize(n);
    y.resize(n);
    samplegen::Prng noise(1000);
    for (size_t i = 0; i < n; ++i) {
        const double revs = samplegen::InputShaftRevs(scheme, i / kRate);
        tacho[i] = 5.0 * samplegen::TachoShape(revs);
        const double ph = 2.0 * std::numbers::pi * (revs - std::floor(revs));
        const double mesh = 23.0 * revs;
        y[i] = 0.5 * std::sin(ph) + 0.3 * std::sin(2.0 * ph) +
               std::sin(2.0 * std::numbers::pi * (mesh - std::floor(mesh))) + 0.05 * noise.Normal();
    }
}

// Resampling and order spectra; the number of spectra (0 on failure).
size_t Orders(const std::vector<double>& tacho, const std::vector<double>& y) {
    const korvex::AngleTrackResult t = korvex::TachoAngle(tacho, 0.0, 1.0 / kRate, {});
    if (!t.error.empty()) return 0;
    const korvex::AngleSignal a = korvex::ResampleToAngle(
        y, 0.0, 1.0 / kRate, t.track, korvex::SamplesPerRev(kMaxOrder), kMaxOrder);
    korvex::OrderSpectrumParams p;
    p.revs = kRevs;
    p.maxOrder = kMaxOrder;
    return a.error.empty() ? korvex::ComputeOrderSpectra(a, t.track, p).Rows() : 0;
}

void WriteRaw(const std::string& path, const std::vector<double>& v) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(v.data()),
               static_cast<std::streamsize>(v.size() * sizeof(double)));
}

// Writes the samples for the script and gives its command line.
std::string NumpyCommand(const std::vector<double>& tacho, const std::vector<double>& y,
                         std::string& tp, std::string& yp) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    tp = (dir / "bench_orders_tacho.f64").string();
    yp = (dir / "bench_orders_y.f64").string();
    WriteRaw(tp, tacho);
    WriteRaw(yp, y);
    return "python3 " VANTREL_BENCH_DIR "/bench_orders.py " + tp + " " + yp + " 25600 " +
           std::to_string(kRevs) + " " + std::to_string(korvex::SamplesPerRev(kMaxOrder)) +
           " 2>/dev/null";
}

// The script's own time for its work (reading the files not counted); 0
// when it cannot run.
double NumpyTurn(const std::string& cmd) {
    FILE* p = popen(cmd.c_str(), "r");
    double s = 0;
    if (!p || std::fscanf(p, "%lf", &s) != 1) s = 0;
    if (p) pclose(p);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    double duration = 60.0;
    int turns = 3;
    if (argc > 3 || (argc > 1 && !(std::atof(argv[1]) >= 10.0)) ||
        (argc > 2 && (std::atoi(argv[2]) < 1 || std::atoi(argv[2]) > 100))) {
        std::fprintf(stderr, "usage: bench_orders [SECONDS (>= 10, default 60) [TURNS]]\n");
        return 2;
    }
    if (argc > 1) duration = std::atof(argv[1]);
    if (argc > 2) turns = std::atoi(argv[2]);
    std::vector<double> tacho, y;
    MakeData(duration, tacho, y);
    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    AddSignal(*host, "Tacho", "V", tacho);
    AddSignal(*host, "Ch1", "m/s^2", y);
    const host::App app{plat::DispPtr(host)};
    CCfgProc cfg;
    bench::Configure(cfg, bench::Bands(false), kShaft, CfgFftOpt{kN, kStep, kWindow, false}, 1);
    cfg.srcFileKorvex = kSet;
    cfg.RefreshChannels(&app, kSet);

    std::string tp, yp;
    const std::string numpyCmd = NumpyCommand(tacho, y, tp, yp);
    double engineBest = INFINITY, ordersBest = INFINITY, numpy = INFINITY;
    size_t spectra = 0;
    // The three take turns, so a busy moment of the machine falls on all alike.
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
        spectra = Orders(tacho, y);
        ordersBest = std::min(ordersBest, Seconds(a, Clock::now()));
        if (spectra == 0) {
            std::printf("order tracking failed\n");
            return 1;
        }
        if (const double s = NumpyTurn(numpyCmd); s > 0) numpy = std::min(numpy, s);
    }
    std::filesystem::remove(tp);
    std::filesystem::remove(yp);
    std::printf("Channel + tacho: %.0f s at %.0f Hz, best of %d turns:\n", duration, kRate, turns);
    std::printf("  %-52s %7.3f s\n", "engine, one channel, 40 bands, N=4096 S=N/4", engineBest);
    std::printf("  %-52s %7.3f s   / engine %.2f (aim <= 1)\n",
                "resampling (256 a turn) + order spectra (16 turns)", ordersBest,
                ordersBest / engineBest);
    if (std::isfinite(numpy))
        std::printf("  %-52s %7.3f s   ours / it %.2f (aim <= 0.5)\n",
                    "numpy/scipy: cubic splines + FFT per 16 turns", numpy, ordersBest / numpy);
    else
        std::printf("  numpy/scipy: python3 with numpy and scipy not found, not compared\n");
    std::printf("  (%zu order spectra)\n", spectra);
    return 0;
}
