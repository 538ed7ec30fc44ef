#pragma once
// The vantrel command: "run" calculates a data file with a configuration,
// "demo" makes the bundled gearbox sample and calculates it.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// The process entry: arguments as main gets them, output on stdout and
// stderr (an in-place progress bar when stderr is a terminal).
int VantrelMain(int argc, char** argv);

// The same on given streams; args without the program name.
int VantrelMain(const std::vector<std::string>& args, Console& console);

// "vantrel demo": the sample, its configuration and the calculation below
// outDir. duration shortens the sample (seconds; the run-up still goes from
// 10 to 50 Hz).
int RunDemo(const std::string& outDir, double duration, Console& console);

}  // namespace vantrel
