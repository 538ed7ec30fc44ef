// A recording larger than the memory through "vantrel run".
//
// Writes a generated recording of 8 channels (a tacho and seven
// accelerometers of the demo gearbox's run-up) at 25 600 Hz (or RATE) as a .quor file,
// signal by signal so it is never held, and as an NI TDMS file of float32
// values, and runs "vantrel run" with the demo configuration on them. Printed: the run's time and
// peak memory (max RSS of the process; aim: under 1 GB for 3 600 s, 5.9 GB of samples), and on a
// recording that fits (SHORT seconds), the same run on the in-memory host
// (--in-memory) beside it, with the ratio of the times (aim: at most 1.2)
// and whether the results are the same bytes. The TDMS files are run three
// ways: in memory, the first run (which copies the file once into a .quor
// file beside it) and a later run (which reads that copy).
//
//   bench_bigrun [SECONDS [SHORT [DIR [RATE [quor]]]]]   defaults: 3600 600 build/bench-big 25600
//
// "quor" leaves out the TDMS runs.
//
// At 51 200 Hz an hour is 1.47 GB a signal; the aim there is a peak under
// 300 MB, as the pages of a signal go back as its blocks are consumed.
//
// The files stay in DIR (about 8 bytes per sample) for another run.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

double g_rate = 25600.0;  // Hz, RATE
constexpr int kAccelerometers = 7;

// The run-up's channels a second at a time: the shaft's turns are worked out
// once per second and shared by every channel.
class Generator {
  public:
    explicit Generator(double seconds) : n_(static_cast<uint64_t>(seconds * g_rate)) {
        scheme_.duration = seconds;
    }
    uint64_t Samples() const { return n_; }
    static korvex::SignalData Header(int c) {
        korvex::SignalData head;
        head.name = c == 0 ? samplegen::kTachoName : "Acc" + std::to_string(c);
        head.unit = c == 0 ? "V" : samplegen::kAccUnit;
        head.stepX = 1.0 / g_rate;
        head.startTime = 45366.4166666667;  // 2024-03-15 10:00
        return head;
    }
    // m samples from first of every channel (or only the one) into y[c].
    void Second(uint64_t first, size_t m, std::vector<std::vector<double>>& y, int only = -1) {
        revs_.resize(m);
        for (size_t i = 0; i < m; ++i)
            revs_[i] = samplegen::InputShaftRevs(scheme_, static_cast<double>(first + i) / g_rate);
        y.resize(1 + kAccelerometers);
        for (int c = 0; c <= kAccelerometers; ++c) {
            if (only >= 0 && c != only) continue;
            samplegen::Prng& noise = Noise(c);
            const double gain = 1.0 + 0.1 * c;
            y[c].resize(m);
            for (size_t i = 0; i < m; ++i) {
                const double turn = 2.0 * std::numbers::pi * revs_[i];
                y[c][i] = c == 0 ? samplegen::kTachoHighVolts * samplegen::TachoShape(revs_[i])
                                 : gain * (0.8 * std::sin(turn) + 2.0 * std::sin(23.0 * turn)) +
                                       0.3 * (noise.Uniform() - 0.5);
            }
        }
    }

  private:
    samplegen::Prng& Noise(int c) {
        while (noise_.size() <= static_cast<size_t>(c))
            noise_.emplace_back(scheme_.seed + static_cast<uint64_t>(noise_.size()));
        return noise_[static_cast<size_t>(c)];
    }
    samplegen::GearboxScheme scheme_;
    uint64_t n_;
    std::vector<double> revs_;
    std::vector<samplegen::Prng> noise_;
};

