// "vantrel trend": one band of a merged summary as CSV, and its picture by vantrel-trend.

#include "apps/vantrel/trend_cmd.h"

#include <map>

#include "apps/vantrel/options.h"
#include "apps/vantrel/plotter.h"
#include "platform/profile.h"

namespace vantrel {

namespace {

constexpr char kPlotter[] = "vantrel-trend";

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
    if (!a.png.empty() && (plotter = FindPlotter(kPlotter, error)).empty())
        return Fail(c, kExitOutput, error + "; --csv works without it");
    if (!a.csv.empty()) {
        if (!plat::WriteFileAtomic(a.csv, TrendCsv(trend), &error))
            return Fail(c, kExitOutput, "cannot write \"" + a.csv + "\": " + error);
        c.out << "Written: " << a.csv << " (" << trend.points.size() << " points)\n";
    }
    return a.png.empty() ? kExitOk : RunPlotter(plotter, args, a.png, c);
}

}  // namespace vantrel
