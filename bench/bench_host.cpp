// Host calls through the dispatch layer against direct work on the same data:
// GetY against an array read, and ExtractBlock plus one "АвтоСпектр" run
// against the same FFTW calls made directly.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "korvex/dsp/dsp.h"
#include "korvex/host.h"
#include "processing/strings.h"
#include "shell/host.h"

using bench::Clock;
using bench::Direct;
using bench::Median;
using bench::Micros;

int main() {
    auto host = korvex::CreateHost();
    host::App app{plat::DispPtr(host)};

    const int total = 1 << 20;
    std::vector<double> data(total);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise;
    for (double& v : data) v = noise(rng);
    {
        korvex::SignalData sd;
        sd.name = "x";
        sd.stepX = 1.0 / 25600;
        sd.samples = data;
        auto s = host->NewSignal();
        s->Assign(std::move(sd));
        if (!host->AddSignal("/Signals/bench", "x", s)) {
            std::printf("could not file the signal\n");
            return 1;
        }
    }
    host::Signal sig = app.GetSignal("/Signals/bench/x");
    host::Operator op = app.GetOperator(korvex::kAutoSpectrumPath);
    if (!sig || !op) {
        std::printf("host objects missing\n");
        return 1;
    }

    // GetY: batches of calls, median time per call, on the filed source (the
    // host lock is taken) and on a spectrum the operator handed out (a signal
    // no folder holds: no lock). The medians are taken in rounds spread over
    // about two seconds and the best round is printed: on a shared machine
    // calls slow down for seconds at a time, and one round would land on
    // either side of that by chance.
    auto timeGetY = [&](const host::Signal& s, const std::vector<double>& values,
                        const char* what) {
        const int count = static_cast<int>(values.size());
        const int batch = std::min(1000, count), batches = 300, rounds = 20;
        double bestHost = INFINITY, bestDirect = INFINITY;
        volatile double sink = 0;
        for (int round = 0; round < rounds; ++round) {
            std::vector<double> tHost, tDirect;
            for (int b = 0; b < batches; ++b) {
                const int first = count > batch ? (b * 7919) % (count - batch) : 0;
                auto t0 = Clock::now();
                double h = 0;
                for (int i = 0; i < batch; ++i) h += s.GetY(first + i);
                auto t1 = Clock::now();
                double d = 0;
                for (int i = 0; i < batch; ++i)
                    d += reinterpret_cast<const volatile double&>(values[first + i]);
                auto t2 = Clock::now();
                sink = sink + h + d;
                tHost.push_back(Micros(t0, t1) * 1000 / batch);
                tDirect.push_back(Micros(t1, t2) * 1000 / batch);
            }
            bestHost = std::min(bestHost, Median(tHost));
            bestDirect = std::min(bestDirect, Median(tDirect));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::printf(
            "GetY through dispatch, %-9s %6.1f ns/call   array read %6.2f ns/call   (best of %d "
            "rounds)\n",
            what, bestHost, bestDirect, rounds);
    };
    timeGetY(sig, data, "filed");
    {
        op.SetParameters(ordstr::kSpectrumParams);
        host::Signal block = app.ExtractBlock(sig, 0, 4096);
        plat::DispPtr out;
        if (op.RunOperator(block.Disp(), out) != 0 || !out) {
            std::printf("operator run failed\n");
            return 1;
        }
        const host::Signal spectrum(out);
        std::vector<double> lines(static_cast<size_t>(spectrum.PointCount()));
        for (size_t i = 0; i < lines.size(); ++i) lines[i] = spectrum.GetY(static_cast<int>(i));
        timeGetY(spectrum, lines, "spectrum");
    }

    // ExtractBlock + operator run against direct FFTW on the source array.
    std::printf("ExtractBlock + АвтоСпектр (Hanning) against direct FFTW, median per block\n");
    op.SetParameters(ordstr::kSpectrumParams);  // the engine's own string
    op.SetParameter("typeWindow", 3.0);
    bool slow = false;
    for (int n : {4096, 65536}) {
        op.SetParameter("numPoints", n);
        op.SetParameter("ofsNextBlock", n);
        Direct direct(n);
        const int blocks = total / n;
        const int reps = n <= 4096 ? 2000 : 200;
        std::vector<double> tHost, tDirect;
        for (int r = -1; r < reps; ++r) {  // r = -1 warms the caches up
            const int o = ((r + 1) % blocks) * n;
            auto t0 = Clock::now();
            host::Signal block = app.ExtractBlock(sig, o, n);
            plat::DispPtr spectrum;
            const int status = op.RunOperator(block.Disp(), spectrum);
            auto t1 = Clock::now();
            direct.Run(data.data() + o);
            auto t2 = Clock::now();
            if (status != 0 || !spectrum) {
                std::printf("operator run failed: status %d\n", status);
                return 1;
            }
            if (r < 0) continue;
            tHost.push_back(Micros(t0, t1));
            tDirect.push_back(Micros(t1, t2));
        }
        const double h = Median(tHost), d = Median(tDirect);
        std::printf("N = %6d  host %9.2f us  direct %9.2f us  ratio %.2f\n", n, h, d, h / d);
        slow = slow || h / d > 1.3;
    }
    if (slow) std::printf("note: ratio above the 1.3 aim\n");
    return 0;
}
