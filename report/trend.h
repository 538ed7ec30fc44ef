#pragma once
// One band of a merged summary over the recordings: the points a trend
// plot draws, with the limits and zones that judge them.

#include <string>
#include <vector>

#include "report/summary.h"

struct TrendQuery {
    std::string channel, item;
    std::string mode = kSummaryWholeRecording;
    std::string value = "max";  // "min", "mean", "max" or "last"
};

struct TrendPoint {
    std::string dataSet, startTime;
    double from = 0.0;               // seconds from the start of the recording
    double date = SummaryRow::kNaN;  // automation date of the point; NaN without a start time
    double value = SummaryRow::kNaN;
    double alert = SummaryRow::kNaN, danger = SummaryRow::kNaN;
    Zone zone = Zone::None;
    LimitState state = LimitState::None;
};

struct Trend {
    TrendQuery query;
    std::string unit;
    MachineClass machineClass = MachineClass::None;  // zones drawn when not None
    std::vector<TrendPoint> points;                  // by date (recording order without dates)
    bool dated = true;                               // every point has a date
};

// What a trend view offers over merged rows, in the order the rows hold
// them: every channel, the items of the chosen channel and the modes of its
// chosen item ("whole recording" first). A choice that is not offered is
// replaced by the first that is, so a view keeps the user's item and mode
// across channels that have them.
struct TrendChoices {
    std::vector<std::string> channels, items, modes;
    TrendQuery query;  // the choices made, its value kept
};
TrendChoices ChooseTrend(const std::vector<SummaryRow>& rows, const TrendQuery& wanted);

// False with a message when the query matches no row or names an unknown value.
bool MakeTrend(const std::vector<SummaryRow>& rows, const TrendQuery& query, Trend& trend,
               std::string& error);
// "data_set,start_time,from_s,value,alert,danger,zone,state" and a line per point.
std::string TrendCsv(const Trend& trend);
// "yyyy-mm-dd hh:mm:ss[.mmm]" as an automation date; NaN when it does not read.
double DateFromText(const std::string& text);
