#pragma once
// The rotation frequency of a shaft from a vibration signal alone, for
// machines without a tacho: the line of one order of the shaft is followed
// through the signal's spectral map (spectralmap.h), from a starting point
// forwards and backwards or within a frequency band, by a path search that
// rewards a strong line and charges for every jump. The line's frequency is
// refined between spectrum lines and divided by the order.
//
// The usual failure of such a search is to slip onto a neighbouring
// harmonic, half or twice the true frequency; a ridge that does so is
// reported as a warning. The start is pinned to the line nearest the given
// frequency, and that line is checked against the orders at half and twice
// the one given: when a shaft at half or twice the speed explains the lines
// there better (its 1x and 2x stand out where the given order's do not),
// the start is refused and the likely order named; along the path the same
// check gives a warning. A signal where the line does not stand out of the
// noise gives no speed at all, rather than a made-up curve.

#include <atomic>
#include <string>
#include <vector>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/spectral.h"
#include "korvex/dsp/spectralmap.h"

namespace korvex {

// Outcome codes of the search, apart from the DspCode values it shares.
enum SpeedTrackCode : int {
    kSpeedBadOrder = 20,     // order not a positive finite number
    kSpeedNoAnchor = 21,     // neither a starting point nor a band, or both
    kSpeedBadStart = 22,     // the starting point lies outside the signal or its band
    kSpeedBadRange = 23,     // the band is empty, negative or above the Nyquist frequency
    kSpeedBadSpectrum = 24,  // spectral parameters unusable, or the signal shorter than a block
    kSpeedFlat = 25,         // the signal does not vary
    kSpeedNoLine = 26,       // the line does not stand out of the noise
    kSpeedStopped = 27,      // stopped on request
    kSpeedFailed = 28,       // out of memory
    kSpeedWrongOrder = 29,   // the line at the start fits another order of the shaft better
    kSpeedOctaveJump = 110   // success: the line jumps by a factor near 2 or 1/2
};

// Short English text for a code of the search or a DspCode.
const char* SpeedTrackCodeText(int code);

struct SpeedTrackParams {
    // Block length, window, overlap and averages of the map; its amplitude
    // and scale are the search's own (power in dB).
    SpectrumParams spectrum = DefaultSpectrum();
    double order = 1.0;  // followed line = order x shaft frequency
    // Either a starting point (time in the signal's x, the line's frequency
    // there in Hz) or a band the line stays in (Hz).
    bool hasStart = false;
    double startX = 0.0, startHz = 0.0;
    bool hasRange = false;
    double lo = 0.0, hi = 0.0;
    // The fastest change of the line, as a share of its frequency per second.
    double maxRate = 0.5;
    // What a jump at that fastest change costs, in dB of line level.
    double jumpPenalty = 20.0;
    // Share of the spectra in which the line must stand out of the noise.
    double minSeen = 0.5;

    // N 8192, Hanning, 75 % overlap: fine lines and a column every quarter block.
    static SpectrumParams DefaultSpectrum() {
        SpectrumParams p;
        p.n = 8192;
        p.window = 3;
        p.overlap = 75.0;
        return p;
    }
};

struct SpeedTrackResult {
    int status = kDspOk;             // 0 or a failure code; values empty on failure
    int state = kDspOk;              // the status, or kSpeedOctaveJump as a note
    std::string error;               // what went wrong, for a user
    std::vector<std::string> notes;  // warnings on a success
    std::vector<double> hz;          // shaft rotation frequency per spectrum
    double startX = 0.0;             // time of the first spectrum's middle
    double stepX = 0.0;              // time between spectra
    double seenShare = 0.0;          // share of spectra where the line stood out
};

// Reads the parameters of the "Обороты по спектру" operator (docs/operators.md):
// order, startTime + startSpeed or speedLo + speedHi (shaft Hz), numPoints,
// typeWindow, overlap, averages, maxRate, jumpPenalty. Returns 0 or the code
// of the first bad key; error then says why.
int SpeedTrackParamsFrom(const OperatorParams& keys, SpeedTrackParams& out, std::string& error);

// The search on a signal, with the map's progress (0 to 1) and stop.
SpeedTrackResult TrackSpeed(const SignalSnapshot& signal, const SpeedTrackParams& params,
                            const MapProgress& progress = {},
                            const std::atomic<bool>* stop = nullptr);

}  // namespace korvex
