// bench_summary: merging the summary tables of a survey (1000 recordings of
// 2 channels x 40 bands x 4 modes by default) into one sorted table and
// writing it, against plainly reading the same files' bytes in the same run.
// The aim: the whole merge under a second.
//
// Usage: bench_summary [RECORDINGS] [DIR]   (default 1000, the temporary folder)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/summary.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// One recording's table, as `vantrel run` writes it.
std::vector<SummaryRow> Recording(int k) {
    const char* modes[] = {"1200 об/мин", "1800 об/мин", "2400 об/мин", kSummaryWholeRecording};
    std::vector<SummaryRow> rows;
    char start[40];
    std::snprintf(start, sizeof start, "2026-%02d-%02d %02d:00:00.000", 1 + k % 12, 1 + k % 28,
                  k % 24);
    for (int c = 0; c < 2; ++c)
        for (int b = 0; b < 40; ++b)
            for (int m = 0; m < 4; ++m) {
                SummaryRow r;
                r.file =
                    "/survey/unit" + std::to_string(k % 50) + "/rec" + std::to_string(k) + ".quor";
                r.dataSet = "rec" + std::to_string(k);
                r.startTime = start;
                r.channel = c == 0 ? "Acc1" : "Acc2";
                r.item = "Полоса " + std::to_string(b);
                r.folder = b % 2 ? "Вход" : "";
                r.unit = "mm/s";
                r.mode = modes[m];
                r.from = 4.3 * m;
                r.to = r.from + 2.6;
                r.min = 0.1 * b + 0.001 * k;
                r.mean = r.min * 1.5;
                r.max = r.min * 2.0;
                r.last = r.mean;
                r.alert = 2.8;
                r.danger = 4.5;
                r.machineClass = MachineClass::Group2Rigid;
                JudgeRow(r, b == 0);
                rows.push_back(std::move(r));
            }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    const int recordings = argc > 1 ? std::atoi(argv[1]) : 1000;
    const fs::path base = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    const fs::path dir = base / ("bench-summary-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::create_directories(dir / "out", ec);
    if (ec || recordings < 1) {
        std::fprintf(stderr, "bench_summary: cannot use %s\n", dir.c_str());
        return 1;
    }
    size_t bytes = 0;
    for (int k = 0; k < recordings; ++k) {
        const fs::path p = dir / ("rec" + std::to_string(k)) / "summary.csv";
        fs::create_directories(p.parent_path(), ec);
        std::string error;
        if (!WriteSummary(p.string(), Recording(k), error)) {
            std::fprintf(stderr, "bench_summary: %s\n", error.c_str());
            return 1;
        }
        bytes += fs::file_size(p);
    }

    double best = 1e9, bestRead = 1e9;
    size_t rows = 0;
    for (int turn = 0; turn < 3; ++turn) {
        // Reference: find the same files and read their bytes, nothing more.
        auto t0 = Clock::now();
        size_t seen = 0;
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (!e.is_regular_file() || e.path().extension() != ".csv") continue;
            std::ifstream in(e.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            seen += text.size();
        }
        auto t1 = Clock::now();
        MergeResult m;
        std::string error;
        if (!MergeSummaries({dir.string()}, (dir / "out" / "ALL.txt").string(), m, error) ||
            seen < bytes) {
            std::fprintf(stderr, "bench_summary: %s\n", error.c_str());
            return 1;
        }
        auto t2 = Clock::now();
        rows = m.rows;
        bestRead = std::min(bestRead, Seconds(t0, t1));
        best = std::min(best, Seconds(t1, t2));
    }
    fs::remove_all(dir, ec);
    std::printf("summaries: %d files, %zu rows, %.1f MB\n", recordings, rows, bytes / 1e6);
    std::printf(
        "merge (read, sort, write): %.3f s   plain read of the bytes: %.3f s   ratio %.1f\n", best,
        bestRead, best / bestRead);
    std::printf("aim: merge under 1 s: %s\n", best < 1.0 ? "met" : "NOT met");
    return best < 1.0 ? 0 : 2;
}
