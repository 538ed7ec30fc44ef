// An order spectrum of R revolutions around a time, shaped as a spectrum.

#include "apps/workbench/orderspectrum.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "apps/workbench/readout.h"
#include "apps/workbench/viewparams.h"
#include "korvex/dsp/angle_resample.h"
#include "korvex/dsp/order_spectrum.h"

namespace workbench {

namespace {

constexpr double kMaxOrder = 50.0;  // as the angle-domain order map keeps by default

korvex::Spectrum Failed(std::string why) {
    korvex::Spectrum s;
    s.error = std::move(why);
    return s;
}

// The revolution count at time t, by bisection on the track's knots.
double RevAt(const korvex::AngleTrack& track, double t) {
    const auto& times = track.Times();
    const auto it = std::lower_bound(times.begin(), times.end(), t);
    if (it == times.begin()) return track.FirstRev();
    if (it == times.end()) return track.LastRev();
    double lo = track.Revs()[static_cast<size_t>(it - times.begin()) - 1];
    double hi = track.Revs()[static_cast<size_t>(it - times.begin())];
    for (int k = 0; k < 50; ++k) {
        const double mid = 0.5 * (lo + hi);
        (track.TimeAt(mid) < t ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

}  // namespace

korvex::Spectrum OrderSpectrumAt(const korvex::SignalSnapshot& x,
                                 const korvex::SignalSnapshot& speed, double toHz, double t,
                                 int revs, const korvex::SpectrumParams& p) {
    if (revs < 1) return Failed("an order spectrum needs at least one revolution");
    const korvex::AngleTrackResult tr =
        korvex::SpeedAngle(speed.samples.Span(), speed.startX, speed.stepX, toHz);
    if (!tr.error.empty()) return Failed(tr.error);
    const korvex::AngleTrack& track = tr.track;
    const size_t n = x.samples.Span().size();
    if (n < 2) return Failed("the signal is too short");
    // The revolutions the signal covers whole, and R of them around t.
    const double firstRev = std::ceil(RevAt(track, x.startX));
    const double lastRev = std::floor(RevAt(track, x.XOf(static_cast<double>(n - 1))));
    if (lastRev - firstRev < revs)
        return Failed("the signal holds fewer than " + std::to_string(revs) + " revolutions");
    const double r0 =
        std::clamp(std::round(RevAt(track, t) - 0.5 * revs), firstRev, lastRev - revs);
    // Samples from a revolution before to one after, for the anti-alias cut.
    const double tFrom = track.TimeAt(std::max(track.FirstRev(), r0 - 1));
    const double tTo = track.TimeAt(std::min(track.LastRev(), r0 + revs + 1));
    const auto i0 = static_cast<size_t>(
        std::clamp(std::floor((tFrom - x.startX) / x.stepX) - 64, 0.0, double(n - 1)));
    const auto i1 = static_cast<size_t>(
        std::clamp(std::ceil((tTo - x.startX) / x.stepX) + 64, 0.0, double(n - 1)));
    double top = 0.0;
    for (double r = r0; r <= r0 + revs; r += 0.25) top = std::max(top, track.SpeedAt(r));
    const double maxOrder = std::min(kMaxOrder, korvex::MaxOrderHeld(1.0 / x.stepX, top));
    if (!(maxOrder > 0.5)) return Failed("the shaft turns too fast for the sample rate");
    const int perRev = korvex::SamplesPerRev(maxOrder);
    korvex::AngleSignal a =
        korvex::ResampleToAngle(x.samples.Span().subspan(i0, i1 - i0 + 1),
                                x.XOf(static_cast<double>(i0)), x.stepX, track, perRev, maxOrder);
    if (!a.error.empty()) return Failed(a.error);
    // Keep exactly the R revolutions from r0.
    const double skip = r0 - a.firstRev;
    const size_t want = static_cast<size_t>(revs) * static_cast<size_t>(perRev);
    if (skip < 0 || (static_cast<size_t>(skip) * perRev + want) > a.x.size())
        return Failed("the signal holds fewer than " + std::to_string(revs) + " revolutions");
    const size_t from = static_cast<size_t>(skip) * static_cast<size_t>(perRev);
    a.x = std::vector<double>(a.x.begin() + static_cast<ptrdiff_t>(from),
                              a.x.begin() + static_cast<ptrdiff_t>(from + want));
    a.firstRev = r0;
    korvex::OrderSpectrumParams op;
    op.revs = revs;
    op.window = p.window;
    op.overlap = 0.0;
    op.maxOrder = maxOrder;
    const korvex::OrderSpectra s = korvex::ComputeOrderSpectra(a, track, op);
    if (!s.error.empty()) return Failed(s.error);
    if (s.Rows() < 1) return Failed("no order spectrum");
    korvex::Spectrum out;
    out.df = 1.0 / revs;
    const double enbw = 1.0 / (s.rmscoef * s.rmscoef);
    const korvex::AmplitudeScaler scaler(p, out.df, enbw);
    out.power.assign(s.power.begin(), s.power.begin() + static_cast<ptrdiff_t>(s.lines));
    out.values.resize(s.lines);
    for (size_t k = 0; k < s.lines; ++k) out.values[k] = scaler(out.power[k]);
    out.unit = scaler.Unit(x.unit);
    out.levelUnit = x.unit;
    out.resolution.n = static_cast<int>(want);
    out.resolution.averages = 1;
    out.resolution.df = out.df;
    out.resolution.enbwLines = enbw;
    out.resolution.rbw = enbw * out.df;
    out.resolution.rmscoef = s.rmscoef;
    out.firstSample = i0;
    out.middleX = s.time[0];
    out.blocks = 1;
    return out;
}

std::string OrderResolutionText(int revs, int window) {
    auto say = [](const char* text, const std::string& arg) {
        return QCoreApplication::translate("Workbench", text)
            .arg(QString::fromStdString(arg))
            .toStdString();
    };
    return say(QT_TRANSLATE_NOOP("Workbench", "R %1 revolutions"), std::to_string(revs)) + "   " +
           WindowName(window) + "   " +
           say(QT_TRANSLATE_NOOP("Workbench", "order step %1"), FormatNumber(1.0 / revs));
}

}  // namespace workbench
