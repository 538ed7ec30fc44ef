// "vantrel demo": the gearbox sample and its configuration written, calculated and reported.

#include <filesystem>

#include "apps/samplegen/gearbox.h"
#include "apps/vantrel/cli.h"
#include "apps/vantrel/demo_files.h"
#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/report_cmd.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

// A word as the shell reads it back: plain when it holds nothing the shell
// treats specially, else in single quotes (a quote inside as '\'').
std::string ShellWord(const std::string& word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_-./=:,+@%") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (char ch : word) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

}  // namespace

int RunDemo(const std::string& outDir, double duration, Console& c) {
    std::error_code ec;
    const fs::path root = fs::absolute(outDir, ec).lexically_normal();
    const fs::path sampleDir = root / "sample";
    const fs::path configDir = root / "config";
    const fs::path resultsDir = root / "results";
    for (const fs::path& d : {sampleDir, configDir}) {
        fs::create_directories(d, ec);
        if (ec)
            return Fail(c, kExitOutput, "cannot create \"" + d.string() + "\": " + ec.message());
    }

    samplegen::GearboxScheme scheme;
    scheme.duration = duration;
    const fs::path samplePath = sampleDir / "gearbox.quor";
    c.out << "Making the gearbox run-up sample (" << duration << " s, " << scheme.inputStartHz
          << " to " << scheme.inputStopHz << " Hz in " << scheme.steps << " steps, "
          << scheme.sampleRate << " samples/s)\n"
          << std::flush;
    const korvex::FileResult written = samplegen::WriteGearboxSample(scheme, samplePath.string());
    if (!written.ok)
        return Interrupted() ? StoppedByUser(c) : Fail(c, kExitOutput, written.message);

    // The shipped configuration and its sections, side by side: the
    // configuration names them relative to its own folder.
    for (const DemoFile& f : DemoFiles()) {
        const fs::path p = configDir / fs::path(std::string(f.name));
        std::string error;
        if (!plat::WriteFileAtomic(p.string(), f.bytes, &error))
            return Fail(c, kExitOutput,
                        error.empty() ? "cannot write \"" + p.string() + "\"" : error);
    }
    const fs::path configPath = configDir / kDemoConfigName;

    c.out << "Sample:        " << samplePath.string() << '\n'
          << "Configuration: " << configPath.string() << "\n\n"
          << std::flush;

    JobOptions o;
    o.dataPath = samplePath.string();
    o.configPath = configPath.string();
    o.outDir = resultsDir.string();
    // One report entry per steady speed. The report of an earlier demo run
    // is replaced only by a whole new one.
    const fs::path reportPath = root / kDemoReportName;
    bool reportWritten = false;
    o.afterCalculation = [&reportPath, &reportWritten](korvex::Host& host, CCfgProc& cfg,
                                                       Console& con) {
        const fs::path fresh =
            reportPath.parent_path() / (".new." + reportPath.filename().string());
        std::error_code rec;
        fs::remove(fresh, rec);
        con.out << '\n';
        int entries = 0;
        const int code = FillReport(host, cfg, kDemoProgram, fresh.string(), con, entries);
        if (code != kExitOk) {
            fs::remove(fresh, rec);
            return code;
        }
        if (entries == 0) {
            fs::remove(reportPath, rec);
            return static_cast<int>(kExitOk);
        }
        fs::rename(fresh, reportPath, rec);
        if (rec) {
            fs::remove(fresh, rec);
            return Fail(con, kExitOutput, "cannot write \"" + reportPath.string() + "\"");
        }
        reportWritten = true;
        PrintReportPath(con, reportPath.string(), entries);
        return static_cast<int>(kExitOk);
    };
    const int code = RunJob(o, c);
    if (code != kExitOk) return code;
    c.out << "\nEverything is below " << root.string() << ":\n"
          << "  sample/   the generated data set (gearbox.quor)\n"
          << "  config/   the configuration (gearbox.cfg) and its frequency-base sections\n"
          << "  results/  results.quor, results.uff, results.mat and csv/ with one file per\n"
          << "            result\n";
    if (reportWritten)
        c.out << "  report.rtf  one report entry per steady speed of the run-up\n";
    else
        c.out << "No report: no speed was held long enough for an entry (a longer --duration)\n";
    const std::string data = ShellWord(samplePath.string()),
                      config = ShellWord(configPath.string());
    c.out << "Run it again with your own settings:\n"
          << "  vantrel run --data " << data << " --config " << config << " --out "
          << ShellWord(resultsDir.string()) << '\n'
          << "  vantrel report --data " << data << " --config " << config << " --rtf "
          << ShellWord(reportPath.string()) << " --program " << ShellWord(kDemoProgram) << '\n'
          << std::flush;
    return code;
}

}  // namespace vantrel