bool WriteRecording(const std::string& path, double seconds) {
    Generator gen(seconds);
    const uint64_t n = gen.Samples();
    korvex::QuorWriter w;
    std::string error;
    if (!w.Open(path, 1 + kAccelerometers, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    // Signal by signal, so each channel's seconds are made again: the file
    // is never held.
    const size_t chunk = static_cast<size_t>(g_rate);
    std::vector<std::vector<double>> y;
    for (int c = 0; c <= kAccelerometers; ++c) {
        Generator again(seconds);
        w.BeginSignal(Generator::Header(c), n);
        for (uint64_t first = 0; first < n; first += chunk) {
            const size_t m = static_cast<size_t>(std::min<uint64_t>(chunk, n - first));
            again.Second(first, m, y, c);
            w.Put(std::span<const double>(y[c].data(), m));
        }
    }
    if (!w.Commit(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

void Le(std::string& s, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void TdmsText(std::string& s, const std::string& t) {
    Le(s, t.size(), 4);
    s += t;
}

// The same recording as a data logger writes it: NI TDMS, float32, one
// segment a second, the metadata in the first only.
bool WriteTdmsRecording(const std::string& path, double seconds) {
    Generator gen(seconds);
    const uint64_t n = gen.Samples();
    const auto per = static_cast<uint64_t>(g_rate);
    std::string meta;
    Le(meta, 2 + kAccelerometers, 4);
    TdmsText(meta, "/'Run'");
    Le(meta, 0xFFFFFFFF, 4);
    Le(meta, 0, 4);
    for (int c = 0; c <= kAccelerometers; ++c) {
        const korvex::SignalData h = Generator::Header(c);
        TdmsText(meta, "/'Run'/'" + h.name + "'");
        Le(meta, 20, 4);
        Le(meta, 9, 4);  // float32
        Le(meta, 1, 4);
        Le(meta, per, 8);
        Le(meta, 2, 4);
        TdmsText(meta, "wf_increment");
        Le(meta, 10, 4);
        uint64_t bits;
        std::memcpy(&bits, &h.stepX, 8);
        Le(meta, bits, 8);
        TdmsText(meta, "unit_string");
        Le(meta, 0x20, 4);
        TdmsText(meta, h.unit);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::vector<double>> y;
    std::vector<float> raw;
    for (uint64_t first = 0; first + per <= n; first += per) {
        gen.Second(first, static_cast<size_t>(per), y);
        raw.clear();
        for (const auto& channel : y)
            for (double v : channel) raw.push_back(static_cast<float>(v));
        const bool head = first == 0;
        std::string lead = "TDSm";
        Le(lead, head ? (1u << 1 | 1u << 2 | 1u << 3) : 1u << 3, 4);
        Le(lead, 4713, 4);
        const uint64_t metaBytes = head ? meta.size() : 0;
        Le(lead, metaBytes + raw.size() * 4, 8);
        Le(lead, metaBytes, 8);
        out << lead;
        if (head) out << meta;
        out.write(reinterpret_cast<const char*>(raw.data()),
                  static_cast<std::streamsize>(raw.size() * 4));
    }
    return static_cast<bool>(out.flush());
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
    if (argc > 4) g_rate = std::atof(argv[4]);
    if (!(g_rate >= 1000 && g_rate <= 1e6)) {
        std::fprintf(stderr, "bench_bigrun: RATE takes a sample rate from 1000 to 1e6 Hz\n");
        return 2;
    }
    // Files of another rate get its name, so no run takes one for the other.
    const std::string tag =
        g_rate == 25600.0 ? "" : "-" + std::to_string(std::lround(g_rate)) + "Hz";
    const std::string vantrel = VANTREL_BINARY;
    fs::create_directories(dir);
    // Only the demo's configuration is used; 6 s still give its tacho a steady period.
    if (!Run({vantrel, "demo", "--out", (dir / "demo").string(), "--duration", "6", "--quiet"})
             .ok) {
        std::fprintf(stderr, "bench_bigrun: vantrel demo failed\n");
        return 1;
    }
    const std::string config = (dir / "demo/config/gearbox.cfg").string();
    auto recording = [&](double s) {
        const fs::path p =
            dir / ("run-" + std::to_string(static_cast<int>(s)) + "s" + tag + ".quor");
        const auto want = static_cast<uintmax_t>(s * g_rate) * 8 * (1 + kAccelerometers);
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
                shortSeconds * g_rate * 8 * (1 + kAccelerometers) / 1e9);
    std::printf("  in memory  %7.2f s  %8.0f MB peak\n", memory.seconds, memory.peakMb);
    std::printf("  on disk    %7.2f s  %8.0f MB peak   ratio %.2f (aim <= 1.2)   results %s\n",
                mapped.seconds, mapped.peakMb, mapped.seconds / memory.seconds,
                same ? "the same" : "DIFFER");
    const Outcome large = run(big, "long-mapped", false);
    std::printf("%g s recording (%.2f GB of samples):\n", seconds,
                seconds * g_rate * 8 * (1 + kAccelerometers) / 1e9);
    std::printf("  on disk    %7.2f s  %8.0f MB peak   (aim < 300 MB)%s\n", large.seconds,
                large.peakMb, large.ok ? "" : "   RUN FAILED");
    bool ok = mapped.ok && memory.ok && large.ok && same;

    if (argc > 5 && std::string(argv[5]) == "quor") return ok ? 0 : 1;
    // The same recordings as a logger's TDMS files: the first run copies
    // each into a .quor file beside it, the next runs read that copy.
    auto tdms = [&](double s) {
        const fs::path p =
            dir / ("run-" + std::to_string(static_cast<int>(s)) + "s" + tag + ".tdms");
        std::error_code ec;
        const uintmax_t size = fs::file_size(p, ec);
        if (ec || size < static_cast<uintmax_t>(s * g_rate) * 4 * (1 + kAccelerometers)) {
            std::printf("writing %s ...\n", p.string().c_str());
            std::fflush(stdout);
            if (!WriteTdmsRecording(p.string(), s)) return std::string();
        }
        // A copy left from an earlier run would hide the first run's cost.
        fs::remove(p.parent_path() / ("." + p.filename().string() + ".cache.quor"), ec);
        return p.string();
    };
    const std::string smallTdms = tdms(shortSeconds), bigTdms = tdms(seconds);
    if (smallTdms.empty() || bigTdms.empty()) return 1;
    const Outcome tMemory = run(smallTdms, "tdms-memory", true);
    const Outcome tFirst = run(smallTdms, "tdms-first", false);
    const Outcome tAgain = run(smallTdms, "tdms-again", false);
    const bool tSame =
        Bytes(dir / "tdms-again/results.quor") == Bytes(dir / "tdms-memory/results.quor") &&
        Bytes(dir / "tdms-first/results.quor") == Bytes(dir / "tdms-memory/results.quor");
    std::printf("%g s recording as TDMS float32 (%.2f GB):\n", shortSeconds,
                shortSeconds * g_rate * 4 * (1 + kAccelerometers) / 1e9);
    std::printf("  in memory       %7.2f s  %8.0f MB peak\n", tMemory.seconds, tMemory.peakMb);
    std::printf("  first (copied)  %7.2f s  %8.0f MB peak   ratio %.2f\n", tFirst.seconds,
                tFirst.peakMb, tFirst.seconds / tMemory.seconds);
    std::printf("  again (copy)    %7.2f s  %8.0f MB peak   ratio %.2f (aim <= 1.2)   results %s\n",
                tAgain.seconds, tAgain.peakMb, tAgain.seconds / tMemory.seconds,
                tSame ? "the same" : "DIFFER");
    const Outcome bFirst = run(bigTdms, "tdms-long-first", false);
    const Outcome bAgain = run(bigTdms, "tdms-long-again", false);
    std::printf("%g s recording as TDMS float32 (%.2f GB):\n", seconds,
                seconds * g_rate * 4 * (1 + kAccelerometers) / 1e9);
    std::printf("  first (copied)  %7.2f s  %8.0f MB peak   (aim < 300 MB)%s\n", bFirst.seconds,
                bFirst.peakMb, bFirst.ok ? "" : "   RUN FAILED");
    std::printf("  again (copy)    %7.2f s  %8.0f MB peak   (aim < 300 MB)%s\n", bAgain.seconds,
                bAgain.peakMb, bAgain.ok ? "" : "   RUN FAILED");
    ok = ok && tMemory.ok && tFirst.ok && tAgain.ok && tSame && bFirst.ok && bAgain.ok;
    return ok ? 0 : 1;
}
