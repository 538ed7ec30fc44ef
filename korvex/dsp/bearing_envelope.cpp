// Band selection in the record's spectrum, the band's envelope and the
// averaged spectra of the envelope and of the record.

#include "korvex/dsp/bearing_envelope.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "korvex/dsp/dsp.h"

namespace korvex {

namespace {

struct PlanDeleter {
    void operator()(fftw_plan_s* p) const {
        std::lock_guard lock(FftwPlannerMutex());
        fftw_destroy_plan(p);
    }
};
using PlanPtr = std::unique_ptr<fftw_plan_s, PlanDeleter>;

// Backward complex plans by size, per thread: a kurtogram asks for a few
// dozen sizes, each many times. Unaligned so they run on any vector.
fftw_plan BackwardPlan(size_t n) {
    thread_local std::map<size_t, PlanPtr> plans;
    auto it = plans.find(n);
    if (it != plans.end()) return it->second.get();
    if (plans.size() >= 128) plans.clear();
    std::vector<std::complex<double>> a(n), b(n);
    fftw_plan p = nullptr;
    {
        std::lock_guard lock(FftwPlannerMutex());
        p = fftw_plan_dft_1d(static_cast<int>(n), reinterpret_cast<fftw_complex*>(a.data()),
                             reinterpret_cast<fftw_complex*>(b.data()), FFTW_BACKWARD,
                             FFTW_ESTIMATE | FFTW_UNALIGNED);
    }
    if (!p) return nullptr;
    return plans.emplace(n, PlanPtr(p)).first->second.get();
}

// Forward real plans by size, per thread: the engine's blocks are all alike.
fftw_plan ForwardPlan(size_t n) {
    thread_local std::map<size_t, PlanPtr> plans;
    auto it = plans.find(n);
    if (it != plans.end()) return it->second.get();
    if (plans.size() >= 16) plans.clear();
    std::vector<double> a(n);
    std::vector<std::complex<double>> b(n / 2 + 1);
    fftw_plan p = nullptr;
    {
        std::lock_guard lock(FftwPlannerMutex());
        p = fftw_plan_dft_r2c_1d(static_cast<int>(n), a.data(),
                                 reinterpret_cast<fftw_complex*>(b.data()),
                                 FFTW_ESTIMATE | FFTW_UNALIGNED);
    }
    if (!p) return nullptr;
    return plans.emplace(n, PlanPtr(p)).first->second.get();
}

constexpr size_t kMinRecord = 64;
// Beyond this the record's transform alone would take gigabytes.
constexpr size_t kMaxRecord = size_t{1} << 26;

}  // namespace

size_t FftFriendlySize(size_t n) {
    if (n <= 1) return 1;
    for (size_t m = n;; ++m) {
        size_t r = m;
        for (size_t f : {2, 3, 5})
            while (r % f == 0) r /= f;
        if (r == 1) return m;
    }
}

std::string RecordSpectrum::Make(std::span<const double> x, double dt) {
    lines_.clear();
    n_ = 0;
    if (!(dt > 0.0) || !std::isfinite(dt)) return "the sample step is not a positive number";
    if (x.size() < kMinRecord) return "the record is too short (fewer than 64 samples)";
    if (x.size() > kMaxRecord) return "the record is too long for one transform; take a range";
    const size_t n = x.size();
    std::vector<double> in(x.begin(), x.end());
    lines_.resize(n / 2 + 1);
    fftw_plan p = ForwardPlan(n);
    if (!p) {
        lines_.clear();
        return "the transform could not be set up";
    }
    fftw_execute_dft_r2c(p, in.data(), reinterpret_cast<fftw_complex*>(lines_.data()));
    if (!std::isfinite(lines_[0].real()) || !std::isfinite(lines_[0].imag())) {
        lines_.clear();
        return "the record holds a sample that is not a finite number";
    }
    n_ = n;
    dt_ = dt;
    return {};
}

bool RecordSpectrum::BandSignal(size_t first, size_t last, size_t size,
                                std::vector<std::complex<double>>& out) const {
    if (first < 1 || last < first || last >= lines_.size() || size < last - first + 1) return false;
    fftw_plan p = BackwardPlan(size);
    if (!p) return false;
    thread_local std::vector<std::complex<double>> in;
    in.assign(size, {});
    // The analytic signal is twice the positive-frequency half, over n.
    const double scale = 2.0 / static_cast<double>(n_);
    for (size_t k = first; k <= last; ++k) in[k - first] = lines_[k] * scale;
    out.resize(size);
    fftw_execute_dft(p, reinterpret_cast<fftw_complex*>(in.data()),
                     reinterpret_cast<fftw_complex*>(out.data()));
    return true;
}

double ComplexKurtosis(std::span<const std::complex<double>> z) {
    double m2 = 0.0, m4 = 0.0;
    for (const std::complex<double>& v : z) {
        const double a = std::norm(v);
        m2 += a;
        m4 += a * a;
    }
    if (z.empty() || !(m2 > 0.0)) return 0.0;
    const double n = static_cast<double>(z.size());
    m2 /= n;
    m4 /= n;
    return m4 / (m2 * m2) - 2.0;
}

double AveragedSpectrum::Rms(size_t k) const {
    return k < power.size() ? std::sqrt(power[k]) : 0.0;
}

double AveragedSpectrum::Peak(size_t k) const {
    return k < power.size() ? std::sqrt(2.0 * power[k]) : 0.0;
}

int BlockEnvelope(std::span<const double> x, double dt, double lo, double hi,
                  std::vector<double>& envelope) {
    envelope.clear();
    if (x.size() < 2) return kDspTooShort;
    if (!(dt > 0.0) || !std::isfinite(dt)) return kDspBadStep;
    if (!(lo >= 0.0) || !(hi > lo) || hi > 0.5 / dt * (1.0 + 1e-9)) return kDspBadEnvelopeBand;
    thread_local RecordSpectrum r;
    if (!r.Make(x, dt).empty()) return x.size() < kMinRecord ? kDspTooShort : kDspBadSample;
    const double df = r.df();
    const size_t first = std::max<size_t>(1, static_cast<size_t>(std::ceil(lo / df - 1e-9)));
    const size_t last =
        std::min(r.lines().size() - 1, static_cast<size_t>(std::floor(hi / df + 1e-9)));
    envelope.assign(x.size(), 0.0);
    if (last < first) return kDspOk;  // no line in the band: nothing passes
    thread_local std::vector<std::complex<double>> z;
    if (!r.BandSignal(first, last, x.size(), z)) return kDspFftFailed;
    for (size_t i = 0; i < x.size(); ++i) envelope[i] = std::abs(z[i]);
    return kDspOk;
}

double DefaultEnvelopeResolution(double seconds) {
    double r = 0.5;
    // A short record takes coarser lines, so that it still holds two blocks
    // (with room for the block's rounding to a fast FFT size).
    while (r < 64.0 && 2.0 / r > 0.9 * seconds) r *= 2.0;
    while (r > 0.125 + 1e-12 && seconds >= 8.0 / (0.5 * r)) r *= 0.5;
    return r;
}

namespace {

// Welch's average of half-overlapping Hanning blocks of `block` samples,
// lines up to maxLine. The autospectrum's own code makes each block's power,
// so the amplitudes read as in the spectrum view.
AveragedSpectrum Welch(std::span<const double> x, double dt, size_t block, size_t maxLine) {
    AveragedSpectrum out;
    if (block < 8 || x.size() < 2 * block) {
        out.error =
            "the record is too short for the resolution (it must hold two blocks of "
            "1/resolution seconds)";
        return out;
    }
    const size_t step = block / 2;
    const size_t lines = std::min(block / 2 + 1, maxLine + 1);
    out.power.assign(lines, 0.0);
    SpectrumResult r;
    for (size_t first = 0; first + block <= x.size(); first += step) {
        if (PowerSpectrum(x.subspan(first, block), dt, 3, true, r) != kDspOk) {
            out.error = DspCodeText(r.state);
            out.power.clear();
            return out;
        }
        for (size_t k = 0; k < lines; ++k) out.power[k] += r.power[k];
        ++out.blocks;
        out.df = r.df;
        out.enbwLines = r.enbw;
    }
    for (double& p : out.power) p /= out.blocks;
    return out;
}

}  // namespace

EnvelopeSpectrum EnvelopeSpectrumOf(const RecordSpectrum& r, const EnvelopeSpectrumParams& p) {
    EnvelopeSpectrum out;
    auto fail = [&out](std::string why) {
        out.error = std::move(why);
        return out;
    };
    if (r.samples() == 0) return fail("no record");
    const double df0 = r.df();
    if (!(p.lo >= 0.0) || !(p.hi > p.lo)) return fail("the band needs 0 <= LO < HI");
    if (p.hi > r.nyquist() * (1.0 + 1e-9))
        return fail("the band's upper edge lies above the Nyquist frequency");
    const size_t first = std::max<size_t>(1, static_cast<size_t>(std::ceil(p.lo / df0 - 1e-9)));
    const size_t last =
        std::min(r.lines().size() - 1, static_cast<size_t>(std::floor(p.hi / df0 + 1e-9)));
    if (last < first + 3) return fail("the band is narrower than the record's line spacing");
    out.lo = static_cast<double>(first) * df0;
    out.hi = static_cast<double>(last) * df0;
    const double seconds = static_cast<double>(r.samples()) * r.dt();
    const double res = p.resolution > 0.0 ? p.resolution : DefaultEnvelopeResolution(seconds);
    // Four times the band's own rate: the magnitude's spectrum reaches past
    // the band's width, and what folds back then stays small. A band wider
    // than a quarter of the spectrum keeps the record's own rate (at least
    // twice its width), so a long record's envelope stays its own size.
    const size_t count = last - first + 1;
    const size_t size = FftFriendlySize(std::min(4 * count, r.samples()));
    std::vector<std::complex<double>> z;
    if (!r.BandSignal(first, last, size, z)) return fail("the transform could not be set up");
    out.envelopeRate = static_cast<double>(size) * df0;
    std::vector<double> e(size);
    double sum = 0.0;
    for (size_t i = 0; i < size; ++i) sum += e[i] = std::abs(z[i]);
    out.meanEnvelope = sum / static_cast<double>(size);
    for (double& v : e) v -= out.meanEnvelope;
    {
        // The kurtosis at the band's own rate, as the kurtogram sees it.
        std::vector<std::complex<double>> zc;
        if (r.BandSignal(first, last, count, zc)) out.kurtosis = ComplexKurtosis(zc);
    }
    const double edt = 1.0 / out.envelopeRate;
    const size_t block = FftFriendlySize(static_cast<size_t>(std::ceil(out.envelopeRate / res)));
    const size_t maxLine =
        static_cast<size_t>(std::floor((out.hi - out.lo) * static_cast<double>(block) * edt));
    AveragedSpectrum a = Welch(e, edt, block, maxLine);
    static_cast<AveragedSpectrum&>(out) = std::move(a);
    return out;
}

AveragedSpectrum AveragedSpectrumOf(std::span<const double> x, double dt, double resolution,
                                    double maxHz) {
    if (!(dt > 0.0) || !(resolution > 0.0)) {
        AveragedSpectrum out;
        out.error = "bad step or resolution";
        return out;
    }
    const size_t block = FftFriendlySize(static_cast<size_t>(std::ceil(1.0 / (dt * resolution))));
    const double nyq = 0.5 / dt;
    const double top = maxHz > 0.0 ? std::min(maxHz, nyq) : nyq;
    const size_t maxLine = static_cast<size_t>(std::floor(top * static_cast<double>(block) * dt));
    return Welch(x, dt, block, maxLine);
}

}  // namespace korvex
