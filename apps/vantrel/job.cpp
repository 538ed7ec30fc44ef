// One calculation from the command line: files loaded, the engine run, the results exported.

#include "apps/vantrel/job.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>

#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/outdir.h"
#include "apps/vantrel/progress.h"
#include "apps/vantrel/read_options.h"
#include "apps/vantrel/summary_cmd.h"
#include "apps/vantrel/tacho_check.h"
#include "config/cfgfile.h"
#include "config/cfgproc.h"
#include "config/validate.h"
#include "korvex/host.h"
#include "platform/mapped_file.h"
#include "platform/profile.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

// Reads a file for the encoding checks; a file that is not a plain file or
// is larger than any configuration counts as unreadable here.
bool ReadSmallFile(const std::string& path, std::string& bytes) {
    constexpr std::uintmax_t kLimit = 64u << 20;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kLimit || ec) return false;
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// With --strict a warning is an error: the job ends before it writes.
int StrictStop(const JobOptions& o, Console& c) {
    if (!o.strict || c.warnings == 0) return kExitOk;
    return Fail(c, kExitInput,
                std::to_string(c.warnings) + (c.warnings == 1 ? " warning" : " warnings") +
                    " with --strict; stopped");
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// A path given on the command line, made absolute so that nothing later
// depends on the current folder.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

bool IsReadableFile(const std::string& path, std::string& why) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) {
        why = "not found";
        return false;
    }
    if (fs::is_directory(st)) {
        why = "is a folder, not a file";
        return false;
    }
    return true;
}

std::string SectionKey(int i) {
    return "section" + std::to_string(i);
}

