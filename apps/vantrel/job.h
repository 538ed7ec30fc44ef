#pragma once
// One calculation from the command line: a stand-in host with the data file
// loaded, the configuration read, the engine run with progress on the
// terminal, and the result folder exported to disk.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "korvex/formats/readers.h"

class CCfgProc;
namespace korvex {
class Host;
}

namespace vantrel {

// Exit codes of the command.
enum ExitCode : int {
    kExitOk = 0,
    kExitCalcFailed = 1,  // the calculation ran but did not succeed
    kExitUsage = 2,       // bad arguments
    kExitInput = 3,       // a file to read is missing or unreadable
    kExitOutput = 4,      // results could not be written
};

// Where the command writes: out for results and tables, err for progress,
// warnings and the one line of an error. errTty asks for an in-place
// progress bar.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errTty = false;
    bool progress = true;
    int warnings = 0;            // counted by Warn and the tacho check
    std::string lastError = {};  // the message of the error that ended a job
};

// One "vantrel: warning: " line on err, counted for --strict.
void Warn(Console& console, const std::string& text);

// A message as one line of the command's own style: a library's sentence
// ("Cannot write "x": the disk is full.") loses its capital and its full
// stop; "NI TDMS ..." and the Parts' Russian texts stay as they are.
std::string AsLine(const std::string& message);
// One "vantrel: note: " line on err, in that style.
void Note(Console& console, const std::string& text);
// "vantrel: " and the message on err (kept in lastError); returns code.
int Fail(Console& console, int code, const std::string& message);

// A step of a job with the host and the configuration it loaded; returns an
// exit code, and anything but kExitOk ends the job with it.
using JobStep = std::function<int(korvex::Host& host, CCfgProc& cfg, Console& console)>;

struct JobOptions {
    std::string dataPath;          // any file the host reads
    korvex::ReadOptions read;      // its sample rate and CSV choices, when it needs them
    std::string configPath;        // a configuration file, or
    std::string settingsPath;      // a settings file (exactly one of the two)
    std::string outDir;            // empty: the results are not written to disk
    JobStep beforeCalculation;     // once the data and configuration are loaded
    JobStep afterCalculation;      // once the calculation succeeded and was written
    int jobs = 0;                  // measuring channels side by side; 0: one per core
    bool strict = false;           // any warning ends the job with kExitInput
    bool bandFrequencies = false;  // also file every band's borders (on whatever the settings say)
    // Also write the summary table here; a failed job writes one that says why.
    std::string summaryPath;
};

inline constexpr int kMaxJobs = 256;

// The files a successful run wrote, for whoever reports them. A run that
// filed no result signal writes none of them (the paths stay empty).
struct JobOutputs {
    std::string quorPath;
    std::string uffPath;
    std::string matPath;
    std::string csvDir;
    int csvFiles = 0;
    std::string summaryPath;  // DIR/summary.csv
};

// Runs the whole job; returns the exit code. Errors are one line on err.
int RunJob(const JobOptions& options, Console& console, JobOutputs* outputs = nullptr);

// Statistics of one result signal, as the summary table shows them.
struct ResultRow {
    std::string channel;  // first level below the result folder
    std::string band;     // item name (the signal name without "channel.")
    std::string unit;
    size_t points = 0;
    double min = 0, max = 0, last = 0;  // of the measured points; NaN without any
};
// The table: one line per row, columns padded by characters, not bytes.
void PrintResultTable(std::ostream& out, const std::vector<ResultRow>& rows);

}  // namespace vantrel
