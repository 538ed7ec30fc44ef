#pragma once
// "vantrel report": a calculation followed by report entries appended to an
// RTF file, at given times or one per steady mode of a test program.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// args as VantrelMain gets them ("report" first); usage is printed for --help.
int CommandReport(const std::vector<std::string>& args, const char* usage, Console& console);

// The automatic fill of one program into path, with one line per entry on
// console.out; entries gets their number. Returns an exit code.
int FillReport(korvex::Host& host, CCfgProc& cfg, const std::string& program,
               const std::string& path, Console& console, int& entries);
// The closing line: where the entries went.
void PrintReportPath(Console& console, const std::string& path, int entries);

}  // namespace vantrel
