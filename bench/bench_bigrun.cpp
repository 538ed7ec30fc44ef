// A recording larger than the memory through "vantrel run".
//
// Writes a generated recording of 8 channels (a tacho and seven
// accelerometers of the demo gearbox's run-up) at 25 600 Hz as a .quor file,
// signal by signal so it is never held, and runs "vantrel run" with the demo
// configuration on it. Printed: the run's time and peak memory (max RSS of
// the process; aim: under 1 GB for 3 600 s, 5.9 GB of samples), and on a
// recording that fits (SHORT seconds), the same run on the in-memory host
// (--in-memory) beside it, with the ratio of the times (aim: at most 1.2)
// and whether the results are the same bytes.
//
//   bench_bigrun [SECONDS [SHORT [DIR]]]     defaults: 3600 600 build/bench-big
//
// The files stay in DIR (about 8 bytes per sample) for another run.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "apps/samplegen/gearbox.h"
#include "bench_util.h"
#include "korvex/formats/formats.h"
#include "korvex/units.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRate = 25600.0;
constexpr int kAccelerometers = 7;

// The run-up's channels a second at a time: the shaft's turns are worked out
// once per second and shared by every channel.
bool WriteRecording(const std::string& path, double seconds) {
    samplegen::GearboxScheme scheme;
    scheme.duration = seconds;
    const auto n = static_cast<uint64_t>(seconds * kRate);
    korvex::QuorWriter w;
    std::string error;
    if (!w.Open(path, 1 + kAccelerometers, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    const size_t chunk = static_cast<size_t>(kRate);
    std::vector<double> revs(chunk), y(chunk);
    for (int c = 0; c <= kAccelerometers; ++c) {
        korvex::SignalData head;
        head.name = c == 0 ? samplegen::kTachoName : "Acc" + std::to_string(c);
        head.unit = c == 0 ? "V" : samplegen::kAccUnit;
        head.stepX = 1.0 / kRate;
        head.startTime = 45366.4166666667;  // 2024-03-15 10:00
        w.BeginSignal(head, n);
        samplegen::Prng noise(scheme.seed + static_cast<uint64_t>(c));
        const double gain = 1.0 + 0.1 * c;
        for (uint64_t first = 0; first < n; first += chunk) {
            const size_t m = static_cast<size_t>(std::min<uint64_t>(chunk, n - first));
            for (size_t i = 0; i < m; ++i)
                revs[i] = samplegen::InputShaftRevs(scheme, static_cast<double>(first + i) / kRate);
            for (size_t i = 0; i < m; ++i) {
                const double turn = 2.0 * std::numbers::pi * revs[i];
                y[i] = c == 0 ? samplegen::kTachoHighVolts * samplegen::TachoShape(revs[i])
                              : gain * (0.8 * std::sin(turn) + 2.0 * std::sin(23.0 * turn)) +
                                    0.3 * (noise.Uniform() - 0.5);
            }
            w.Put(std::span<const double>(y.data(), m));
        }
    }
    if (!w.Commit(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

struct Outcome {
    bool ok = false;
    double seconds = 0;
    double peakMb = 0;
};

Outcome Run(const std::vector<std::string>& args) {
    Outcome o;
    const auto t0 = bench::Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The runs' own reports would bury the figures.
        if (FILE* null = std::fopen("/dev/null", "w")) ::dup2(fileno(null), STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage u{};
    if (pid < 0 || ::wait4(pid, &status, 0, &u) != pid) return o;
    o.seconds = bench::Seconds(t0, bench::Clock::now());
    o.peakMb = static_cast<double>(u.ru_maxrss) / 1024.0;
    o.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return o;
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3600.0;
    const double shortSeconds = argc > 2 ? std::atof(argv[2]) : 600.0;
    const fs::path dir = argc > 3 ? fs::path(argv[3]) : fs::path("build/bench-big");
    const std::string vantrel = VANTREL_BINARY;
    fs::create_directories(dir);
    if (!Run({vantrel, "demo", "--out", (dir / "demo").string(), "--duration", "2", "--quiet"})
             .ok) {
        std::fprintf(stderr, "bench_bigrun: vantrel demo failed\n");
        return 1;
    }
    const std::string config = (dir / "demo/config/gearbox.cfg").string();
    auto recording = [&](double s) {
        const fs::path p = dir / ("run-" + std::to_string(static_cast<int>(s)) + "s.quor");
        const auto want = static_cast<uintmax_t>(s * kRate) * 8 * (1 + kAccelerometers);
        std::error_code ec;
        const uintmax_t size = fs::file_size(p, ec);
        if (ec || size < want) {
            std::printf("writing %s ...\n", p.string().c_str());
            std::fflush(stdout);
            if (!WriteRecording(p.string(), s)) return std::string();
        }
        return p.string();
    };
    auto run = [&](const std::string& data, const std::string& out, bool inMemory) {
        std::vector<std::string> a{vantrel,    "run",  "--data", data,
                                   "--config", config, "--out",  (dir / out).string(),
                                   "--quiet"};
        if (inMemory) a.push_back("--in-memory");
        return Run(a);
    };

    const std::string small = recording(shortSeconds), big = recording(seconds);
    if (small.empty() || big.empty()) return 1;
    const Outcome mapped = run(small, "short-mapped", false);
    const Outcome memory = run(small, "short-memory", true);
    const bool same =
        Bytes(dir / "short-mapped/results.quor") == Bytes(dir / "short-memory/results.quor");
    std::printf("%g s recording (%.2f GB of samples):\n", shortSeconds,
                shortSeconds * kRate * 8 * (1 + kAccelerometers) / 1e9);
    std::printf("  in memory  %7.2f s  %8.0f MB peak\n", memory.seconds, memory.peakMb);
    std::printf("  on disk    %7.2f s  %8.0f MB peak   ratio %.2f (aim <= 1.2)   results %s\n",
                mapped.seconds, mapped.peakMb, mapped.seconds / memory.seconds,
                same ? "the same" : "DIFFER");
    const Outcome large = run(big, "long-mapped", false);
    std::printf("%g s recording (%.2f GB of samples):\n", seconds,
                seconds * kRate * 8 * (1 + kAccelerometers) / 1e9);
    std::printf("  on disk    %7.2f s  %8.0f MB peak   (aim < 1024 MB)%s\n", large.seconds,
                large.peakMb, large.ok ? "" : "   RUN FAILED");
    return mapped.ok && memory.ok && large.ok && same ? 0 : 1;
}
