// The spectrum at a time, the amplitude scalings and the band RMS.

#include "korvex/dsp/spectral.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/integration.h"
#include "korvex/units.h"
#include "platform/numtext.h"

namespace korvex {

SignalSnapshot SignalSnapshot::Of(const SignalObj& s) {
    Lock lock(s.Core()->mutex, std::defer_lock);
    if (s.Shared()) lock.lock();
    SignalSnapshot snap;
    snap.id = s.Id();
    snap.samples = s.SamplesLocked();
    snap.startX = s.StartXLocked();
    snap.stepX = s.StepXLocked();
    snap.unit = s.UnitLocked();
    return snap;
}

bool SignalSnapshot::SameAs(const SignalSnapshot& o) const {
    // Each holds its array, so an equal address is the same array, never a
    // new one at a freed one's place; and a held array is never written.
    return id == o.id && samples.data() == o.samples.data() && samples.size() == o.samples.size() &&
           startX == o.startX && stepX == o.stepX && unit == o.unit;
}

std::string CheckSpectrumParams(const SpectrumParams& p) {
    if (p.n < kMinBlock || p.n > kMaxBlock || (p.n & (p.n - 1)) != 0)
        return "block length N = " + std::to_string(p.n) + " is not a power of two from " +
               std::to_string(kMinBlock) + " to " + std::to_string(kMaxBlock);
    if (p.window < 1 || p.window > 5) return std::string(DspCodeText(kDspBadWindow));
    if (p.averages < 1) return "the number of averages is below 1";
    if (!(p.overlap >= 0.0 && p.overlap < 100.0))
        return "overlap " + plat::ShortestText(p.overlap) + " % is not from 0 to below 100 %";
    if (!(p.dbReference > 0.0) || !std::isfinite(p.dbReference))
        return "the dB reference is not a positive number";
    if (p.integrate < 0 || p.integrate > 2) return "integration is 0, 1 or 2 times";
    if (GroupSpan(p) > static_cast<size_t>(std::numeric_limits<int64_t>::max() / 2))
        return "too many averages";
    return {};
}

int BlockStep(const SpectrumParams& p) {
    const double shared = std::round(static_cast<double>(p.n) * p.overlap / 100.0);
    return std::max(1, p.n - static_cast<int>(shared));
}

size_t GroupSpan(const SpectrumParams& p) {
    return static_cast<size_t>(p.averages - 1) * static_cast<size_t>(BlockStep(p)) +
           static_cast<size_t>(p.n);
}

namespace {

// Power ratios below this read the dB floor.
constexpr double kFloorRatio = 1e-30;
constexpr double kDbPerOctave = 3.0102999566398120;  // 10 log10(2)

// log2 of a positive normal number, to about 1e-11: a map's cells need
// thousands of these per spectrum, where the library's log10 would cost
// more than the transform. The mantissa is brought into [sqrt(1/2),
// sqrt(2)), where the series of 2 atanh(t), t = (m - 1) / (m + 1), has
// |t| <= 0.172 and six terms suffice. Written once for a double and once
// for four (vector extensions, which any target lowers as it can), with
// the same arithmetic in the same order so both give the same bits.
constexpr uint64_t kSqrtHalfBits = 0x3FE6A09E667F3BCDull;
// Adding a small integer to these bits gives 1.5 * 2^52 + that integer.
constexpr uint64_t kIntegerMagic = 0x4338000000000000ull;
constexpr double kIntegerOffset = 6755399441055744.0;  // 1.5 * 2^52

// The same bits as another type of the same size.
template <class To, class From>
inline To As(From v) {
    static_assert(sizeof(To) == sizeof(From));
    To t;
    std::memcpy(&t, &v, sizeof t);
    return t;
}

template <class D, class U, class I>
inline D Log2Of(D x) {
    const U bits = As<U>(x);
    const I e = As<I>(bits - kSqrtHalfBits) >> 52;
    const D m = As<D>(bits - (As<U>(e) << 52));
    const D ed = As<D>(As<U>(e) + kIntegerMagic) - kIntegerOffset;  // e as a double, exactly
    const D t = (m - 1.0) / (m + 1.0), t2 = t * t;
    const D series =
        1.0 + t2 * (1.0 / 3 + t2 * (1.0 / 5 + t2 * (1.0 / 7 + t2 * (1.0 / 9 + t2 * (1.0 / 11)))));
    return ed + 2.0 * t * series * std::numbers::log2e;
}

inline double Db(double ratio) {
    if (ratio >= kFloorRatio)  // an infinity stays one
        return ratio <= std::numeric_limits<double>::max()
                   ? kDbPerOctave * Log2Of<double, uint64_t, int64_t>(ratio)
                   : ratio;
    return std::isnan(ratio) ? ratio : kDbFloor;
}

using Doubles = double __attribute__((vector_size(16)));
using Words = uint64_t __attribute__((vector_size(16)));
using Ints = int64_t __attribute__((vector_size(16)));
using Floats = float __attribute__((vector_size(8)));

inline Doubles Pick(Ints mask, Doubles yes, Doubles no) {
    const Words m = As<Words>(mask);
    return As<Doubles>((As<Words>(yes) & m) | (As<Words>(no) & ~m));
}

// Db of two ratios at once, the same cases as Db without a branch.
inline Doubles Db2(Doubles r) {
    const Ints valid = (r >= kFloorRatio) & (r <= std::numeric_limits<double>::max());
    const Doubles safe = Pick(valid, r, Doubles{} + 1.0);
    const Doubles db = kDbPerOctave * Log2Of<Doubles, Words, Ints>(safe);
    // Not valid: below the floor it reads the floor; NaN and infinity stay.
    return Pick(valid, db, Pick(r < kFloorRatio, Doubles{} + kDbFloor, r));
}

void DbColumn(const double* p, double k, float* out, size_t n) {
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        Doubles v;
        std::memcpy(&v, p + i, sizeof v);
        const Floats f = __builtin_convertvector(Db2(v * k), Floats);
        std::memcpy(out + i, &f, sizeof f);
    }
    for (; i < n; ++i) out[i] = static_cast<float>(Db(p[i] * k));
}

}  // namespace

