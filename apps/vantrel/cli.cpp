// The vantrel command's entry: its usage, "run" and "demo", and the dispatch to the others.

#include "apps/vantrel/cli.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>

#include "apps/vantrel/envelope_cmd.h"
#include "apps/vantrel/files_cmd.h"
#include "apps/vantrel/options.h"
#include "apps/vantrel/read_options.h"
#include "apps/vantrel/report_cmd.h"
#include "apps/vantrel/orders_cmd.h"
#include "apps/vantrel/speed_cmd.h"
#include "apps/vantrel/summary_cmd.h"
#include "apps/vantrel/trend_cmd.h"

namespace vantrel {

namespace {

constexpr char kUsageText[] =
    "Usage:\n"
    "  vantrel run --data FILE (--config FILE.cfg | --settings FILE) --out DIR [--jobs N]\n"
    "              [--summary FILE.csv] [--band-frequencies] [--in-memory] [--strict] [--quiet]\n"
    "              [READING]\n"
    "  vantrel report --data FILE (--config FILE.cfg | --settings FILE) --rtf REPORT.rtf\n"
    "                 (--at SECONDS [--at SECONDS ...] | --program NAME)\n"
    "                 [--out DIR] [--new-page] [--landscape] [--font-size N]\n"
    "                 [--band-frequencies] [--in-memory] [--strict] [--quiet] [READING]\n"
    "  vantrel info FILE [READING]\n"
    "  vantrel convert FILE OUT [READING]\n"
    "  vantrel cache (FILE | FOLDER)... [--remove] [--cache-dir DIR]\n"
    "  vantrel demo [--out DIR] [--duration SECONDS] [--quiet]\n"
    "  vantrel speed --data FILE --channel NAME --order K (--start T,HZ | --range LO,HI)\n"
    "                --out FILE [--block N] [--overlap PCT] [--max-rate R] [--quiet] [READING]\n"
    "  vantrel orders --data FILE --channel NAME (--tacho NAME | --speed NAME) ...\n"
    "                 (see vantrel orders --help)\n"
    "  vantrel summary --out ALL.csv [--log FILE] PATH...\n"
    "  vantrel trend --summary ALL.csv --channel C --item I [--mode M] [--value V]\n"
    "                (--png OUT.png | --csv OUT.csv | both) [--lang ru|en]\n"
    "%ENVELOPE%"
    "  vantrel --help\n"
    "\n"
    "run    Loads the data file (.quor, UFF58 .uff/.unv, .wav, NI .tdms, .mat, .csv or\n"
    "       other text, NI .lvm) into the host, reads\n"
    "       the configuration, computes the band levels and writes DIR/results.quor,\n"
    "       DIR/results.uff, DIR/results.mat and DIR/csv/ (one CSV per result signal).\n"
    "report Calculates like run, then appends report entries to REPORT.rtf: one per\n"
    "       --at time, or one per steady mode of the configuration's test program\n"
    "       NAME. With --out DIR the results are written as by run.\n"
    "info   Lists what a data file holds: every signal with its folder, name, unit,\n"
    "       points, step and start, and what was skipped and why.\n"
    "convert Writes a data file as OUT: .quor, UFF 58 (.uff), MAT (.mat), or CSV files\n"
    "       below the folder OUT (any other name).\n"
    "cache  Shows the copies that long recordings in other formats than .quor are\n"
    "       read from (made on their first run), and removes them with --remove.\n"
    "       For a FOLDER (the data's, or ~/.cache/korvex): the copies in it and the\n"
    "       files they copy; --remove takes those whose file is gone or changed,\n"
    "       and copies cut off while written.\n"
    "demo   Makes the gearbox run-up sample and its configuration below DIR\n"
    "       (default ./vantrel-demo), runs the calculation on them and writes\n"
    "       DIR/report.rtf with one entry per steady speed.\n"
    "speed  Follows the line of order K of the channel through its spectral map and\n"
    "       writes the shaft's rotation frequency (Hz, signal NAME.speed) to FILE\n"
    "       (.quor, .uff, .unv, .mat or .csv). --start: a time and the line's\n"
    "       frequency there; --range: the band the line stays in (Hz).\n"
    "summary Merges the summary tables (DIR/summary.csv of run, or --summary files)\n"
    "       found at the PATHs (files, or folders searched below) into ALL.csv;\n"
    "       failed recordings and unreadable files go to its log (ALL.log).\n"
    "trend  One band of a merged summary over the recordings' start times, with its\n"
    "       limits, zones and each point's zone, as a PNG picture and/or a CSV table;\n"
    "       the picture's words in Russian or English (--lang; default: the locale's).\n"
    "envelope The envelope spectrum of a channel in a band (given, or the kurtogram's),\n"
    "       read at a bearing's fault lines and named orders, with a verdict\n"
    "       (docs/cli.md).\n"
    "\n"
    "Options:\n"
    "  --data FILE        data file to calculate\n"
    "  --config FILE      configuration file (section files relative to its folder)\n"
    "  --settings FILE    settings file instead of a configuration file\n"
    "  --out DIR          output folder (created when missing)\n"
    "  --jobs N           measuring channels computed side by side (default: one per core)\n"
    "  --summary FILE     run: also write the summary table there (DIR/summary.csv is\n"
    "                     always written); a failed run writes one that says why\n"
    "  --band-frequencies also write every band's lower and upper border (and a\n"
    "                     tracking band's centre) in Hz, in \"Частоты полос\" below each\n"
    "                     channel's results\n"
    "  --in-memory        read the whole recording into memory; by default the long\n"
    "                     signals of a .quor file are used where they lie on disk, and\n"
    "                     other formats are copied once into a .quor file used so\n"
    "  --duration S       demo sample length in seconds (default 60)\n"
    "  --channel NAME     speed: the vibration channel (folder/name where names repeat)\n"
    "  --order K          speed: the order followed (1 the shaft, the mesh's tooth count ...)\n"
    "  --start T,HZ       speed: a time (s) and the frequency of the order's line then\n"
    "  --range LO,HI      speed: the band the order's line stays in (Hz)\n"
    "  --block N, --overlap PCT   speed: spectrum block length (default 8192) and overlap\n"
    "                     (default 75)\n"
    "  --max-rate R       speed: fastest change of the speed, share per second (default 0.5)\n"
    "  --rtf FILE         report file to append to (created when missing)\n"
    "  --at S             entry at S seconds from the start of the measurement\n"
    "  --program NAME     entries for the steady modes of a test program\n"
    "  --new-page, --landscape, --font-size N   report layout (N from 6 to 24)\n"
    "  --strict           a warning (a value that does not read, an unknown item, a\n"
    "                     file in the wrong encoding, ...) ends the run with code 3\n"
    "  -q, --quiet        no progress output\n"
    "  -h, --help         this text\n"
    "\n"
    "Exit codes: 0 success, 1 calculation failed or stopped, 2 bad arguments,\n"
    "3 unreadable input, 4 results could not be written.\n";

// The usage with the reading options (READING) after the others.
const std::string kUsage = [] {
    std::string text = kUsageText;
    text.replace(text.find("%ENVELOPE%"), 10, kEnvelopeUsage);
    const size_t exit = text.find("\nExit codes");
    return text.insert(exit + 1, std::string(kReadOptionsUsage) + "\n");
}();

constexpr char kDefaultDemoDir[] = "vantrel-demo";

int Usage(Console& c, const std::string& message) {
    c.err << "vantrel: " << message << " (see vantrel --help)\n" << std::flush;
    return kExitUsage;
}

// "--name value" pairs and lone flags after the command word. Each option
// may appear once.
struct Parsed {
    std::map<std::string, std::string> values;
    korvex::ReadOptions read;
    bool quiet = false;
    bool help = false;
    bool strict = false;
    bool bandFrequencies = false;
    bool inMemory = false;
};

bool ParseOptions(const std::vector<std::string>& args, size_t first,
                  const std::vector<std::string>& valued, Parsed& p, std::string& error,
                  bool runFlags = false) {
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (runFlags && a == "--strict") {
            p.strict = true;
            continue;
        }
        if (runFlags && a == "--band-frequencies") {
            p.bandFrequencies = true;
            continue;
        }
        if (runFlags && a == "--in-memory") {
            p.inMemory = true;
            continue;
        }
        if (runFlags && SetReadFlag(a, p.read)) continue;
        if (a == "-h" || a == "--help") {
            p.help = true;
            continue;
        }
        if (a == "--quiet" || a == "-q") {
            p.quiet = true;
            continue;
        }
        std::string name, value;
        auto known = [&](const std::string& n) {
            return std::find(valued.begin(), valued.end(), n) != valued.end() ||
                   (runFlags && IsReadOption(n));
        };
        if (!TakeOption(args, i, known, name, value, error)) return false;
        if (runFlags && IsReadOption(name)) {
            if (!SetReadOption(name, value, p.read, error)) return false;
            continue;
        }
        if (!p.values.emplace(name, value).second) {
            error = name + " given twice";
            return false;
        }
    }
    return true;
}

std::string Get(const Parsed& p, const std::string& key) {
    auto it = p.values.find(key);
    return it == p.values.end() ? std::string() : it->second;
}

int CommandRun(const std::vector<std::string>& args, Console& c) {
    Parsed p;
    std::string error;
    if (!ParseOptions(args, 1, {"--data", "--config", "--settings", "--out", "--jobs", "--summary"},
                      p, error, true))
        return Usage(c, error);
    if (p.help) {
        c.out << kUsage;
        return kExitOk;
    }
    JobOptions o;
    o.dataPath = Get(p, "--data");
    o.configPath = Get(p, "--config");
    o.settingsPath = Get(p, "--settings");
    o.outDir = Get(p, "--out");
    o.summaryPath = Get(p, "--summary");
    if (o.dataPath.empty()) return Usage(c, "run needs --data FILE");
    if (o.configPath.empty() && o.settingsPath.empty())
        return Usage(c, "run needs --config FILE or --settings FILE");
    if (!o.configPath.empty() && !o.settingsPath.empty())
        return Usage(c, "give either --config or --settings, not both");
    if (o.outDir.empty()) return Usage(c, "run needs --out DIR");
    if (const std::string j = Get(p, "--jobs"); !j.empty()) {
        char* end = nullptr;
        const long n = std::strtol(j.c_str(), &end, 10);
        if (end == j.c_str() || *end || n < 1 || n > kMaxJobs)
            return Usage(
                c, "--jobs takes a count from 1 to " + std::to_string(kMaxJobs) + ", not " + j);
        o.jobs = static_cast<int>(n);
    }
    o.strict = p.strict;
    o.bandFrequencies = p.bandFrequencies;
    o.read = p.read;
    o.read.mapSamples = !p.inMemory;
    c.progress = !p.quiet;
    return RunJob(o, c);
}

int CommandDemo(const std::vector<std::string>& args, Console& c) {
    Parsed p;
    std::string error;
    if (!ParseOptions(args, 1, {"--out", "--duration"}, p, error)) return Usage(c, error);
    if (p.help) {
        c.out << kUsage;
        return kExitOk;
    }
    std::string out = Get(p, "--out");
    if (out.empty()) out = kDefaultDemoDir;
    double duration = 60.0;
    if (const std::string d = Get(p, "--duration"); !d.empty()) {
        char* end = nullptr;
        duration = std::strtod(d.c_str(), &end);
        // A run-up needs a few spectrum blocks; an hour is plenty.
        if (end == d.c_str() || *end || !std::isfinite(duration) || duration < 2.0 ||
            duration > 3600.0)
            return Usage(c, "--duration takes seconds from 2 to 3600, not " + d);
    }
    c.progress = !p.quiet;
    return RunDemo(out, duration, c);
}

}  // namespace

