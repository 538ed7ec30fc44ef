#pragma once
// Fault-line cursor families of a rolling bearing over a spectrum: the cage
// (FTF), outer race (BPFO), inner race (BPFI) and rolling element (2 x BSF)
// lines with their harmonics and sidebands, from a bearing entered once per
// signal and the shaft frequency (the speed signal's at the cursor, else the
// one entered with the bearing).

#include <optional>
#include <string>
#include <vector>

#include "korvex/dsp/bearing.h"

namespace workbench {

struct FaultBearing {
    korvex::BearingGeometry geometry;
    double shaftHz = 0.0;  // used while the graph has no speed signal
    int harmonics = 3;     // 1..harmonics of each line
    int sidebands = 2;     // +-1..sidebands where the line has them
};

// The bearing entered for a signal (by its id), shared by every graph of it.
const FaultBearing* BearingOf(int signalId);
void SetBearingOf(int signalId, const std::optional<FaultBearing>& b);

enum class FaultFamily { Ftf, Bpfo, Bpfi, Bsf };

struct FaultMark {
    FaultFamily family = FaultFamily::Ftf;
    int harmonic = 1;  // of the family's line
    int sideband = 0;  // -sidebands..sidebands, 0 the harmonic itself
    double hz = 0.0;
    std::string label;  // "BPFO", "2×BPFO", ... (UTF-8; "" for a sideband)
};

// Every mark up to maxHz, family by family. Sidebands: at the shaft frequency
// around the race that turns, at the cage frequency around 2 x BSF's
// harmonics. Nothing for a geometry that is no bearing or no shaft speed.
std::vector<FaultMark> FaultMarks(const FaultBearing& b, double shaftHz, double maxHz);

}  // namespace workbench
