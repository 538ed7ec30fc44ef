// An order's RMS and phase against time, and picking an order on a map.

#include "apps/workbench/ordercut.h"

#include <algorithm>
#include <cmath>

#include "korvex/dsp/angle_resample.h"
#include "korvex/dsp/order_spectrum.h"

namespace workbench {

namespace {

constexpr double kMaxOrder = 50.0;  // the angle-domain map's default

OrderCutCurves Failed(std::string why) {
    OrderCutCurves c;
    c.error = std::move(why);
    return c;
}

double TopSpeed(const korvex::AngleTrack& t) {
    double top = 0.0;
    for (size_t k = 1; k < t.Revs().size(); ++k)
        top = std::max(top, (t.Revs()[k] - t.Revs()[k - 1]) / (t.Times()[k] - t.Times()[k - 1]));
    return top;
}

}  // namespace

OrderCutCurves ComputeOrderCut(const korvex::SignalSnapshot& x, const korvex::SignalSnapshot& speed,
                               double toHz, const korvex::MapParams& p, double order) {
    if (!(order > 0)) return Failed("an order cut needs an order above 0");
    const korvex::AngleTrackResult tr =
        korvex::SpeedAngle(speed.samples.Span(), speed.startX, speed.stepX, toHz);
    if (!tr.error.empty()) return Failed(tr.error);
    const double held = korvex::MaxOrderHeld(1.0 / x.stepX, TopSpeed(tr.track));
    // The map's revolutions per spectrum, so the cut reads what the map shows.
    const double mapMax = std::min(held, p.maxOrder > 0 ? p.maxOrder : kMaxOrder);
    const int revs = std::max(1, p.spectrum.n / korvex::SamplesPerRev(mapMax));
    const double maxOrder = std::min(held, std::max(mapMax, order + 1.0));
    if (order > maxOrder) return Failed("order above what the sample rate holds at the top speed");
    const int perRev = korvex::SamplesPerRev(maxOrder);
    const korvex::AngleSignal a =
        korvex::ResampleToAngle(x.samples.Span(), x.startX, x.stepX, tr.track, perRev, maxOrder);
    if (!a.error.empty()) return Failed(a.error);
    korvex::OrderSpectrumParams op;
    op.revs = revs;
    op.window = p.spectrum.window;
    op.overlap = p.spectrum.overlap;
    op.maxOrder = maxOrder;
    const korvex::OrderSpectra s = korvex::ComputeOrderSpectra(a, tr.track, op);
    if (!s.error.empty()) return Failed(s.error);
    const korvex::OrderCut cut = korvex::CutOrder(s, order);
    OrderCutCurves c;
    c.order = order;
    c.revs = revs;
    c.time = s.time;
    c.rms = cut.rms;
    c.phase = cut.phase;
    c.unit = x.unit;
    return c;
}

double OrderAtClick(double y, double dy) {
    if (!(y >= 0) || !std::isfinite(y)) return NAN;
    return dy > 0 ? std::round(y / dy) * dy : y;
}

size_t NearestIndex(const std::vector<double>& times, double t) {
    if (times.empty()) return 0;
    const auto it = std::lower_bound(times.begin(), times.end(), t);
    if (it == times.begin()) return 0;
    if (it == times.end()) return times.size() - 1;
    const size_t k = static_cast<size_t>(it - times.begin());
    return t - times[k - 1] <= times[k] - t ? k - 1 : k;
}

}  // namespace workbench