// Section files named by a relative path are taken relative to the
// configuration file's folder, so a configuration and its sections can be
// moved or shipped together. The file itself is not changed.
std::vector<std::string> AnchorSectionPaths(plat::ProfileFile& ini, const fs::path& cfgDir) {
    std::vector<std::string> listed;
    for (int i : ini.CountedKeys("test", "nSections", "section")) {
        std::string v = ini.GetString("test", SectionKey(i));
        if (v.empty()) continue;
        fs::path p(v);
        if (p.is_relative()) {
            v = (cfgDir / p).lexically_normal().string();
            ini.WriteString("test", SectionKey(i), v);
        }
        listed.push_back(v);
    }
    return listed;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// What the readers passed over quietly: text in the wrong encoding, values
// that are not of their key's type, options of items the frequency base
// lacks. settings is the settings file when the configuration came from
// another file.
void WarnLenientReads(const CCfgProc& cfg, const plat::ProfileFile& ini, const std::string& iniPath,
                      const plat::ProfileFile* settings, const std::string& settingsPath,
                      Console& c) {
    auto checkIni = [&c](const plat::ProfileFile& file, const std::string& path) {
        std::string bytes;
        if (ReadSmallFile(path, bytes))
            if (std::string w = CheckIniEncoding(bytes, path); !w.empty()) Warn(c, w);
        for (const std::string& w : CheckConfigValues(file, path)) Warn(c, w);
    };
    if (settings) checkIni(*settings, settingsPath);
    checkIni(ini, iniPath);
    for (const auto& section : cfg.sections) {
        std::string bytes;
        if (ReadSmallFile(section->path, bytes))
            if (std::string w = CheckJsonEncoding(bytes, section->path); !w.empty()) Warn(c, w);
    }
    for (const std::string& w : CheckChannelItems(ini, cfg, iniPath)) Warn(c, w);
}

// Reads the configuration the way the plug-in does (a settings file names a
// separate configuration file or holds the configuration itself), with one
// addition: a relative path inside a file is taken relative to that file's
// folder.
bool ReadConfiguration(CCfgProc& cfg, const JobOptions& o, Console& c, std::string& error) {
    // Start from the built-in defaults: a file without "defOptFFT" must not
    // inherit the records of an earlier run in the same process.
    DefaultFftOpt() = CfgFftOpt{};
    DefaultTahoOpt() = CfgTahoOpt{};

    std::string sourcePath = o.configPath;
    plat::ProfileFile settings;
    if (!o.settingsPath.empty()) {
        if (!settings.Load(o.settingsPath, &error)) return false;
        // The "general" and "reportDlg" keys as the plug-in reads them; the
        // configuration is read again below, its paths taken relative to
        // the files that hold them.
        LoadSettings(cfg, o.settingsPath);
        sourcePath = o.settingsPath;
        if (std::string named = settings.GetString("general", "cfgFile"); !named.empty()) {
            if (fs::path(named).is_relative())
                named =
                    (fs::path(o.settingsPath).parent_path() / named).lexically_normal().string();
            cfg.cfgFile = named;
            if (FileExists(named)) sourcePath = named;
        }
    }
    plat::ProfileFile loaded;
    const bool separate = sourcePath != o.settingsPath;
    if (separate && !loaded.Load(sourcePath, &error)) return false;
    plat::ProfileFile& ini = separate ? loaded : settings;

    const std::vector<std::string> listed =
        AnchorSectionPaths(ini, fs::path(sourcePath).parent_path());
    ReadConfig(cfg, ini);
    cfg.report.LoadPrograms(ini);
    if (o.settingsPath.empty()) cfg.cfgFile = o.configPath;

    std::set<std::string> kept;
    for (const auto& s : cfg.sections) kept.insert(s->path);
    for (const std::string& p : listed)
        if (!kept.count(p))
            Warn(c,
                 "section file " + Quoted(p) + " is missing or not a frequency-base file; skipped");
    WarnLenientReads(cfg, ini, separate ? sourcePath : o.settingsPath,
                     separate && !o.settingsPath.empty() ? &settings : nullptr, o.settingsPath, c);
    return true;
}

// Channels the configuration processes but the data set does not hold.
void WarnMissingChannels(const CCfgProc& cfg, Console& c) {
    const std::set<std::string> present(cfg.channelNames.begin(), cfg.channelNames.end());
    for (const auto& [name, record] : cfg.channels) {
        if (!record || present.count(name)) continue;
        const bool used = record->type == CfgChannelTacho || record->type == CfgChannelRevolution ||
                          (record->type == CfgChannelMeasuring && record->check);
        if (used)
            Warn(c, "channel " + Quoted(name) + " of the configuration is not in the data set");
    }
}

// Runs the engine on its worker thread; Ctrl+C meanwhile stops it before
// its next block.
int Calculate(COrdProcessing& engine, Console& c) {
    ProgressPrinter progress(c.err, c.errTty);
    if (c.progress) engine.SetNotify(&progress);
    if (!engine.Start()) return -1;
    WatchEngine(&engine);
    engine.Wait();
    WatchEngine(nullptr);
    engine.SetNotify(nullptr);
    progress.Finish();
    return engine.ResultCode();
}

// Points no block measured hold NaN; the statistics are of the measured
// ones, and a signal without any shows none.
void Summarise(const std::vector<double>& y, ResultRow& row) {
    row.points = y.size();
    row.min = row.max = row.last = std::numeric_limits<double>::quiet_NaN();
    for (double v : y) {
        if (std::isnan(v)) continue;
        if (!(v >= row.min)) row.min = v;  // also the first measured point
        if (!(v <= row.max)) row.max = v;
        row.last = v;
    }
}

void CollectRows(const korvex::FolderObj& folder, const std::string& channel,
                 std::vector<ResultRow>& rows) {
    for (const korvex::FolderObj::Entry& e : folder.Entries()) {
        if (e.kind == korvex::ItemFolder) {
            // Band borders are frequencies beside the levels, not levels.
            if (!channel.empty() && e.name + "/" == ordstr::kBandFrequencyFolder) continue;
            const auto* sub = static_cast<const korvex::FolderObj*>(e.object.get());
            CollectRows(*sub, channel.empty() ? e.name : channel, rows);
            continue;
        }
        if (e.kind != korvex::ItemSignal || channel.empty()) continue;
        const auto* sig = static_cast<const korvex::SignalObj*>(e.object.get());
        ResultRow row;
        row.channel = channel;
        row.band = e.name;
        const std::string prefix = channel + ".";
        if (row.band.size() > prefix.size() && row.band.compare(0, prefix.size(), prefix) == 0)
            row.band.erase(0, prefix.size());
        row.unit = sig->Unit();
        Summarise(sig->Samples(), row);
        rows.push_back(std::move(row));
    }
}

size_t Width(const std::string& s) {
    size_t n = 0;
    for (unsigned char ch : s)
        if ((ch & 0xC0) != 0x80) ++n;  // count characters, not UTF-8 bytes
    return n;
}

std::string Pad(const std::string& s, size_t width) {
    std::string r = s;
    for (size_t w = Width(s); w < width; ++w) r += ' ';
    return r;
}

std::string Number(double v) {
    if (std::isnan(v)) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

}  // namespace

std::string AsLine(const std::string& message) {
    std::string line = message;
    if (line.size() > 1 && line[0] >= 'A' && line[0] <= 'Z' && line[1] >= 'a' && line[1] <= 'z')
        line[0] = static_cast<char>(line[0] - 'A' + 'a');
    if (!line.empty() && line.back() == '.') line.pop_back();
    return line;
}

int Fail(Console& c, int code, const std::string& message) {
    c.lastError = AsLine(message);
    c.err << "vantrel: " << c.lastError << '\n' << std::flush;
    return code;
}

void Warn(Console& c, const std::string& text) {
    c.err << "vantrel: warning: " << AsLine(text) << '\n' << std::flush;
    ++c.warnings;
}

void Note(Console& c, const std::string& text) {
    c.err << "vantrel: note: " << AsLine(text) << '\n' << std::flush;
}

void PrintResultTable(std::ostream& out, const std::vector<ResultRow>& rows) {
    const std::vector<std::string> head{"Channel", "Band", "Unit", "Min", "Max", "Last"};
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const ResultRow& r : rows)
        cells.push_back({r.channel, r.band, r.unit, Number(r.min), Number(r.max), Number(r.last)});
    std::vector<size_t> widths;
    for (const std::string& h : head) widths.push_back(Width(h));
    for (const auto& line : cells)
        for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], Width(line[i]));

    auto print = [&](const std::vector<std::string>& line) {
        std::string text;
        for (size_t i = 0; i < line.size(); ++i) {
            const bool numeric = i >= 3;
            std::string cell = numeric ? std::string(widths[i] - Width(line[i]), ' ') + line[i]
                                       : Pad(line[i], widths[i]);
            text += cell;
            if (i + 1 < line.size()) text += "  ";
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    };
    print(head);
    std::vector<std::string> rule;
    for (size_t w : widths) rule.push_back(std::string(w, '-'));
    print(rule);
    std::string previous;
    for (size_t i = 0; i < cells.size(); ++i) {
        // The channel is named on its first row only.
        std::vector<std::string> line = cells[i];
        if (line[0] == previous) line[0].clear();
        previous = cells[i][0];
        print(line);
    }
}

