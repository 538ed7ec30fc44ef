#include "korvex/dsp/order_map.h"

#include <algorithm>
#include <cmath>

#include "korvex/dsp/order_spectrum.h"

namespace korvex {

namespace {

// The highest order shown when none is asked for.
constexpr double kDefaultMaxOrder = 50.0;

double TopSpeed(const AngleTrack& t) {
    double top = 0.0;
    for (size_t k = 1; k < t.Revs().size(); ++k)
        top = std::max(top, (t.Revs()[k] - t.Revs()[k - 1]) / (t.Times()[k] - t.Times()[k - 1]));
    return top;
}

// The signal's samples from `from` to `to` (with margin for the filters).
std::span<const double> Range(const SignalSnapshot& s, const MapParams& p, double& t0) {
    const std::span<const double> all = s.samples.Span();
    const double margin = 1.0;  // seconds
    const double a = std::max(0.0, std::floor((p.from - margin - s.startX) / s.stepX));
    const double b = std::min(static_cast<double>(all.size()),
                              std::ceil((p.to + margin - s.startX) / s.stepX) + 1.0);
    if (!(b > a)) return {};
    t0 = s.startX + a * s.stepX;
    return all.subspan(static_cast<size_t>(a), static_cast<size_t>(b - a));
}

// Columns merged in groups (powers averaged) down to maxColumns.
void Fill(const OrderSpectra& s, const std::vector<size_t>& rows, const MapParams& p, double toHz,
          MapResult& out) {
    const size_t merge =
        p.maxColumns > 0 ? (rows.size() + p.maxColumns - 1) / static_cast<size_t>(p.maxColumns) : 1;
    const size_t columns = (rows.size() + merge - 1) / merge;
    out.rows = s.lines;
    out.cells.assign(columns * s.lines, 0.0f);
    const AmplitudeScaler scale(p.spectrum, 1.0 / s.revs, 1.0 / (s.rmscoef * s.rmscoef));
    std::vector<double> power(s.lines);
    for (size_t c = 0; c < columns; ++c) {
        const size_t first = c * merge, last = std::min(rows.size(), first + merge);
        std::fill(power.begin(), power.end(), 0.0);
        double x = 0.0;
        for (size_t i = first; i < last; ++i) {
            const size_t row = rows[i];
            for (size_t k = 0; k < s.lines; ++k) power[k] += s.Power(row, k);
            x += p.x == MapAxisX::Time ? s.time[row] : s.speed[row] / toHz;
        }
        const double n = static_cast<double>(last - first);
        for (double& v : power) v /= n;
        scale.Scale(power, out.cells.data() + c * s.lines);
        out.x.push_back(x / n);
        out.blocks.push_back(static_cast<int>(last - first));
    }
}

}  // namespace

MapResult ComputeAngleOrderMap(const SignalSnapshot& signal, const SignalSnapshot* speed,
                               const MapParams& p, const MapProgress& progress,
                               const std::atomic<bool>* stop) {
    MapResult out;
    auto fail = [&out](std::string e) {
        out = MapResult{};
        out.error = std::move(e);
        return out;
    };
    if (!speed) return fail("an order map in the angle domain needs a speed signal");
    if (std::string e = CheckSpectrumParams(p.spectrum); !e.empty()) return fail(e);
    const double toHz = p.speedToHertz > 0.0   ? p.speedToHertz
                        : speed->unit == "rpm" ? 1.0 / 60.0
                                               : 1.0;
    AngleTrackResult track = SpeedAngle(speed->samples.Span(), speed->startX, speed->stepX, toHz);
    if (!track.error.empty()) return fail(track.error);
    double t0 = signal.startX;
    const std::span<const double> x = Range(signal, p, t0);
    const double held = MaxOrderHeld(1.0 / signal.stepX, TopSpeed(track.track));
    const double maxOrder = std::min(held, p.maxOrder > 0.0 ? p.maxOrder : kDefaultMaxOrder);
    const int perRev = SamplesPerRev(maxOrder);
    OrderSpectrumParams op;
    op.revs = std::max(1, p.spectrum.n / perRev);
    op.window = p.spectrum.window;
    op.overlap = p.spectrum.overlap;
    op.maxOrder = maxOrder;
    if (progress) progress(0.0);
    const AngleSignal a = ResampleToAngle(x, t0, signal.stepX, track.track, perRev, maxOrder);
    if (!a.error.empty()) return fail(a.error);
    if (stop && stop->load()) {
        fail("stopped");
        out.stopped = true;
        return out;
    }
    if (progress) progress(0.7);
    const OrderSpectra s = ComputeOrderSpectra(a, track.track, op);
    if (!s.error.empty()) return fail(s.error);
    std::vector<size_t> rows;
    for (size_t r = 0; r < s.Rows(); ++r) {
        const bool rising = r == 0 || s.speed[r] >= s.speed[r - 1];
        if (s.time[r] < p.from || s.time[r] > p.to) continue;
        if ((p.direction == SpeedDirection::Rising && !rising) ||
            (p.direction == SpeedDirection::Falling && rising))
            continue;
        rows.push_back(r);
    }
    if (rows.empty()) return fail("no order spectrum in the range");
    if (held < p.maxOrder)
        out.notes.push_back("orders above " + std::to_string(static_cast<int>(held)) +
                            " are beyond the sample rate at the top speed");
    out.notes.push_back(std::to_string(op.revs) + " revolutions a spectrum, " +
                        std::to_string(perRev) + " samples a revolution");
    Fill(s, rows, p, toHz, out);
    out.xUnit = p.x == MapAxisX::Time ? "s" : speed->unit;
    out.y0 = 0.0;
    out.dy = 1.0 / s.revs;
    out.yUnit = "order";
    out.unit = AmplitudeScaler(p.spectrum, out.dy, 1.0 / (s.rmscoef * s.rmscoef)).Unit(signal.unit);
    SpectralResolution& res = out.resolution;
    res.n = s.revs * s.perRev;
    res.averages = 1;
    res.df = out.dy;
    res.enbwLines = 1.0 / (s.rmscoef * s.rmscoef);
    res.rbw = res.enbwLines * res.df;
    res.rmscoef = s.rmscoef;
    if (progress) progress(1.0);
    return out;
}

}  // namespace korvex
