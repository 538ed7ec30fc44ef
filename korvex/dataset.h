#pragma once
// Plain in-memory form of signals as the data files hold them. The file
// readers and writers work on this form only; the object tree converts to and
// from it, so neither side depends on the other.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "korvex/sample_buffer.h"

namespace korvex {

struct SignalData {
    std::string folder;  // relative sub-folder, "" or "a/b" (no leading or trailing "/")
    std::string name;
    std::string unit;   // unit text, e.g. "m/s^2"
    std::string text5;  // free text shown by the host
    double startX = 0.0;
    double stepX = 1.0;
    double startTime = 0.0;  // automation date
    // (part, axis) -> code; part 1 quantity, part 2 unit; axis 0 = x, 1 = y.
    std::map<std::pair<int, int>, uint64_t> axisCodes;
    std::vector<std::pair<std::string, std::string>> attributes;  // in insertion order
    std::vector<double> samples;
    // Instead of samples, when a reader was asked to map: the values where
    // they lie in the file. Only the host takes this form.
    SampleBuffer mapped;
};

// A signal's values, in memory or where they lie in the file.
inline std::span<const double> Values(const SignalData& s) {
    return s.mapped.empty() ? std::span<const double>(s.samples) : s.mapped.Span();
}

struct DataSet {
    std::vector<SignalData> signals;
};

// Outcome of reading or writing a data file. On failure message names the
// file and the fault in a line a user can act on.
struct FileResult {
    bool ok = false;
    std::string message;
    std::vector<std::string> notes;  // things skipped or adjusted on the way
    // The file reads once the user gives its sample rate (ReadOptions::rate).
    bool needsRate = false;
    // The read was stopped through ReadOptions::progress.
    bool stopped = false;
    // With ReadOptions::listOnly, the signals' lengths where they came
    // without values (in the order of the data set's signals), else empty.
    std::vector<uint64_t> sampleCounts;
};

}  // namespace korvex
