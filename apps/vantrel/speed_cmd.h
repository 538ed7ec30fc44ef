#pragma once
// "vantrel speed": the rotation frequency of a shaft from the spectrum of a
// vibration channel, written as a data file that a configuration can take
// as a revolution channel.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// args as VantrelMain gets them ("speed" first).
int CommandSpeed(const std::vector<std::string>& args, const char* usage, Console& c);

}  // namespace vantrel
