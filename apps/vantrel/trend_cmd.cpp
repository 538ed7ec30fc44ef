// "vantrel trend": one band of a merged summary as CSV, and its picture by vantrel-trend.

#include "apps/vantrel/trend_cmd.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>

#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/options.h"
#include "platform/profile.h"

extern char** environ;

namespace fs = std::filesystem;

namespace vantrel {

namespace {

constexpr char kPlotter[] = "vantrel-trend";

// The plotter beside this program's executable.
std::string PlotterPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const fs::path p = self.parent_path() / kPlotter;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

int RunPlotter(const std::string& plotter, const std::vector<std::string>& args,
               const std::string& png, Console& c) {
    std::vector<std::string> words{plotter};
    words.insert(words.end(), args.begin() + 1, args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    c.out << std::flush;
    pid_t pid = 0;
    if (posix_spawn(&pid, plotter.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return Fail(c, kExitOutput, "cannot start \"" + plotter + "\"");
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return kExitOutput;
    if (Interrupted() ||
        (WIFSIGNALED(status) && (WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM))) {
        // Ctrl+C reached the plotter too: what it had begun goes.
        std::remove((png + ".tmp.png").c_str());
        return StoppedByUser(c);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExitOutput;
}

}  // namespace

bool ParseTrendArgs(const std::vector<std::string>& args, TrendArgs& a, std::string& error) {
    std::map<std::string, std::string*> slots{
        {"--summary", &a.summary}, {"--channel", &a.query.channel}, {"--item", &a.query.item},
        {"--mode", &a.query.mode}, {"--value", &a.query.value},     {"--png", &a.png},
        {"--csv", &a.csv}};
    slots["--lang"] = &a.lang;  // the picture's language (vantrel-trend)
    std::map<std::string, bool> seen;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            a.help = true;
            continue;
        }
        std::string name, value;
        auto known = [&slots](const std::string& n) { return slots.count(n) != 0; };
        if (!TakeOption(args, i, known, name, value, error)) return false;
        if (seen[name]) {
            error = name + " given twice";
            return false;
        }
        seen[name] = true;
        *slots[name] = value;
    }
    if (a.help) return true;
    if (!a.lang.empty() && a.lang != "ru" && a.lang != "en")
        error = "--lang is ru or en, not " + a.lang;
    else if (const std::string& v = a.query.value;
             v != "max" && v != "mean" && v != "min" && v != "last")
        error = "--value takes max, mean, min or last, not " + a.query.value;
    else if (a.summary.empty() || a.query.channel.empty() || a.query.item.empty())
        error = "trend needs --summary FILE, --channel C and --item I";
    else if (a.png.empty() && a.csv.empty())
        error = "trend needs --png OUT.png or --csv OUT.csv";
    return error.empty();
}

bool LoadTrend(const TrendArgs& a, Trend& trend, std::string& error) {
    std::vector<SummaryRow> rows;
    return ReadSummary(a.summary, rows, error) && MakeTrend(rows, a.query, trend, error);
}

int CommandTrend(const std::vector<std::string>& args, const char* usage, Console& c) {
    TrendArgs a;
    std::string error;
    if (!ParseTrendArgs(args, a, error))
        return Fail(c, kExitUsage, error + " (see vantrel trend --help)");
    if (a.help) {
        c.out << usage;
        return kExitOk;
    }
    Trend trend;
    if (!LoadTrend(a, trend, error)) return Fail(c, kExitInput, error);
    std::string plotter;
    if (!a.png.empty() && (plotter = PlotterPath()).empty())
        return Fail(c, kExitOutput,
                    std::string("the PNG is drawn by ") + kPlotter +
                        ", which is not beside vantrel (a build without the user interface); "
                        "--csv works without it");
    if (!a.csv.empty()) {
        if (!plat::WriteFileAtomic(a.csv, TrendCsv(trend), &error))
            return Fail(c, kExitOutput, "cannot write \"" + a.csv + "\": " + error);
        c.out << "Written: " << a.csv << " (" << trend.points.size() << " points)\n";
    }
    return a.png.empty() ? kExitOk : RunPlotter(plotter, args, a.png, c);
}

}  // namespace vantrel
