// "vantrel report": a calculation, then RTF entries at given times or per steady mode.

#include "apps/vantrel/report_cmd.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "apps/vantrel/options.h"
#include "apps/vantrel/outdir.h"
#include "apps/vantrel/read_options.h"
#include "config/cfgproc.h"
#include "korvex/host.h"
#include "report/report_table.h"
#include "report/strings.h"
#include "shell/host.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

struct ReportArgs {
    std::string data, config, settings, rtf, out, program;
    std::vector<double> at;
    int fontSize = 0;  // 0: as the settings say
    bool newPage = false, landscape = false, quiet = false, help = false, strict = false;
    bool bandFrequencies = false;
    bool inMemory = false;
    korvex::ReadOptions read;
};

int Usage(Console& c, const std::string& message) {
    return Fail(c, kExitUsage, message + " (see vantrel report --help)");
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string Seconds(double t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.2f s", t);
    return buf;
}

bool ParseNumber(const std::string& text, double& v) {
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(v);
}

// Options as "--name value" or "--name=value"; --at may repeat, the others
// are given once.
bool Parse(const std::vector<std::string>& args, ReportArgs& r, std::string& error) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            r.help = true;
            continue;
        }
        if (a == "-q" || a == "--quiet") {
            r.quiet = true;
            continue;
        }
        if (a == "--new-page") {
            r.newPage = true;
            continue;
        }
        if (a == "--landscape") {
            r.landscape = true;
            continue;
        }
        if (a == "--strict") {
            r.strict = true;
            continue;
        }
        if (a == "--band-frequencies") {
            r.bandFrequencies = true;
            continue;
        }
        if (a == "--in-memory") {
            r.inMemory = true;
            continue;
        }
        if (SetReadFlag(a, r.read)) continue;
        auto slotOf = [&r](const std::string& n) -> std::string* {
            return n == "--data"       ? &r.data
                   : n == "--config"   ? &r.config
                   : n == "--settings" ? &r.settings
                   : n == "--rtf"      ? &r.rtf
                   : n == "--out"      ? &r.out
                   : n == "--program"  ? &r.program
                                       : nullptr;
        };
        auto known = [&](const std::string& n) {
            return slotOf(n) || n == "--at" || n == "--font-size" || IsReadOption(n);
        };
        std::string name, value;
        if (!TakeOption(args, i, known, name, value, error)) return false;
        if (IsReadOption(name)) {
            if (!SetReadOption(name, value, r.read, error)) return false;
            continue;
        }
        std::string* slot = slotOf(name);
        if (name == "--at") {
            double t = 0;
            if (!ParseNumber(value, t)) {
                error = "--at takes seconds, not " + value;
                return false;
            }
            r.at.push_back(t);
        } else if (name == "--font-size") {
            double n = 0;
            if (r.fontSize != 0) {
                error = name + " given twice";
                return false;
            }
            if (!ParseNumber(value, n) || n != std::floor(n) || n < 6 || n > 24) {
                error = "--font-size takes whole points from 6 to 24, not " + value;
                return false;
            }
            r.fontSize = static_cast<int>(n);
        } else {
            if (!slot->empty()) {
                error = name + " given twice";
                return false;
            }
            *slot = value;
        }
    }
    return true;
}

std::string Check(const ReportArgs& r) {
    if (r.data.empty()) return "report needs --data FILE";
    if (r.config.empty() && r.settings.empty())
        return "report needs --config FILE or --settings FILE";
    if (!r.config.empty() && !r.settings.empty())
        return "give either --config or --settings, not both";
    if (r.rtf.empty()) return "report needs --rtf REPORT.rtf";
    if (r.at.empty() && r.program.empty()) return "report needs --at SECONDS or --program NAME";
    if (!r.at.empty() && !r.program.empty()) return "give either --at or --program, not both";
    return {};
}

// Where the report goes must be writable before a long calculation starts.
bool CheckTarget(const std::string& path, std::string& why) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        why = "is a folder";
        return false;
    }
    const fs::path dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec)) {
        why = "is in a folder that does not exist";
        return false;
    }
    std::string cause;
    if (!dir.empty() && !CanWriteIn(dir.string(), cause)) {
        why = "cannot be written: " + cause;
        return false;
    }
    return true;
}

