#pragma once
// What the spectrum and map graphs compute without Qt: axis ticks, the peak
// near a cursor, harmonic and sideband cursor positions, the table of marked
// values and the CSV layouts. Numbers are written with a point whatever the
// locale.

#include <span>
#include <string>
#include <vector>

#include "korvex/dsp/spectralmap.h"

namespace workbench {

// Ticks at 1, 2 or 5 times a power of ten, about n of them between lo and
// hi (both included when they fall on a tick).
std::vector<double> AxisTicks(double lo, double hi, int n);
// A tick's label: six significant digits, "0" at the origin (not -1e-17).
std::string TickLabel(double v, double step);

// A tone found near a cursor.
struct Peak {
    bool found = false;
    double frequency = 0.0;  // Hz, between the lines
    double power = 0.0;      // the tone's power (A^2 / 2 for amplitude A)
    double value = 0.0;      // the same in the spectrum's amplitude and scale
};
// The highest line within halfWidth lines of frequency f (line 0 never),
// its frequency refined by a parabola through the logarithms of its power
// and its neighbours' (a window's main lobe is close to a Gaussian), its
// power summed over the main lobe of the window and divided by the ENBW, so
// a tone between two lines reads its full amplitude.
Peak FindPeak(const korvex::Spectrum& s, const korvex::SpectrumParams& params, double f,
              int halfWidth);

// Harmonic cursor: k * f for k = 1, 2, ... up to maxF (at most maxCount).
std::vector<double> HarmonicPositions(double f, double maxF, int maxCount = 100);
// Sideband cursor: f0 - k * spacing and f0 + k * spacing for k = 1..count,
// those inside (0, maxF], in rising order.
std::vector<double> SidebandPositions(double f0, double spacing, int count, double maxF);

// A value marked on a spectrum graph.
struct MarkedValue {
    std::string label;  // "cursor", "peak", "H3", ...
    double time = 0.0;  // the cursor time the spectrum was taken at
    double frequency = 0.0;
    double value = 0.0;
    double order = 0.0;  // NaN without a speed
};
// The marked values as tab-separated text with a header row, for the
// clipboard: a spreadsheet takes it as a table.
std::string MarkedTableText(std::span<const MarkedValue> rows, const std::string& unit);

// A spectrum as CSV: "frequency [Hz],<amplitude> [unit]", then one line per
// spectral line.
std::string SpectrumCsv(const korvex::Spectrum& s, const std::string& amplitude);
// A map as CSV: the first row holds "<y unit> \ <x unit>" and the columns'
// times or speeds, then one row per frequency or order with its cells; a
// cell nothing was measured for is left empty.
std::string MapCsv(const korvex::MapResult& m);

}  // namespace workbench
