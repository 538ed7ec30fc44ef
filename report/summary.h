#pragma once
// The summary table of a recording: one row per channel, item and mode with
// the statistics of the level over the mode's span and its limit states and
// zone, as a CSV file; and the merge of many such files into one.

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "config/limits.h"

inline constexpr char kSummaryWholeRecording[] = "whole recording";
inline constexpr char kSummaryFileName[] = "summary.csv";

struct SummaryRow {
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    std::string file;       // the data file as given to the run
    std::string dataSet;    // its data set's name
    std::string startTime;  // "yyyy-mm-dd hh:mm:ss.mmm", or "" when the file has none
    std::string channel, item, folder, unit;
    std::string mode;               // a steady mode's name, or kSummaryWholeRecording
    double from = kNaN, to = kNaN;  // seconds from the start of the measurement
    double min = kNaN, mean = kNaN, max = kNaN, last = kNaN;
    double alert = kNaN, danger = kNaN;
    MachineClass machineClass = MachineClass::None;
    LimitState limits = LimitState::None;  // of the maximum
    Zone zone = Zone::None;                // of the maximum
    LimitState state = LimitState::None;   // the more severe of the two
    std::string error;  // a failed recording: only file, dataSet and this are set
};

// Fills min, mean, max, last of the points of y (at start + i * step) that
// lie in [from, to] and are measured (not NaN); then the states.
void SummariseSpan(const std::vector<double>& y, double start, double step, SummaryRow& row);
// Sets limits, zone and state from max, the limits and the class;
// zonesApply says whether the class judges this item at all.
void JudgeRow(SummaryRow& row, bool zonesApply);

// The header line (without the line end) and the file's text: CRLF-free,
// numbers with a decimal point and just enough digits to read back exactly,
// texts quoted where they hold a comma, a quote or a line end.
std::string SummaryHeader();
std::string SummaryText(const std::vector<SummaryRow>& rows);
// Written through a temporary file and a rename.
bool WriteSummary(const std::string& path, const std::vector<SummaryRow>& rows, std::string& error);

// Reads a summary file; false with error naming the file and the line when
// it is not one or a line does not read.
bool ReadSummary(const std::string& path, std::vector<SummaryRow>& rows, std::string& error);
bool ParseSummary(const std::string& text, const std::string& label, std::vector<SummaryRow>& rows,
                  std::string& error);

// The merge: summary files found at paths (files, or folders searched
// below for files that begin with the header), sorted by data set, channel,
// item, start time and start of the span, written to out through a
// temporary file and a rename. Rows of failed
// recordings and files that do not read go to log, one line each. The rows
// are copied as their files hold them, so a survey of hundreds of
// recordings merges in about the time it takes to read them.
struct MergeResult {
    size_t rows = 0;
    std::vector<std::string> log;
    size_t files = 0;   // summary files read
    size_t failed = 0;  // recordings that failed, and files that did not read
};
// False with error when out cannot be written (it is then left as it was).
bool MergeSummaries(const std::vector<std::string>& paths, const std::string& out, MergeResult& m,
                    std::string& error);