int EntriesAt(korvex::Host& host, CCfgProc& cfg, const std::vector<double>& times,
              const std::string& path, Console& c) {
    CReportTable table(host::App(plat::DispPtr(&host)), &cfg);
    table.RebuildRows();
    table.BindSignals();
    int written = 0;
    for (double t : times) {
        table.ValuesAtTime(t);
        if (!table.AppendEntry(t, path, {})) {
            PrintReportPath(c, path, written);
            return Fail(c, kExitOutput, std::string(repstr::kWriteFailed) + ": " + Quoted(path));
        }
        ++written;
        c.out << "Entry at " << Seconds(t) << '\n';
    }
    PrintReportPath(c, path, written);
    return kExitOk;
}

}  // namespace

void PrintReportPath(Console& c, const std::string& path, int entries) {
    c.out << "Report: " << path << " (" << entries << (entries == 1 ? " entry" : " entries")
          << ")\n"
          << std::flush;
}

int FillReport(korvex::Host& host, CCfgProc& cfg, const std::string& program,
               const std::string& path, Console& c, int& entries) {
    cfg.report.autoFile = path;
    CReportTable table(host::App(plat::DispPtr(&host)), &cfg);
    entries = 0;
    bool appendFailed = false;
    const bool ok = table.FillAutomatically(program, [&](const ModeEvent& e, bool done) {
        if (!done) {
            appendFailed = true;
            return;
        }
        ++entries;
        c.out << "Entry at " << Seconds(e.at) << ", mode " << e.mode->name << " (steady from "
              << Seconds(e.start) << ")\n";
    });
    if (ok && entries == 0)
        c.out << "No mode of program " << Quoted(program) << " was held long enough\n";
    c.out << std::flush;
    if (ok) return kExitOk;
    if (appendFailed)
        return Fail(c, kExitOutput,
                    std::string(repstr::kFillFailed) + ": cannot write " + Quoted(path));
    return Fail(c, kExitInput, repstr::kFillFailed);
}

int CommandReport(const std::vector<std::string>& args, const char* usage, Console& c) {
    ReportArgs r;
    std::string error;
    if (!Parse(args, r, error)) return Usage(c, error);
    if (r.help) {
        c.out << usage;
        return kExitOk;
    }
    if (std::string why = Check(r); !why.empty()) return Usage(c, why);

    std::error_code ec;
    const fs::path abs = fs::absolute(r.rtf, ec);
    const std::string rtf = ec ? r.rtf : abs.lexically_normal().string();
    if (std::string why; !CheckTarget(rtf, why))
        return Fail(c, kExitOutput, "report file " + Quoted(rtf) + " " + why);

    JobOptions o;
    o.dataPath = r.data;
    o.configPath = r.config;
    o.settingsPath = r.settings;
    o.outDir = r.out;
    o.strict = r.strict;
    o.bandFrequencies = r.bandFrequencies;
    o.read = r.read;
    o.read.mapSamples = !r.inMemory;
    o.beforeCalculation = [&r](korvex::Host& host, CCfgProc& cfg, Console& con) {
        // The layout options of the command line win over the settings file.
        if (r.newPage) cfg.report.bNewPage = true;
        if (r.landscape) cfg.report.bLandscape = true;
        if (r.fontSize != 0) cfg.report.fontSize = r.fontSize;
        if (r.program.empty()) return static_cast<int>(kExitOk);
        const ReportProgram* p = cfg.report.FindProgram(r.program);
        if (!p)
            return Fail(con, kExitInput,
                        std::string(repstr::kNoProgram) + ": " + Quoted(r.program));
        if (!p->IsComplete())
            return Fail(con, kExitInput, std::string(repstr::kNoModes) + ": " + Quoted(p->name));
        const host::App app{plat::DispPtr(&host)};
        if (!app.GetSignal("/Signals/" + cfg.srcFileKorvex + "/" + p->featureChannel))
            return Fail(con, kExitInput,
                        std::string(repstr::kFillFailed) + ": feature channel " +
                            Quoted(p->featureChannel) + " is not in the data set");
        return static_cast<int>(kExitOk);
    };
    o.afterCalculation = [&r, &rtf](korvex::Host& host, CCfgProc& cfg, Console& con) {
        if (r.program.empty()) return EntriesAt(host, cfg, r.at, rtf, con);
        int entries = 0;
        const int code = FillReport(host, cfg, r.program, rtf, con, entries);
        if (code == kExitOk || entries > 0) PrintReportPath(con, rtf, entries);
        return code;
    };
    c.progress = !r.quiet;
    return RunJob(o, c);
}

}  // namespace vantrel
