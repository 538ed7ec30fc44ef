#pragma once
// "vantrel trend": one band of a merged summary over the recordings. The
// CSV is written here; the PNG by the plotter program beside vantrel
// (vantrel-trend, built with the user interface), which shares this parsing.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"
#include "report/trend.h"

namespace vantrel {

struct TrendArgs {
    std::string summary, png, csv;
    std::string lang;  // the picture's words: "ru", "en"; empty: the locale's
    TrendQuery query;
    bool help = false;
};

// args start after the command word.
bool ParseTrendArgs(const std::vector<std::string>& args, TrendArgs& a, std::string& error);
// Reads the summary and picks the points; false with a message.
bool LoadTrend(const TrendArgs& a, Trend& trend, std::string& error);

int CommandTrend(const std::vector<std::string>& args, const char* usage, Console& c);

}  // namespace vantrel