AmplitudeScaler::AmplitudeScaler(const SpectrumParams& p, double df, double enbwLines)
    : root_(p.amplitude == SpectrumAmplitude::Rms || p.amplitude == SpectrumAmplitude::Peak),
      db_(p.scale == SpectrumScale::Db),
      factor_(p.amplitude == SpectrumAmplitude::Peak  ? 2.0
              : p.amplitude == SpectrumAmplitude::Psd ? 1.0 / (enbwLines * df)
                                                      : 1.0),
      amplitude_(p.amplitude),
      reference_(p.dbReference) {
    // 20 log10(sqrt(v) / ref) = 10 log10(v / ref^2): one logarithm either way.
    dbFactor_ = factor_ / (root_ ? reference_ * reference_ : reference_);
}

double AmplitudeScaler::operator()(double power) const {
    if (db_) return Db(power * dbFactor_);
    return root_ ? std::sqrt(power * factor_) : power * factor_;
}

void AmplitudeScaler::Scale(std::span<const double> power, float* out) const {
    const double* p = power.data();
    const size_t n = power.size();
    // One loop per case, free of branches on the case, so each runs at the
    // speed of its arithmetic.
    if (db_) {
        DbColumn(p, dbFactor_, out, n);
    } else if (root_) {
        const double k = factor_;
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(std::sqrt(p[i] * k));
    } else {
        const double k = factor_;
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(p[i] * k);
    }
}

std::string AmplitudeScaler::Unit(const std::string& signalUnit) const {
    std::string u = signalUnit;
    if (amplitude_ == SpectrumAmplitude::Power) u = units::SquaredUnit(signalUnit);
    if (amplitude_ == SpectrumAmplitude::Psd) {
        u = units::SquaredUnit(signalUnit);
        u = u.empty() ? "1/Hz" : u + "/Hz";
    }
    if (!db_) return u;
    std::string s = "dB re " + plat::ShortestText(reference_);
    if (!u.empty()) s += " " + u;
    return s;
}

namespace {

Spectrum Failed(std::string message) {
    Spectrum s;
    s.error = std::move(message);
    return s;
}

}  // namespace

