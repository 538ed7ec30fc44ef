#pragma once
// Rolling-bearing fault frequencies from the geometry, and the reading of an
// envelope spectrum at them: each fault line's peak (within the slip of the
// rolling elements), its height over the local noise floor, its harmonics and
// sidebands, and a verdict naming the fault whose evidence is clear, or none.

#include <optional>
#include <string>
#include <vector>

#include "korvex/dsp/bearing_envelope.h"

namespace korvex {

struct BearingGeometry {
    int balls = 0;
    double ballDiameter = 0.0;   // d, any length unit
    double pitchDiameter = 0.0;  // D, the same unit
    double angleDeg = 0.0;       // contact angle
    bool outerRotates = false;   // the inner ring stands instead of the outer
};

// Multiples of the frequency of the turning ring (the shaft's).
struct BearingOrders {
    double ftf = 0.0;   // cage
    double bpfo = 0.0;  // an element passes a point of the outer race
    double bpfi = 0.0;  // ... of the inner race
    double bsf = 0.0;   // an element spins once
};

// "" for a bearing, else what is wrong with the geometry.
std::string CheckBearing(const BearingGeometry& g);
// For a geometry CheckBearing accepts.
BearingOrders BearingFaultOrders(const BearingGeometry& g);

enum class FaultKind { None, Ftf, Bpfo, Bpfi, Bsf };
const char* FaultName(FaultKind k);  // "FTF", ..., "none"

// A line to read: order times the shaft frequency. The bearing's lines carry
// their fault kind and the modulation their sidebands are sought at.
struct FaultLine {
    std::string name;
    double order = 0.0;
    FaultKind kind = FaultKind::None;
    double sidebandOrder = 0.0;  // 0: none sought
};

// FTF, BPFO, BPFI and BSF read at 2 x BSF, in that order. Sidebands: at the
// shaft frequency for the race that turns, at the cage frequency for 2 x BSF.
std::vector<FaultLine> BearingLines(const BearingGeometry& g);

struct VerdictParams {
    double slip = 0.02;    // a line is sought within +-slip of its frequency
    double foundDb = 6.0;  // a peak stands out this far above the local median
    int maxHarmonics = 5;
    double maxHz = 0.0;  // harmonics beyond this are not sought (0: the spectrum's end)
};

// One line read in an envelope spectrum.
struct LineReading {
    FaultLine line;
    double hz = 0.0;                // order * shaft
    std::optional<double> foundHz;  // the peak near hz, when it stands out
    double amplitude = 0.0;         // RMS of the highest line within the slip
    double snrDb = 0.0;             // its height over the neighbourhood's median
    int harmonics = 0;              // of 1..maxHarmonics, those that stand out
    int sidebands = 0;              // sidebands around those that stand out
    // Lines of the fault's own: standing out, off every shaft harmonic and
    // higher than in the record's spectrum; the clean ones among them also
    // 3 dB higher than in a quiet band's envelope.
    int ownLines = 0;
    int cleanLines = 0;
    bool fundamentalOwn = false;
    bool fundamentalClean = false;
    double evidenceDb = 0.0;  // sum of the own lines' heights
};

// Spectra of the same record to tell a fault's lines from lines that are
// everywhere: the record's own spectrum (shaft, gear and electrical lines
// stand in it directly) and the envelope of a quiet band elsewhere (a
// modulation of the whole machine shows there too). Either may be empty.
struct ComparisonSpectra {
    const AveragedSpectrum* raw = nullptr;
    const AveragedSpectrum* otherBand = nullptr;
};

struct BearingReading {
    std::vector<LineReading> lines;
    FaultKind verdict = FaultKind::None;
};

BearingReading ReadFaultLines(const AveragedSpectrum& envelope, double shaftHz,
                              const std::vector<FaultLine>& lines, const ComparisonSpectra& cmp,
                              const VerdictParams& p = {});

}  // namespace korvex