namespace {

// The --summary file's folder is made when missing, as --out's is.
bool WriteSummaryFile(const std::string& path, const std::vector<SummaryRow>& rows,
                      std::string& error) {
    std::error_code ec;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    return WriteSummary(path, rows, error);
}

// The summary beside the results and where --summary asks; none is left
// beside a run that filed nothing.
int WriteSummaries(const korvex::Host& host, const CCfgProc& cfg, const std::string& resultFolder,
                   const JobOptions& o, bool nothing, JobOutputs& written, Console& c) {
    const std::string beside = (fs::path(o.outDir) / kSummaryFileName).string();
    std::error_code ec;
    if (nothing) {
        fs::remove(beside, ec);
        if (o.summaryPath.empty()) return kExitOk;
    }
    const std::vector<SummaryRow> rows = BuildSummary(host, cfg, resultFolder, o.dataPath);
    std::string error;
    if (!nothing) {
        if (!WriteSummary(beside, rows, error))
            return Fail(c, kExitOutput, "cannot write the summary: " + AsLine(error));
        written.summaryPath = beside;
    }
    if (!o.summaryPath.empty() && !WriteSummaryFile(o.summaryPath, rows, error))
        return Fail(c, kExitOutput, "cannot write the summary: " + AsLine(error));
    return kExitOk;
}

int RunJobOnce(const JobOptions& given, Console& c, JobOutputs* outputs);

}  // namespace

