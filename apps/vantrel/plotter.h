#pragma once
// The programs beside vantrel that draw a command's PNG offscreen with Qt
// (vantrel-trend, vantrel-envelope, vantrel-orders): found next to this
// program's executable, started with the command's arguments, waited for.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// The path of the plotter called name beside this program; empty with error
// when the build has none (it was made without the user interface).
std::string FindPlotter(const char* name, std::string& error);

// Where a plotter draws the picture before it renames it to png.
inline std::string PlotterTempPng(const std::string& png) {
    return png + ".tmp.png";
}

// Runs the plotter with args after the command word and waits; png is the
// picture it writes, whose temporary goes when Ctrl+C stops it. The plotter's
// exit code; kExitCalcFailed after a stop, kExitOutput when it cannot start
// or dies.
int RunPlotter(const std::string& plotter, const std::vector<std::string>& args,
               const std::string& png, Console& c);

}  // namespace vantrel
