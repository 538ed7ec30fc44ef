#include "apps/workbench/envelopemode.h"

#include <algorithm>
#include <cmath>

namespace workbench {
namespace {

// The samples of the range of `seconds` centred at x, kept inside the signal.
std::span<const double> RangeAt(const korvex::SignalSnapshot& s, double x, double seconds,
                                double& middle) {
    const size_t n = s.samples.size();
    const size_t want = std::min(n, static_cast<size_t>(std::max(0.0, seconds / s.stepX)));
    const double centre = (x - s.startX) / s.stepX;
    const double first =
        std::clamp(std::round(centre - want / 2.0), 0.0, static_cast<double>(n - want));
    const size_t a = static_cast<size_t>(first);
    middle = s.XOf(static_cast<double>(a) + want / 2.0);
    return s.samples.Span().subspan(a, want);
}

}  // namespace

korvex::Spectrum EnvelopeSpectrumAt(const korvex::SignalSnapshot& s, double x,
                                    const EnvelopeBand& band, const korvex::SpectrumParams& p) {
    korvex::Spectrum out;
    if (s.samples.empty() || !(s.stepX > 0)) {
        out.error = "no samples";
        return out;
    }
    korvex::RecordSpectrum record;
    out.error = record.Make(RangeAt(s, x, band.seconds, out.middleX), s.stepX);
    if (!out.error.empty()) return out;
    korvex::EnvelopeSpectrumParams ep;
    ep.lo = band.lo;
    ep.hi = std::min(band.hi, record.nyquist());
    // The host's default, kept coarse enough that the range holds two blocks
    // whatever size the transform rounds a block up to.
    const double seconds = static_cast<double>(record.samples()) * s.stepX;
    ep.resolution = std::max(korvex::DefaultEnvelopeResolution(seconds), 2.2 / seconds);
    const korvex::EnvelopeSpectrum e = korvex::EnvelopeSpectrumOf(record, ep);
    if (!e.error.empty()) {
        out.error = e.error;
        return out;
    }
    out.power = e.power;
    out.df = e.df;
    out.blocks = e.blocks;
    out.unit = s.unit;
    out.levelUnit = s.unit;
    out.resolution.df = e.df;
    const bool db = p.scale == korvex::SpectrumScale::Db;
    for (size_t k = 0; k < e.power.size(); ++k) {
        double v = e.power[k];
        if (p.amplitude == korvex::SpectrumAmplitude::Rms) v = e.Rms(k);
        if (p.amplitude == korvex::SpectrumAmplitude::Peak) v = e.Peak(k);
        if (db) v = 10 * std::log10(std::max(e.power[k], 1e-30) / (p.dbReference * p.dbReference));
        out.values.push_back(v);
    }
    return out;
}

korvex::Kurtogram KurtogramAt(const korvex::SignalSnapshot& s, double x, double seconds,
                              double* middle) {
    korvex::Kurtogram k;
    if (s.samples.empty() || !(s.stepX > 0)) {
        k.error = "no samples";
        return k;
    }
    double at = 0;
    korvex::RecordSpectrum record;
    k.error = record.Make(RangeAt(s, x, seconds, at), s.stepX);
    if (middle) *middle = at;
    if (!k.error.empty()) return k;
    korvex::KurtogramParams kp;
    kp.maxLevel = 6;
    return korvex::FastKurtogram(record, kp);
}

}  // namespace workbench
