#pragma once
// What the cursors of a graph window read, without Qt: the times of cursor A
// and, when it is on, cursor B, their distance and its inverse, and every
// signal's value at both and the difference. The texts are locale-free, so a
// readout reads the same on every desktop.

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace workbench {

// A signal as the readout sees it: y at x = x0 + i * dx.
struct ReadSignal {
    std::string name;
    std::string unit;
    std::span<const double> samples;
    double x0 = 0.0;
    double dx = 1.0;
};

struct SignalReading {
    std::string label;  // "name [unit]"
    double atA = 0.0;
    double atB = 0.0;   // NaN without cursor B
    double diff = 0.0;  // B - A; NaN without cursor B
};

struct Readout {
    double tA = 0.0;
    std::optional<double> tB;
    double dt = 0.0;       // tB - tA; NaN without cursor B
    double inverse = 0.0;  // 1 / |dt| in Hz; NaN when dt is 0 or there is no B
    std::vector<SignalReading> rows;
};

// "name [unit]", or the name alone without a unit.
std::string SignalLabel(const std::string& name, const std::string& unit);

// The signals are read interpolated linearly (korvex::SampleAt); the caller
// holds the host lock for the spans.
Readout ReadCursors(std::span<const ReadSignal> signals, double tA, std::optional<double> tB);

// Six significant digits with a point, "-" for NaN.
std::string FormatNumber(double v);
// "A 12.5 s   B 14 s   Δt 1.5 s   1/Δt 0.666667 Hz" (A only without B),
// with the units as the user's language writes them.
std::string TimesLine(const Readout& r, const std::string& s = "s", const std::string& hz = "Hz");

}  // namespace workbench