namespace {

// A write past the file-size limit (ulimit -f) then fails with an error the
// writer reports and cleans up after, instead of killing the command halfway
// through a result folder.
class FileSizeSignalGuard {
  public:
#ifdef SIGXFSZ
    FileSizeSignalGuard() : previous_(std::signal(SIGXFSZ, SIG_IGN)) {}
    ~FileSizeSignalGuard() {
        if (previous_ != SIG_ERR) std::signal(SIGXFSZ, previous_);
    }
#else
    FileSizeSignalGuard() = default;
#endif
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

  private:
#ifdef SIGXFSZ
    void (*previous_)(int);
#endif
};

}  // namespace

int VantrelMain(const std::vector<std::string>& args, Console& c) {
    const FileSizeSignalGuard guard;
    if (args.empty()) return Usage(c, "no command given");
    const std::string& command = args[0];
    if (command == "-h" || command == "--help" || command == "help") {
        c.out << kUsage;
        return kExitOk;
    }
    if (command == "run") return CommandRun(args, c);
    if (command == "demo") return CommandDemo(args, c);
    if (command == "report") return CommandReport(args, kUsage.c_str(), c);
    if (command == "info") return CommandInfo(args, kUsage.c_str(), c);
    if (command == "convert") return CommandConvert(args, kUsage.c_str(), c);
    if (command == "cache") return CommandCache(args, kUsage.c_str(), c);
    if (command == "speed") return CommandSpeed(args, kUsage.c_str(), c);
    if (command == "orders") return CommandOrders(args, c);
    if (command == "summary") return CommandSummary(args, kUsage.c_str(), c);
    if (command == "trend") return CommandTrend(args, kUsage.c_str(), c);
    if (command == "envelope") return CommandEnvelope(args, kUsage.c_str(), c);
    return Usage(c, "unknown command " + command);
}

int VantrelMain(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    Console c{std::cout, std::cerr, isatty(STDERR_FILENO) != 0};
    return VantrelMain(args, c);
}

}  // namespace vantrel