Spectrum SpectrumAt(const SignalSnapshot& sig, double x, const SpectrumParams& p) {
    if (std::string e = CheckSpectrumParams(p); !e.empty()) return Failed(std::move(e));
    if (!(sig.stepX > 0.0) || !std::isfinite(sig.stepX) || !std::isfinite(sig.startX))
        return Failed(DspCodeText(kDspBadStep));
    if (!std::isfinite(x)) return Failed("the time is not a number");
    const size_t size = sig.samples.size();
    const auto n = static_cast<size_t>(p.n);
    if (size < n)
        return Failed("the signal holds " + std::to_string(size) +
                      " samples, fewer than one block of N = " + std::to_string(n));
    const size_t step = static_cast<size_t>(BlockStep(p));
    Spectrum out;
    out.blocks =
        static_cast<int>(std::min<size_t>(static_cast<size_t>(p.averages), (size - n) / step + 1));
    if (out.blocks < p.averages)
        out.note = "the signal holds " + std::to_string(out.blocks) + " of the " +
                   std::to_string(p.averages) + " blocks asked for";
    const size_t span = (static_cast<size_t>(out.blocks) - 1) * step + n;

    // The sample nearest x is the group's middle; clamped so that every
    // block lies inside the signal.
    const double centre =
        std::clamp(std::round((x - sig.startX) / sig.stepX), 0.0, static_cast<double>(size));
    const auto half = static_cast<double>(span / 2);
    const double first = std::clamp(centre - half, 0.0, static_cast<double>(size - span));
    out.firstSample = static_cast<size_t>(first);
    out.middleX = sig.XOf(static_cast<double>(out.firstSample + span / 2));

    SpectrumResult r;
    const double* data = sig.samples.data();
    for (int b = 0; b < out.blocks; ++b) {
        const size_t o = out.firstSample + static_cast<size_t>(b) * step;
        const int code = PowerSpectrum({data + o, n}, sig.stepX, p.window, p.removeMean, r);
        if (code != kDspOk) return Failed(DspCodeText(code));
        if (b == 0) {
            out.power = r.power;
        } else {
            for (size_t k = 0; k < r.power.size(); ++k) out.power[k] += r.power[k];
        }
    }
    if (out.blocks > 1)
        for (double& v : out.power) v /= out.blocks;

    out.df = r.df;
    std::string unit = sig.unit;
    if (p.integrate > 0) {
        const Integration in = IntegrationOf(sig.unit, p.integrate, out.power.size(), r.df);
        if (!in.error.empty()) return Failed(in.error);
        for (size_t k = 0; k < out.power.size(); ++k) out.power[k] *= in.weight[k];
        unit = in.unit;
    }
    SpectralResolution& res = out.resolution;
    res.n = p.n;
    res.step = static_cast<int>(step);
    res.averages = out.blocks;
    res.df = r.df;
    res.enbwLines = r.enbw;
    res.rbw = r.enbw * r.df;
    res.rmscoef = r.rmscoef;
    res.blockSeconds = static_cast<double>(n) * sig.stepX;

    const AmplitudeScaler scale(p, r.df, r.enbw);
    out.values.resize(out.power.size());
    std::transform(out.power.begin(), out.power.end(), out.values.begin(), scale);
    out.unit = scale.Unit(unit);
    out.levelUnit = unit;
    return out;
}

Spectrum SpectrumAt(const SignalObj& s, double x, const SpectrumParams& p) {
    return SpectrumAt(SignalSnapshot::Of(s), x, p);
}

double BandRms(const Spectrum& s, double lo, double hi) {
    const double df = s.df;
    const auto count = static_cast<int64_t>(s.power.size());
    if (!(df > 0.0) || count < 2 || std::isnan(lo) || std::isnan(hi)) return 0.0;
    // The engine's rounding, step for step, so that both pick the same lines.
    auto line = [](double v) { return static_cast<int64_t>(std::clamp(v, -1e15, 1e15)); };
    int64_t a = line(lo / df + 0.5);
    if (static_cast<double>(a) * df > lo) --a;
    int64_t b = line(hi / df + 0.5);
    if (hi > static_cast<double>(b) * df) ++b;
    if (!(a < count && b > 0)) return 0.0;
    a = std::max<int64_t>(a, 1);
    b = std::min<int64_t>(b, count - 1);
    double sum = 0.0;
    for (int64_t i = a; i <= b; ++i) sum += s.power[static_cast<size_t>(i)];
    return std::sqrt(std::max(sum, 0.0)) * s.resolution.rmscoef;
}

}  // namespace korvex
