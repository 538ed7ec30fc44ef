#pragma once
// The host's signal processing: the autospectrum and the tacho algorithms,
// on plain arrays. The operator objects wrap these.

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// An operator's parameter set: "key=value, key=value, ..." with numeric or
// text values. Overrides by SetParameter replace single keys.
class OperatorParams {
  public:
    // Parses and replaces the whole set; false when the text is malformed
    // (the set is then left unchanged). Items are separated by commas with
    // any blanks around them; values may be empty ("prs_strCorr="). A piece
    // without "=" continues the previous value, so a value may hold commas.
    bool Parse(std::string_view text);
    void Set(const std::string& key, double value);
    void SetText(const std::string& key, std::string value);
    // The value read as a decimal number; def when the key is missing or its
    // value does not read entirely as a number.
    double Number(const std::string& key, double def) const;
    std::string Text(const std::string& key) const;
    bool Has(const std::string& key) const;
    // The set written back in the "key=value, key=value" form (keys sorted).
    std::string Format() const;

  private:
    std::map<std::string, std::string> values_;  // keys are case-sensitive
};

// Outcome codes of both algorithms. Status is 0 or one of the failures; the
// state of the last run (GetOperatorState) is the status, or one of the
// notes when the run succeeded with a remark.
enum DspCode : int {
    kDspOk = 0,
    kDspTooShort = 1,          // fewer than 2 samples
    kDspBadStep = 2,           // sample step <= 0 or not finite
    kDspBadSample = 3,         // a sample is NaN or infinite (or too large to transform)
    kDspBadWindow = 4,         // "typeWindow" is not 1..5
    kDspBadLevels = 5,         // trigger levels not finite, or low above high
    kDspBadDeltaF = 6,         // "deltaF" <= 0 or not finite
    kDspBadCoef = 7,           // "coefTaho" not finite
    kDspFftFailed = 8,         // the transform could not be set up (out of memory)
    kDspBadRepair = 9,         // a pulse-repair key is out of its range
    kDspBadEnvelopeBand = 10,  // "envLo"/"envHi" not 0 <= envLo < envHi <= Nyquist
    kDspStopped = 11,          // the program's stop was asked (korvex/stop.h); no result
    kDspNoEdges = 100,         // success: no edge found, every value is 0
    kDspOneEdge = 101,         // success: a single edge gives no speed, every value is 0
    kDspShortRecord = 102,     // success: record shorter than one block, one point for all of it
    kDspPulsesRepaired = 103,  // success: pulses were filled in, removed or rejected
    kDspNoUsablePulses = 104,  // success: edges too irregular to be pulses, every value is 0
    kDspPulsesTooFast = 105    // success: pulses too fast for the sampling, every value is 0
};

// Short English text for a code, for messages.
const char* DspCodeText(int code);

struct SpectrumResult {
    std::vector<double> power;  // lines 0 .. N/2, squared input units
    double df = 0.0;            // line spacing, Hz
    double rmscoef = 1.0;       // 1 / sqrt(ENBW in lines) of the window
    double enbw = 1.0;          // the window's equivalent noise bandwidth, lines
    int state = kDspOk;         // outcome of the run, as returned
};

// One-sided power spectrum of one block x sampled at dt seconds, with the
// "АвтоСпектр" keys "typeWindow" (1..5, default 1) and "isMO" (default 0).
// With "envHi" > 0 it is the spectrum of the block's envelope in the band
// "envLo" .. "envHi" Hz instead (the magnitude of the band's analytic
// signal, mean removed; bearing_envelope.h), on the same lines.
// A sine of amplitude A on a line gives A*A/2 in that line. Returns 0 on
// success, non-zero for bad input (fewer than 2 samples, dt <= 0, non-finite
// samples, unknown window); power is then empty. Thread-safe.
int AutoSpectrum(std::span<const double> x, double dt, const OperatorParams& params,
                 SpectrumResult& out);

// What AutoSpectrum runs once it has read its keys: window is the
// "typeWindow" value (1..5), removeMean the "isMO" one. Other views of a
// signal's spectrum call this so that they show the operator's numbers.
int PowerSpectrum(std::span<const double> x, double dt, int window, bool removeMean,
                  SpectrumResult& out);

struct TachoResult {
    std::vector<double> values;  // one rotation frequency per analysis block
    double startX = 0.0;         // abscissa of the first block's middle
    double stepX = 0.0;          // block length in seconds
    std::string unit;            // "Hz" or "rpm"
    int edges = 0;               // trigger edges found
    int state = kDspOk;          // outcome: the status or a success note
    // What the pulse repair did, and a line for a log saying so ("" when
    // nothing was repaired and nothing is wrong).
    int missing = 0;          // pulses filled into gaps
    int extra = 0;            // extra pulses removed
    int rejected = 0;         // glitches and doubled edges rejected
    int bounce = 0;           // of those, contact bounce merged into its pulse
    double longestGap = 0.0;  // longest interval between two real pulses, seconds
    std::string note;
};

// Rotation frequency from a pulse signal, with the "Тахо" keys "LevelLo",
// "LevelHi", "flagAbsOtn", "flagFront", "deltaF", "coefTaho", "typeAxesX",
// "dPNTwide" and the repair keys "flagRepair", "fracDouble", "fracExtra",
// "fracMissing", "nRevSmooth" (docs/operators.md). Returns 0 on success,
// non-zero for bad input (values then empty).
int Tacho(std::span<const double> x, double startX, double dt, const OperatorParams& params,
          TachoResult& out);

// The equivalent noise bandwidth, in lines, of a window (1..5) of n samples,
// exactly as PowerSpectrum reports it; 0 for an unknown window or n < 2.
double WindowEnbw(int window, size_t n);

// FFTW's planner is not thread-safe: any code in the process that creates or
// destroys FFTW plans holds this lock while doing so.
std::mutex& FftwPlannerMutex();

}  // namespace korvex
