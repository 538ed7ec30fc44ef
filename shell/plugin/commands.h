#pragma once
// The plug-in object's work that needs no window: making the source data
// available, finding the signals of a calculation and putting them into the
// host's graph windows.

#include <cstdint>
#include <string>

#include "config/cfgproc.h"
#include "shell/host.h"

namespace vantrel {

// The channel's source folder is in the host (RefreshChannels); else the
// source file is loaded through the host and its folder taken as the source.
// True when the configuration has the host's channels afterwards.
bool EnsureSourceLoaded(const host::App& app, CCfgProc& cfg);

// A graph number as a graph index: numbers 1 to 4, smaller ones the first,
// larger ones the fourth.
int GraphIndex(int32_t graphNumber);

// The host signal of a channel: kind 1 or 3 the source signal, kind 2 the
// computed tacho, kind 0 the result of the frequency item itemId. A null
// signal when the name is empty, the item is unknown or the object at the
// path is not a signal.
host::Signal FindChannelSignal(const host::App& app, const CCfgProc& cfg,
                               const std::string& channel, int kind, int32_t itemId);

// What BuildResultGraphs did, for the log and the checks.
struct GraphsBuilt {
    int window = 0;  // 0: no window was needed
    int signalsAdded = 0;
};
// The result signals of the last calculation in one new graph window: the
// channels shown themselves, then their shown frequency items, each on the
// graph of its number; a refresh after each pass that added something, and
// the host's views updated in any case.
GraphsBuilt BuildResultGraphs(const host::App& app, const CCfgProc& cfg);

}  // namespace vantrel
