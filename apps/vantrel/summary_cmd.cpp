// A run's summary table, "vantrel summary" merging many, and what "vantrel trend" reads.

#include "apps/vantrel/summary_cmd.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "apps/vantrel/options.h"
#include "config/cfgproc.h"
#include "korvex/host.h"
#include "platform/autodate.h"
#include "platform/profile.h"
#include "processing/strings.h"
#include "report/modes.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

struct Span {
    std::string mode;
    double from, to;
};

std::string DateText(double date) {
    plat::DateTime t;
    if (date == 0.0 || !plat::FromAutomationDate(date, t)) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

// The start time of the data set: that of its first signal holding one.
std::string DataSetStart(const korvex::Host& host, const std::string& dataSet) {
    const plat::ObjPtr<korvex::FolderObj> folder = host.FindFolder("/Signals/" + dataSet);
    if (!folder) return {};
    for (const korvex::FolderObj::Entry& e : folder->Entries()) {
        if (e.kind != korvex::ItemSignal) continue;
        const auto* sig = static_cast<const korvex::SignalObj*>(e.object.get());
        const korvex::Lock lock(sig->Core()->mutex);
        if (sig->StartTimeLocked() != 0.0) return DateText(sig->StartTimeLocked());
    }
    return {};
}

// The steady runs of every complete program whose feature channel the data
// set holds.
std::vector<Span> ModeSpans(const korvex::Host& host, const CCfgProc& cfg) {
    std::vector<Span> spans;
    for (const ReportProgram& p : cfg.report.programs) {
        if (!p.IsComplete()) continue;
        const plat::ObjPtr<korvex::SignalObj> feature =
            host.FindSignal("/Signals/" + cfg.srcFileKorvex + "/" + p.featureChannel);
        if (!feature) continue;
        const std::vector<double> y = feature->Samples();
        const double x0 = feature->StartX(), dx = feature->StepX();
        size_t i = 0;
        const SampleSource next = [&](double& t, double& v) {
            if (i >= y.size()) return false;
            t = x0 + static_cast<double>(i) * dx;
            v = y[i++];
            return true;
        };
        for (const ModeSpan& s : SteadySpans(p.modes, next))
            spans.push_back({s.mode->name, s.from, s.to});
    }
    return spans;
}

struct Context {
    const CCfgProc& cfg;
    const std::vector<Span>& spans;
    SummaryRow base;  // file, data set, start time
    std::vector<SummaryRow>& rows;
};

void AddSignalRows(Context& ctx, const korvex::SignalObj& sig, const std::string& channel,
                   const std::string& folder, const std::string& name) {
    SummaryRow row = ctx.base;
    row.channel = channel;
    row.item = name;
    const std::string prefix = channel + ".";
    if (row.item.size() > prefix.size() && row.item.compare(0, prefix.size(), prefix) == 0)
        row.item.erase(0, prefix.size());
    row.folder = folder;
    row.unit = sig.Unit();
    bool zones = false;
    auto rec = ctx.cfg.channels.find(channel);
    const CCfgProcItem* item = ctx.cfg.FindItemByName(row.item);
    if (rec != ctx.cfg.channels.end() && rec->second && item) {
        auto opt = rec->second->signalOpts.find(item->id);
        if (opt != rec->second->signalOpts.end()) {
            row.alert = opt->second.alert;
            row.danger = opt->second.danger;
            row.machineClass = rec->second->machineClass;
            zones = ZonesApply(*item, opt->second, row.unit);
        }
    }
    const std::vector<double> y = sig.Samples();
    const double x0 = sig.StartX(), dx = sig.StepX();
    auto add = [&](const std::string& mode, double from, double to) {
        SummaryRow r = row;
        r.mode = mode;
        r.from = from;
        r.to = to;
        SummariseSpan(y, x0, dx, r);
        JudgeRow(r, zones);
        ctx.rows.push_back(std::move(r));
    };
    for (const Span& s : ctx.spans) add(s.mode, s.from, s.to);
    const double end = y.empty() ? x0 : x0 + static_cast<double>(y.size() - 1) * dx;
    add(kSummaryWholeRecording, x0, end);
}

void Walk(Context& ctx, const korvex::FolderObj& folder, const std::string& channel,
          const std::string& path) {
    for (const korvex::FolderObj::Entry& e : folder.Entries()) {
        if (e.kind == korvex::ItemFolder) {
            // Band borders are frequencies beside the levels, not levels.
            if (!channel.empty() && e.name + "/" == ordstr::kBandFrequencyFolder) continue;
            const auto* sub = static_cast<const korvex::FolderObj*>(e.object.get());
            if (channel.empty())
                Walk(ctx, *sub, e.name, {});
            else
                Walk(ctx, *sub, channel, path.empty() ? e.name : path + "/" + e.name);
            continue;
        }
        if (e.kind != korvex::ItemSignal || channel.empty()) continue;
        AddSignalRows(ctx, *static_cast<const korvex::SignalObj*>(e.object.get()), channel, path,
                      e.name);
    }
}

}  // namespace

