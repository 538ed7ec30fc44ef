// The vantrel command's entry: its usage, "run" and "demo", and the dispatch to the others.

#include "apps/vantrel/cli.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>

#include "apps/common/version.h"
#include "apps/vantrel/commands.h"
#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/options.h"
#include "apps/vantrel/read_options.h"

namespace vantrel {

namespace {

constexpr char kDefaultDemoDir[] = "vantrel-demo";

int Usage(Console& c, const std::string& command, const std::string& message) {
    c.err << "vantrel: " << message << " (see vantrel " << command << (command.empty() ? "" : " ")
          << "--help)\n"
          << std::flush;
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

}  // namespace

int CommandRun(const std::vector<std::string>& args, const char* usage, Console& c) {
    Parsed p;
    std::string error;
    if (!ParseOptions(args, 1, {"--data", "--config", "--settings", "--out", "--jobs", "--summary"},
                      p, error, true))
        return Usage(c, "run", error);
    if (p.help) {
        c.out << usage;
        return kExitOk;
    }
    JobOptions o;
    o.dataPath = Get(p, "--data");
    o.configPath = Get(p, "--config");
    o.settingsPath = Get(p, "--settings");
    o.outDir = Get(p, "--out");
    o.summaryPath = Get(p, "--summary");
    if (o.dataPath.empty()) return Usage(c, "run", "run needs --data FILE");
    if (o.configPath.empty() && o.settingsPath.empty())
        return Usage(c, "run", "run needs --config FILE or --settings FILE");
    if (!o.configPath.empty() && !o.settingsPath.empty())
        return Usage(c, "run", "give either --config or --settings, not both");
    if (o.outDir.empty()) return Usage(c, "run", "run needs --out DIR");
    if (const std::string j = Get(p, "--jobs"); !j.empty()) {
        char* end = nullptr;
        const long n = std::strtol(j.c_str(), &end, 10);
        if (end == j.c_str() || *end || n < 1 || n > kMaxJobs)
            return Usage(
                c, "run",
                "--jobs takes a count from 1 to " + std::to_string(kMaxJobs) + ", not " + j);
        o.jobs = static_cast<int>(n);
    }
    o.strict = p.strict;
    o.bandFrequencies = p.bandFrequencies;
    o.read = p.read;
    o.read.mapSamples = !p.inMemory;
    c.progress = !p.quiet;
    return RunJob(o, c);
}

int CommandDemo(const std::vector<std::string>& args, const char* usage, Console& c) {
    Parsed p;
    std::string error;
    if (!ParseOptions(args, 1, {"--out", "--duration"}, p, error)) return Usage(c, "demo", error);
    if (p.help) {
        c.out << usage;
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
            return Usage(c, "demo", "--duration takes seconds from 2 to 3600, not " + d);
    }
    c.progress = !p.quiet;
    return RunDemo(out, duration, c);
}

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

namespace {

std::string VersionText() {
    return appversion::VersionText("vantrel",
                                   {appversion::FftwVersion(), appversion::MatioVersion()});
}

// The list of commands, a line each; each command's options are in its own
// --help.
void PrintHelp(std::ostream& out) {
    out << VersionText() << "\n"
        << "Usage: vantrel COMMAND [OPTION...]    (vantrel COMMAND --help: its options)\n"
        << "       vantrel --help | --version\n\nCommands:\n";
    for (const Command& command : Commands()) {
        std::string name = command.name;
        name.resize(10, ' ');
        out << "  " << name << command.summary << '\n';
    }
    out << "\nOptions take their value as the next word or after \"=\" (--out=DIR).\n"
           "Ctrl+C (or SIGTERM) stops a command cleanly: no half-written file, code 1.\n"
           "Exit codes: 0 success, 1 calculation failed or stopped, 2 bad arguments,\n"
           "3 unreadable input, 4 results could not be written.\n";
}

}  // namespace

int VantrelMain(const std::vector<std::string>& args, Console& c) {
    const FileSizeSignalGuard guard;
    const InterruptScope interrupts;
    if (args.empty()) return Usage(c, "", "no command given");
    const std::string& word = args[0];
    if (word == "-h" || word == "--help" || word == "help") {
        // "vantrel help COMMAND" is "vantrel COMMAND --help".
        if (const Command* command = args.size() > 1 ? FindCommand(args[1]) : nullptr) {
            c.out << CommandHelp(*command);
        } else if (args.size() > 1) {
            return Usage(c, "", "unknown command " + args[1]);
        } else {
            PrintHelp(c.out);
        }
        return kExitOk;
    }
    if (word == "--version") {
        c.out << VersionText();
        return kExitOk;
    }
    const Command* command = FindCommand(word);
    if (!command) return Usage(c, "", "unknown command " + word);
    return command->run(args, CommandHelp(*command).c_str(), c);
}

int VantrelMain(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    Console c{std::cout, std::cerr, isatty(STDERR_FILENO) != 0};
    return VantrelMain(args, c);
}

}  // namespace vantrel
