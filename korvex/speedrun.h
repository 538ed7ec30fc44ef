#pragma once
// Running "Обороты по спектру" on a signal of the tree and filing its result,
// as the workbench does when the operator is started from the tree. The
// search runs without the host lock, on a snapshot of the signal.

#include <atomic>
#include <string>
#include <vector>

#include "korvex/dsp/spectralmap.h"
#include "korvex/host.h"

namespace korvex {

struct SpeedRun {
    bool ok = false;
    std::string message;             // on failure: the signal and what went wrong
    std::vector<std::string> notes;  // warnings on success
    std::string path;                // where the speed signal was filed
};

// The operator's parameter set as it stands (for the calling thread).
OperatorParams SpeedOperatorKeys(Host& host);

// Keeps keys as the operator's set, runs the search on the signal with that
// id and files its speed in Hz beside it as "<name>.speed".
SpeedRun RunSpeedFromSpectrum(Host& host, int signalId, const OperatorParams& keys,
                              const MapProgress& progress = {},
                              const std::atomic<bool>* stop = nullptr);

}  // namespace korvex
