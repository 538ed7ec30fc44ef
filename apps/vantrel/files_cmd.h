#pragma once
// "vantrel info FILE" lists what a data file holds, only reading it;
// "vantrel convert FILE OUT" writes it as ".quor", UFF 58, MAT or CSV files;
// "vantrel cache" shows, makes and removes the copies of long recordings.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// args[0] is the command word; usage is printed for --help.
int CommandInfo(const std::vector<std::string>& args, const char* usage, Console& console);
int CommandConvert(const std::vector<std::string>& args, const char* usage, Console& console);
// "vantrel cache FILE... [--make | --remove]": the copies long recordings in
// other formats are read from, made or removed.
int CommandCache(const std::vector<std::string>& args, const char* usage, Console& console);

}  // namespace vantrel