int RunJob(const JobOptions& given, Console& c, JobOutputs* outputs) {
    c.lastError.clear();
    const int code = RunJobOnce(given, c, outputs);
    // A survey merges what each run left: a failed run's summary says why.
    // A run stopped by the user is no finding of the survey.
    if (code != kExitOk && code != kExitUsage && !given.summaryPath.empty() && !Interrupted()) {
        std::string error;
        if (!WriteSummaryFile(given.summaryPath,
                              FailedSummary(Absolute(given.dataPath), c.lastError), error))
            c.err << "vantrel: cannot write the summary: " << AsLine(error) << '\n' << std::flush;
    }
    return code;
}

namespace {

int RunJobOnce(const JobOptions& given, Console& c, JobOutputs* outputs) {
    JobOptions o = given;
    o.dataPath = Absolute(o.dataPath);
    if (!o.configPath.empty()) o.configPath = Absolute(o.configPath);
    if (!o.settingsPath.empty()) o.settingsPath = Absolute(o.settingsPath);
    if (!o.outDir.empty()) o.outDir = Absolute(o.outDir);

    std::string why;
    if (!IsReadableFile(o.dataPath, why))
        return Fail(c, kExitInput, "data file " + Quoted(o.dataPath) + " " + why);
    const std::string& cfgPath = o.settingsPath.empty() ? o.configPath : o.settingsPath;
    const char* cfgWhat = o.settingsPath.empty() ? "configuration file " : "settings file ";
    if (!IsReadableFile(cfgPath, why))
        return Fail(c, kExitInput, cfgWhat + Quoted(cfgPath) + " " + why);

    // Found out now rather than after a long calculation.
    if (std::error_code ec;
        !o.outDir.empty() && fs::exists(o.outDir, ec) && !fs::is_directory(o.outDir, ec))
        return Fail(c, kExitOutput, "output folder " + Quoted(o.outDir) + " is a file");
    if (!o.outDir.empty() && !CanWriteIn(o.outDir, why))
        return Fail(c, kExitOutput, "output folder " + Quoted(o.outDir) + ": " + why);
    if (!o.summaryPath.empty() && !CanWriteIn(fs::path(Absolute(o.summaryPath)).parent_path(), why))
        return Fail(c, kExitOutput, "summary " + Quoted(o.summaryPath) + ": " + why);

    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    std::string message;
    korvex::ReadOptions read = o.read;
    read.progress = CopyProgress(c.err, o.dataPath, !c.progress);
    plat::ObjPtr<korvex::FolderObj> dataFolder = host->LoadDataFile(o.dataPath, read, &message);
    if (!dataFolder && Interrupted()) return StoppedByUser(c);
    if (!dataFolder)
        return Fail(c, kExitInput,
                    message.empty() ? "cannot read data file " + Quoted(o.dataPath)
                                    : ReadFailure(message, host->LastLoadNeedsRate()));
    // What the reader skipped, dropped or fell back to (no copy written).
    for (const std::string& note : host->LastLoadNotes())
        c.err << "vantrel: note: " << note << '\n';

    CCfgProc cfg;
    std::string error;
    if (!ReadConfiguration(cfg, o, c, error))
        return Fail(
            c, kExitInput,
            error.empty() ? std::string("cannot read ") + cfgWhat + Quoted(cfgPath) : error);

    // The loaded data set is the source, whatever a settings file named.
    const host::App app{plat::DispPtr(host)};
    cfg.srcFileKorvex = dataFolder->FolderName();
    cfg.srcFileDir = o.dataPath;
    cfg.dstDir = o.outDir;
    cfg.bandFrequencies = cfg.bandFrequencies || o.bandFrequencies;
    if (!cfg.RefreshChannels(&app, cfg.srcFileKorvex) || cfg.channelNames.empty()) {
        // A logger's file (TDMS) files its channels in a group: with one
        // group, its folder is the data set calculated.
        std::vector<std::string> groups;
        for (const korvex::FolderObj::Entry& e : dataFolder->Entries())
            if (e.kind == korvex::ItemFolder) groups.push_back(e.name);
        if (groups.size() != 1 || !cfg.RefreshChannels(&app, cfg.srcFileKorvex + "/" + groups[0]) ||
            cfg.channelNames.empty())
            return Fail(c, kExitInput,
                        "data file " + Quoted(o.dataPath) +
                            (groups.size() > 1 ? " holds its signals in several groups; "
                                                 "calculate one group's file"
                                               : " holds no signals"));
        cfg.srcFileKorvex += "/" + groups[0];
        Note(c, "the signals of group " + Quoted(groups[0]) + " are calculated");
    }
    WarnMissingChannels(cfg, c);
    if (const int stop = StrictStop(o, c); stop != kExitOk) return stop;
    cfg.lastResultFolder.clear();
    if (o.beforeCalculation)
        if (const int step = o.beforeCalculation(*host, cfg, c); step != kExitOk) return step;

    COrdProcessing engine(app, &cfg);
    engine.SetJobs(
        o.jobs > 0 ? o.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    const int code = Calculate(engine, c);
    // What the host's operators repaired on the way (tacho pulses, ...).
    for (const std::string& note : host->TakeOperatorNotes()) Note(c, note);
    c.warnings += WarnTachoWithoutEdges(*host, cfg, c.err);
    // A recording read where it lies that was cut shorter meanwhile read
    // zeros: nothing computed from it may be written.
    for (const std::string& file : plat::MappedFile::DamagedFiles())
        return Fail(c, kExitInput,
                    "data file " + Quoted(file) +
                        " was cut shorter on disk while it was read; nothing was written");
    if (code == OrdResultStopped || Interrupted()) return StoppedByUser(c);
    if (code != OrdResultOk || cfg.lastResultFolder.empty()) {
        Fail(c, kExitCalcFailed, OrdResultText(code));
        return kExitCalcFailed;
    }
    const std::string resultFolder = cfg.lastResultFolder;
    c.out << OrdResultText(code) << '\n' << "Result folder: " << resultFolder << "\n\n";

    std::vector<ResultRow> rows;
    if (plat::ObjPtr<korvex::FolderObj> f = host->FindFolder(resultFolder))
        CollectRows(*f, {}, rows);
    PrintResultTable(c.out, rows);
    c.out << std::flush;
    // A calculation can succeed and file nothing: no checked channel has an
    // enabled item, or every source is shorter than one spectrum block.
    if (rows.empty())
        Warn(c,
             "the calculation filed no result signals (no enabled item on a checked "
             "measuring channel, or sources shorter than one spectrum block)");
    if (const int stop = StrictStop(o, c); stop != kExitOk) return stop;
    if (o.outDir.empty()) return o.afterCalculation ? o.afterCalculation(*host, cfg, c) : kExitOk;

    std::error_code ec;
    fs::create_directories(o.outDir, ec);
    if (ec) return Fail(c, kExitOutput, "cannot create " + Quoted(o.outDir) + ": " + ec.message());
    JobOutputs written;
    if (!WriteResultGeneration(*host, resultFolder, !rows.empty(), o.outDir, written, message))
        return Interrupted() ? StoppedByUser(c)
                             : Fail(c, kExitOutput, "cannot write results: " + message);
    if (const int s = WriteSummaries(*host, cfg, resultFolder, o, rows.empty(), written, c);
        s != kExitOk)
        return Interrupted() ? StoppedByUser(c) : s;

    if (rows.empty()) {
        c.out << "\nWritten: nothing (" << o.outDir << " holds no results)\n" << std::flush;
    } else {
        c.out << "\nWritten:\n"
              << "  " << written.quorPath << '\n'
              << "  " << written.uffPath << '\n'
              << "  " << written.matPath << '\n'
              << "  " << written.csvDir << "/ (" << written.csvFiles << " CSV files)\n"
              << "  " << written.summaryPath << '\n';
        if (!o.summaryPath.empty()) c.out << "  " << o.summaryPath << '\n';
        c.out << std::flush;
    }
    if (outputs) *outputs = written;
    return o.afterCalculation ? o.afterCalculation(*host, cfg, c) : kExitOk;
}

}  // namespace

}  // namespace vantrel
