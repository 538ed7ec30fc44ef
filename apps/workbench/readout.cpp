// The cursors' readout: signal labels, values at A and B and their difference, the times.

#include "apps/workbench/readout.h"

#include <charconv>
#include <cmath>

#include "korvex/dsp/envelope.h"

namespace workbench {

std::string SignalLabel(const std::string& name, const std::string& unit) {
    return unit.empty() ? name : name + " [" + unit + "]";
}

Readout ReadCursors(std::span<const ReadSignal> signals, double tA, std::optional<double> tB) {
    Readout r;
    r.tA = tA;
    r.tB = tB;
    r.dt = tB ? *tB - tA : NAN;
    r.inverse = tB && r.dt != 0.0 ? 1.0 / std::fabs(r.dt) : NAN;
    r.rows.reserve(signals.size());
    for (const ReadSignal& s : signals) {
        SignalReading row;
        row.label = SignalLabel(s.name, s.unit);
        row.atA = korvex::SampleAt(s.samples, s.x0, s.dx, tA);
        row.atB = tB ? korvex::SampleAt(s.samples, s.x0, s.dx, *tB) : NAN;
        row.diff = row.atB - row.atA;
        r.rows.push_back(std::move(row));
    }
    return r;
}

std::string FormatNumber(double v) {
    if (std::isnan(v)) return "-";
    // to_chars ignores the locale, unlike printf.
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    if (ec != std::errc()) return "?";
    return std::string(buf, end);
}

std::string TimesLine(const Readout& r, const std::string& s, const std::string& hz) {
    std::string line = "A " + FormatNumber(r.tA) + " " + s;
    if (!r.tB) return line;
    line += "   B " + FormatNumber(*r.tB) + " " + s + "   \u0394t " + FormatNumber(r.dt) + " " + s +
            "   1/\u0394t " + FormatNumber(r.inverse) + " " + hz;
    return line;
}

}  // namespace workbench
