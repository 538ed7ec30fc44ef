// Ticks, the peak near a cursor, harmonic and sideband marks, marks table, spectral CSV.

#include "apps/workbench/spectrallogic.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "apps/workbench/readout.h"

namespace workbench {

namespace {

// The shortest text that reads back as the same double, with a point.
void AppendExact(std::string& out, double v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec == std::errc()) out.append(buf, end);
}

// Lines on each side of the peak line that hold a window's main lobe.
int LobeHalfWidth(int window) {
    switch (window) {
        case 1:
            return 1;
        case 4:
            return 3;
        case 5:
            return 5;
        default:
            return 2;
    }
}

}  // namespace

std::vector<double> AxisTicks(double lo, double hi, int n) {
    std::vector<double> ticks;
    const double range = hi - lo;
    if (!(range > 0) || !std::isfinite(range) || n < 1) return ticks;
    const double raw = range / n;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / mag;
    const double step = (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * mag;
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1)
        ticks.push_back(k * step);
    return ticks;
}

std::string TickLabel(double v, double step) {
    if (std::fabs(v) < std::fabs(step) * 1e-6) v = 0;
    return FormatNumber(v);
}

Peak FindPeak(const korvex::Spectrum& s, const korvex::SpectrumParams& params, double f,
              int halfWidth) {
    Peak p;
    const std::vector<double>& power = s.power;
    if (power.size() < 3 || !(s.df > 0) || !std::isfinite(f)) return p;
    const long last = static_cast<long>(power.size()) - 1;
    const long centre = std::lround(f / s.df);
    const long a = std::clamp(centre - halfWidth, 1L, last);
    const long b = std::clamp(centre + halfWidth, 1L, last);
    long k = a;
    for (long i = a + 1; i <= b; ++i)
        if (power[static_cast<size_t>(i)] > power[static_cast<size_t>(k)]) k = i;
    if (!(power[static_cast<size_t>(k)] > 0)) return p;
    double delta = 0;
    if (k > 0 && k < last) {
        const double l = std::log(std::max(power[static_cast<size_t>(k - 1)], 1e-300));
        const double c = std::log(power[static_cast<size_t>(k)]);
        const double r = std::log(std::max(power[static_cast<size_t>(k + 1)], 1e-300));
        const double den = l - 2 * c + r;
        if (den < 0) delta = std::clamp(0.5 * (l - r) / den, -0.5, 0.5);
    }
    const int lobe = LobeHalfWidth(params.window);
    double sum = 0;
    for (long i = std::max(1L, k - lobe); i <= std::min(last, k + lobe); ++i)
        sum += power[static_cast<size_t>(i)];
    const double enbw = s.resolution.enbwLines > 0 ? s.resolution.enbwLines : 1.0;
    p.found = true;
    p.frequency = (static_cast<double>(k) + delta) * s.df;
    p.power = sum / enbw;
    p.value = korvex::AmplitudeScaler(params, s.df, enbw)(p.power);
    return p;
}

std::vector<double> HarmonicPositions(double f, double maxF, int maxCount) {
    std::vector<double> out;
    if (!(f > 0) || !std::isfinite(f)) return out;
    for (int k = 1; k <= maxCount && k * f <= maxF; ++k) out.push_back(k * f);
    return out;
}

std::vector<double> SidebandPositions(double f0, double spacing, int count, double maxF) {
    std::vector<double> out;
    if (!(spacing > 0) || !std::isfinite(f0)) return out;
    for (int k = count; k >= 1; --k)
        if (f0 - k * spacing > 0 && f0 - k * spacing <= maxF) out.push_back(f0 - k * spacing);
    for (int k = 1; k <= count; ++k)
        if (f0 + k * spacing > 0 && f0 + k * spacing <= maxF) out.push_back(f0 + k * spacing);
    return out;
}

std::string MarkedTableText(std::span<const MarkedValue> rows, const std::string& unit) {
    std::string t = "mark\ttime [s]\tfrequency [Hz]\t" + SignalLabel("value", unit) + "\torder\n";
    for (const MarkedValue& r : rows)
        t += r.label + "\t" + FormatNumber(r.time) + "\t" + FormatNumber(r.frequency) + "\t" +
             FormatNumber(r.value) + "\t" + FormatNumber(r.order) + "\n";
    return t;
}

std::string SpectrumCsv(const korvex::Spectrum& s, const std::string& amplitude) {
    std::string t = "frequency [Hz]," + SignalLabel(amplitude, s.unit) + "\n";
    t.reserve(t.size() + s.values.size() * 24);
    for (size_t k = 0; k < s.values.size(); ++k) {
        AppendExact(t, static_cast<double>(k) * s.df);
        t += ',';
        AppendExact(t, s.values[k]);
        t += '\n';
    }
    return t;
}

std::string MapCsv(const korvex::MapResult& m) {
    std::string t = m.yUnit + " \\ " + m.xUnit;
    t.reserve(m.cells.size() * 10 + m.x.size() * 12);
    for (double x : m.x) {
        t += ',';
        AppendExact(t, x);
    }
    t += '\n';
    for (size_t r = 0; r < m.rows; ++r) {
        AppendExact(t, m.y0 + static_cast<double>(r) * m.dy);
        for (size_t c = 0; c < m.Columns(); ++c) {
            t += ',';
            const float v = m.Cell(c, r);
            if (std::isfinite(v)) AppendExact(t, static_cast<double>(v));
        }
        t += '\n';
    }
    return t;
}

}  // namespace workbench
