#pragma once
// The summary table of a run ("vantrel run --summary"), the merge of many
// ("vantrel summary") and the trend of one band over them ("vantrel trend").

#include <string>
#include <vector>

#include "apps/vantrel/job.h"
#include "report/summary.h"

class CCfgProc;
namespace korvex {
class Host;
}

namespace vantrel {

// One row per result signal and mode: every steady run of the complete
// test programs' modes found on their feature channels, and the whole
// recording.
std::vector<SummaryRow> BuildSummary(const korvex::Host& host, const CCfgProc& cfg,
                                     const std::string& resultFolder, const std::string& dataPath);

// The summary of a recording that failed: one row saying why.
std::vector<SummaryRow> FailedSummary(const std::string& dataPath, const std::string& reason);

int CommandSummary(const std::vector<std::string>& args, const char* usage, Console& c);

}  // namespace vantrel
