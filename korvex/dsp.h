#pragma once
// The host's signal processing: the autospectrum and the tacho algorithms,
// on plain arrays. The operator objects wrap these.

#include <cstdint>
#include <map>
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
    // (the set is then left unchanged).
    bool Parse(std::string_view text);
    void Set(const std::string& key, double value);
    double Number(const std::string& key, double def) const;
    std::string Text(const std::string& key) const;
    bool Has(const std::string& key) const;

private:
    std::map<std::string, std::string> values_;  // keys are case-sensitive
};

struct SpectrumResult {
    std::vector<double> power;  // lines 0 .. N/2, squared input units
    double df = 0.0;            // line spacing, Hz
    double rmscoef = 1.0;       // 1 / sqrt(ENBW in lines) of the window
};

// One-sided power spectrum of one block x sampled at dt seconds, with the
// "АвтоСпектр" keys "typeWindow" (1..5) and "isMO". A sine of amplitude A on
// a line gives A*A/2 in that line. Returns 0 on success, non-zero for bad
// input (fewer than 2 samples, dt <= 0, non-finite samples, unknown window).
int AutoSpectrum(std::span<const double> x, double dt, const OperatorParams& params,
                 SpectrumResult& out);

struct TachoResult {
    std::vector<double> values;  // one rotation frequency per analysis block
    double startX = 0.0;         // abscissa of the first block's middle
    double stepX = 0.0;          // block length in seconds
};

// Rotation frequency from a pulse signal, with the "Тахо" keys "LevelLo",
// "LevelHi", "flagAbsOtn", "flagFront", "deltaF", "coefTaho", "typeAxesX".
// Returns 0 on success, non-zero for bad input.
int Tacho(std::span<const double> x, double startX, double dt, const OperatorParams& params,
          TachoResult& out);

}  // namespace korvex
