#pragma once
// What the harnesses share: a scratch folder of the process for the readers
// that take a path, and the check that turns a broken round trip into a
// crash libFuzzer keeps.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

#include "korvex/dataset.h"
#include "korvex/formats/cache.h"
#include "korvex/formats/formats.h"

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "round trip broken: %s%s%s\n", what, detail.empty() ? "" : ": ",
                 detail.c_str());
    std::abort();
}

// With VANTREL_FUZZ_ROUND_TRIP=report a broken round trip is printed (each
// kind once) and the run goes on, so that only memory errors and crashes stop
// it; by default it stops the run and keeps the input.
inline void Check(bool ok, const char* what, const std::string& detail = {}) {
    if (ok) return;
    static const bool reportOnly = [] {
        const char* mode = std::getenv("VANTREL_FUZZ_ROUND_TRIP");
        return mode && std::string(mode) == "report";
    }();
    if (!reportOnly) Fail(what, detail);
    static std::set<std::string> seen;
    if (seen.insert(what).second)
        std::fprintf(stderr, "round trip broken (reported): %s%s%s\n", what,
                     detail.empty() ? "" : ": ", detail.c_str());
}

// A file in the process's own scratch folder (harnesses may run side by
// side), removed with the folder at exit.
inline std::string Scratch(const std::string& name) {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::temp_directory_path() / ("vantrel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        static const struct Remove {
            std::filesystem::path p;
            ~Remove() {
                std::error_code ec;
                std::filesystem::remove_all(p, ec);
            }
        } remover{d};
        return d;
    }();
    return (dir / name).string();
}

inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Check(static_cast<bool>(out), "cannot write the scratch file", path);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool SameDouble(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// Within a relative rel.
inline bool Within(double a, double b, double rel) {
    if (SameDouble(a, b) || a == b) return true;
    return std::isfinite(a) && std::isfinite(b) &&
           std::fabs(a - b) <= rel * std::max(std::fabs(a), std::fabs(b));
}

// Within a relative 1e-10: what a text form of 13 significant digits keeps.
inline bool CloseDouble(double a, double b) {
    return Within(a, b, 1e-10);
}

// UFF record 7 prints the start and the step with six significant digits,
// and a file may give more.
constexpr double kUffRecord7 = 1e-5;

// Names, folders and units exactly; samples and the time axis exactly or
// within text precision. A format that prints the time axis with fewer
// digits than it reads gives their precision as axisRel.
inline void CheckSameSignals(const korvex::DataSet& a, const korvex::DataSet& b, bool exact,
                             bool everyField, const char* what, double axisRel = -1.0) {
    Check(a.signals.size() == b.signals.size(), what, "signal count");
    if (a.signals.size() != b.signals.size()) return;
    for (size_t i = 0; i < a.signals.size(); ++i) {
        const korvex::SignalData& x = a.signals[i];
        const korvex::SignalData& y = b.signals[i];
        const std::string at = "signal " + std::to_string(i) + " \"" + x.name + "\"";
        Check(x.name == y.name, what, at + ": name \"" + y.name + "\"");
        Check(x.folder == y.folder, what,
              at + ": folder \"" + x.folder + "\" / \"" + y.folder + "\"");
        Check(x.unit == y.unit, what, at + ": unit");
        Check(x.samples.size() == y.samples.size(), what, at + ": sample count");
        auto same = exact ? SameDouble : CloseDouble;
        auto sameAxis = [&](double u, double v) {
            return axisRel >= 0.0 ? Within(u, v, axisRel) : same(u, v);
        };
        Check(sameAxis(x.startX, y.startX) && sameAxis(x.stepX, y.stepX), what, at + ": time axis");
        for (size_t k = 0; k < std::min(x.samples.size(), y.samples.size()); ++k)
            Check(same(x.samples[k], y.samples[k]), what, at + ": sample " + std::to_string(k));
        if (!everyField) continue;
        Check(x.text5 == y.text5, what, at + ": text");
        Check(SameDouble(x.startTime, y.startTime), what, at + ": start time");
        Check(x.axisCodes == y.axisCodes, what, at + ": axis codes");
        Check(x.attributes == y.attributes, what, at + ": attributes");
    }
}

// The file read as a long recording is, through a copy made afresh (a file
// rewritten within one tick of the clock keeps its stamp): the same signals.
inline void CheckThroughCopy(const std::string& in, const korvex::DataSet& loaded,
                             korvex::ReadOptions options, const char* what) {
    options.mapSamples = true;
    options.cacheMinBytes = 0;
    options.cacheDir = Scratch("copies");
    std::string ignored;
    korvex::RemoveCacheCopies(in, options.cacheDir, ignored);
    korvex::DataSet copied;
    const korvex::FileResult r = korvex::ReadDataFile(in, copied, options);
    Check(r.ok, what, r.message);
    for (korvex::SignalData& s : copied.signals)
        if (!s.mapped.empty()) s.samples = s.mapped.ToVector();
    CheckSameSignals(loaded, copied, true, true, what);
}

// Saves data to path with write and loads it back with read; either failing
// is a finding.
template <class Write, class Read>
korvex::DataSet SaveAndLoad(const korvex::DataSet& data, const std::string& path, Write write,
                            Read read, const char* notSaved, const char* notLoaded) {
    const auto saved = write(path, data);
    Check(saved.ok, notSaved, saved.message);
    korvex::DataSet again;
    // Readers may take options too; the defaults are what a round trip wants.
    const auto reread = [&] {
        if constexpr (std::is_invocable_v<Read, const std::string&, korvex::DataSet&>)
            return read(path, again);
        else
            return read(path, again, {});
    }();
    Check(reread.ok, notLoaded, reread.message);
    return again;
}

}  // namespace fuzz
