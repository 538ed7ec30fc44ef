// One band of a merged summary over the recordings, with its limits and zones, as CSV.

#include "report/trend.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "platform/autodate.h"
#include "platform/numtext.h"

namespace {

bool PickValue(const SummaryRow& r, const std::string& which, double& v) {
    if (which == "max")
        v = r.max;
    else if (which == "mean")
        v = r.mean;
    else if (which == "min")
        v = r.min;
    else if (which == "last")
        v = r.last;
    else
        return false;
    return true;
}

void AppendNumber(std::string& out, double v) {
    if (!std::isnan(v)) out += plat::ShortestText(v);
}

}  // namespace

double DateFromText(const std::string& text) {
    // "YYYY-MM-DD hh:mm:ss[.fff]", as run writes it; a summary edited by
    // hand may carry fewer or more digits of the second's fraction.
    plat::DateTime t;
    const char* p = text.data();
    const char* const end = p + text.size();
    int* const fields[] = {&t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second};
    const char separators[] = "-- ::";
    for (size_t k = 0; k < std::size(fields); ++k) {
        if (k > 0 && (p == end || *p++ != separators[k - 1])) return SummaryRow::kNaN;
        const auto r = std::from_chars(p, end, *fields[k]);
        if (r.ec != std::errc() || r.ptr - p > 4) return SummaryRow::kNaN;
        p = r.ptr;
    }
    t.millisecond = 0;
    if (p != end && *p == '.') {
        int scale = 100;
        for (++p; p != end && *p >= '0' && *p <= '9'; ++p, scale /= 10)
            t.millisecond += (*p - '0') * scale;
    }
    double date = 0.0;
    return p == end && plat::ToAutomationDate(t, date) ? date : SummaryRow::kNaN;
}

bool MakeTrend(const std::vector<SummaryRow>& rows, const TrendQuery& q, Trend& trend,
               std::string& error) {
    trend = Trend{};
    trend.query = q;
    double probe = 0.0;
    if (!PickValue(SummaryRow{}, q.value, probe)) {
        error = "--value takes min, mean, max or last, not " + q.value;
        return false;
    }
    for (const SummaryRow& r : rows) {
        if (r.channel != q.channel || r.item != q.item || r.mode != q.mode || !r.error.empty())
            continue;
        TrendPoint p;
        p.dataSet = r.dataSet;
        p.startTime = r.startTime;
        p.from = std::isnan(r.from) ? 0.0 : r.from;
        p.date = DateFromText(r.startTime) + p.from / 86400.0;
        PickValue(r, q.value, p.value);
        p.alert = r.alert;
        p.danger = r.danger;
        // The summary says whether the class judges this band at all.
        if (r.zone != Zone::None) {
            trend.machineClass = r.machineClass;
            p.zone = ZoneOf(r.machineClass, p.value);
        }
        p.state = CombinedState(LimitStateOf(p.value, p.alert, p.danger), p.zone);
        if (trend.unit.empty()) trend.unit = r.unit;
        trend.dated = trend.dated && !std::isnan(p.date);
        trend.points.push_back(std::move(p));
    }
    if (trend.points.empty()) {
        error = "no row of channel \"" + q.channel + "\", item \"" + q.item + "\" and mode \"" +
                q.mode + "\" in the summary";
        return false;
    }
    if (trend.dated)
        std::stable_sort(trend.points.begin(), trend.points.end(),
                         [](const TrendPoint& a, const TrendPoint& b) { return a.date < b.date; });
    return true;
}

TrendChoices ChooseTrend(const std::vector<SummaryRow>& rows, const TrendQuery& wanted) {
    TrendChoices c;
    c.query = wanted;
    auto add = [](std::vector<std::string>& list, const std::string& v) {
        if (std::find(list.begin(), list.end(), v) == list.end()) list.push_back(v);
    };
    auto settle = [](const std::vector<std::string>& list, std::string& choice) {
        if (std::find(list.begin(), list.end(), choice) == list.end())
            choice = list.empty() ? std::string() : list.front();
    };
    for (const SummaryRow& r : rows)
        if (r.error.empty()) add(c.channels, r.channel);
    settle(c.channels, c.query.channel);
    for (const SummaryRow& r : rows)
        if (r.error.empty() && r.channel == c.query.channel) add(c.items, r.item);
    settle(c.items, c.query.item);
    c.modes.push_back(kSummaryWholeRecording);
    bool whole = false;
    for (const SummaryRow& r : rows)
        if (r.error.empty() && r.channel == c.query.channel && r.item == c.query.item) {
            whole = whole || r.mode == kSummaryWholeRecording;
            add(c.modes, r.mode);
        }
    if (!whole) c.modes.erase(c.modes.begin());
    settle(c.modes, c.query.mode);
    return c;
}

std::string TrendCsv(const Trend& trend) {
    std::string out = "data_set,start_time,from_s,value,alert,danger,zone,state\n";
    for (const TrendPoint& p : trend.points) {
        const bool quote = p.dataSet.find_first_of(",\"\r\n") != std::string::npos;
        if (quote) {
            out += '"';
            for (char ch : p.dataSet) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
            out += '"';
        } else {
            out += p.dataSet;
        }
        out += ',' + p.startTime + ',';
        AppendNumber(out, p.from);
        out += ',';
        AppendNumber(out, p.value);
        out += ',';
        AppendNumber(out, p.alert);
        out += ',';
        AppendNumber(out, p.danger);
        out += ',';
        out += ZoneLetter(p.zone);
        out += ',';
        out += LimitStateText(p.state);
        out += '\n';
    }
    return out;
}