std::vector<SummaryRow> BuildSummary(const korvex::Host& host, const CCfgProc& cfg,
                                     const std::string& resultFolder, const std::string& dataPath) {
    std::vector<SummaryRow> rows;
    const std::vector<Span> spans = ModeSpans(host, cfg);
    SummaryRow base;
    base.file = dataPath;
    base.dataSet = cfg.srcFileKorvex;
    base.startTime = DataSetStart(host, cfg.srcFileKorvex);
    Context ctx{cfg, spans, base, rows};
    if (const plat::ObjPtr<korvex::FolderObj> f = host.FindFolder(resultFolder))
        Walk(ctx, *f, {}, {});
    return rows;
}

std::vector<SummaryRow> FailedSummary(const std::string& dataPath, const std::string& reason) {
    SummaryRow r;
    r.file = dataPath;
    r.dataSet = fs::path(dataPath).stem().string();
    r.error = reason.empty() ? "failed" : reason;
    return {r};
}

int CommandSummary(const std::vector<std::string>& args, const char* usage, Console& c) {
    std::string out, log, error;
    std::vector<std::string> paths;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            c.out << usage;
            return kExitOk;
        }
        if (args[i].rfind("-", 0) != 0) {
            paths.push_back(args[i]);
            continue;
        }
        std::string name, value;
        auto known = [](const std::string& n) { return n == "--out" || n == "--log"; };
        if (!TakeOption(args, i, known, name, value, error)) break;
        std::string& slot = name == "--out" ? out : log;
        if (!slot.empty()) error = name + " given twice";
        slot = value;
    }
    if (error.empty() && out.empty()) error = "summary needs --out FILE.csv";
    if (error.empty() && paths.empty()) error = "summary needs one or more PATH";
    if (!error.empty()) return Fail(c, kExitUsage, error + " (see vantrel summary --help)");
    if (log.empty()) log = fs::path(out).replace_extension(".log").string();
    // A mistyped PATH would merge nothing from it, quietly.
    for (const std::string& path : paths)
        if (std::error_code ec; !fs::exists(path, ec))
            return Fail(c, kExitInput, "summary PATH \"" + path + "\" does not exist");

    MergeResult m;
    const bool merged = MergeSummaries(paths, out, m, error);
    std::string logText;
    for (const std::string& line : m.log) logText += line + "\n";
    if (!merged || !plat::WriteFileAtomic(log, logText, &error)) {
        return Fail(c, kExitOutput, "cannot write the summary: " + AsLine(error));
    }
    c.out << "Merged: " << out << " (" << m.rows << " rows from " << m.files << " summary files)\n";
    c.out << "Log:    " << log << " (" << m.failed << " failed or unreadable)\n" << std::flush;
    for (const std::string& line : m.log) c.err << "vantrel: warning: " << line << '\n';
    return kExitOk;
}

}  // namespace vantrel
