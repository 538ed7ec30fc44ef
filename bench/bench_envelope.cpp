// bench_envelope: the envelope spectrum of 10 s at 12 kHz against the same
// done with numpy/scipy (envelope_bench.py, run by this program so that both
// are timed in the same run), and the fast kurtogram of 10 s at 48 kHz to
// level 6. Usage: bench_envelope [--python PATH] (default python3).

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_util.h"
#include "korvex/dsp/bearing.h"
#include "korvex/dsp/kurtogram.h"
#include "tests/korvex/dsp/bearing_model.h"

namespace {

constexpr double kLo = 2000.0, kHi = 3500.0, kResolution = 0.5;

double EnvelopeSeconds(const std::vector<double>& x, double rate, double& line) {
    std::vector<double> t;
    for (int i = 0; i < 15; ++i) {
        const auto a = bench::Clock::now();
        korvex::RecordSpectrum r;
        r.Make(x, 1.0 / rate);
        const korvex::EnvelopeSpectrum e = korvex::EnvelopeSpectrumOf(r, {kLo, kHi, kResolution});
        t.push_back(bench::Seconds(a, bench::Clock::now()));
        line = e.Rms(static_cast<size_t>(89.5 / e.df + 0.5));
    }
    return bench::Median(t);
}

double KurtogramSeconds(const std::vector<double>& x, double rate, double& best) {
    std::vector<double> t;
    for (int i = 0; i < 5; ++i) {
        const auto a = bench::Clock::now();
        korvex::RecordSpectrum r;
        r.Make(x, 1.0 / rate);
        const korvex::Kurtogram k = korvex::FastKurtogram(r, {6, 0.0});
        t.push_back(bench::Seconds(a, bench::Clock::now()));
        best = k.best.centre();
    }
    return bench::Median(t);
}

}  // namespace

int main(int argc, char** argv) {
    std::string python = "python3";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--python") == 0) python = argv[i + 1];
    bearing_model::Machine m;
    m.seconds = 10.0;
    const std::vector<double> x = bearing_model::Signal(m, bearing_model::Fault::Outer);
    double line = 0;
    const double ours = EnvelopeSeconds(x, m.rate, line);

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "bench_envelope_record.f64";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(x.data()),
               static_cast<std::streamsize>(x.size() * sizeof(double)));
    const std::string script = std::string(VANTREL_SOURCE_DIR) + "/bench/envelope_bench.py";
    const std::string command = python + " " + script + " " + file.string() + " 12000 " +
                                std::to_string(kLo) + " " + std::to_string(kHi) + " 0.5 15";
    double theirs = 0, theirLine = 0;
    if (FILE* p = popen(command.c_str(), "r")) {
        if (std::fscanf(p, "%lf %lf", &theirs, &theirLine) != 2) theirs = 0;
        pclose(p);
    }
    std::filesystem::remove(file);
    std::printf("envelope spectrum, 10 s at 12 kHz, band %g-%g Hz, %g Hz lines:\n", kLo, kHi,
                kResolution);
    std::printf("  ours %.2f ms (BPFO line %.4g RMS)\n", ours * 1e3, line);
    if (theirs > 0)
        std::printf(
            "  numpy/scipy %.2f ms (BPFO line %.4g RMS)\n  ratio ours/scipy %.3f (aim <= 0.5)\n",
            theirs * 1e3, theirLine, ours / theirs);
    else
        std::printf("  numpy/scipy: not run (%s)\n", command.c_str());

    bearing_model::Machine fast = m;
    fast.rate = 48000.0;
    fast.resonance = 9000.0;
    const std::vector<double> y = bearing_model::Signal(fast, bearing_model::Fault::Outer);
    double best = 0;
    const double kurt = KurtogramSeconds(y, fast.rate, best);
    std::printf(
        "fast kurtogram, 10 s at 48 kHz, levels 0-6: %.1f ms (aim < 1000 ms), best band "
        "centred at %.0f Hz\n",
        kurt * 1e3, best);
    return 0;
}
