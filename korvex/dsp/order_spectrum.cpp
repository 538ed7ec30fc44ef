// Order spectra over whole revolutions, order cuts and the synchronous
// average.

#include "korvex/dsp/order_spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "korvex/dsp/dsp.h"

namespace korvex {

namespace {

using std::numbers::pi;

// The spectrum's periodic windows (spectrum.cpp), so a tone on a line of an
// order spectrum leaks as it does in a spectrum.
std::vector<double> MakeWindow(int type, size_t n) {
    std::vector<double> w(n, 1.0);
    const double dn = static_cast<double>(n);
    for (size_t i = 0; i < n; ++i) {
        const double x = 2.0 * pi * static_cast<double>(i) / dn;
        switch (type) {
            case 2:
                w[i] = 1.0 - std::abs(2.0 * static_cast<double>(i) / dn - 1.0);
                break;
            case 3:
                w[i] = 0.5 - 0.5 * std::cos(x);
                break;
            case 4:
                w[i] = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
                break;
            case 5:
                w[i] = 0.21557895 - 0.41663158 * std::cos(x) + 0.277263158 * std::cos(2.0 * x) -
                       0.083578947 * std::cos(3.0 * x) + 0.006947368 * std::cos(4.0 * x);
                break;
            default:
                break;
        }
    }
    return w;
}

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// One real transform of a fixed size with its buffers.
class RealFft {
  public:
    explicit RealFft(size_t n)
        : in_(fftw_alloc_real(n)), out_(fftw_alloc_complex(n / 2 + 1)) {
        if (!in_ || !out_) return;
        std::lock_guard lock(FftwPlannerMutex());
        plan_ = fftw_plan_dft_r2c_1d(static_cast<int>(n), in_.get(), out_.get(), FFTW_ESTIMATE);
    }
    ~RealFft() {
        if (!plan_) return;
        std::lock_guard lock(FftwPlannerMutex());
        fftw_destroy_plan(plan_);
    }
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    bool Ok() const { return plan_ != nullptr; }
    double* In() { return in_.get(); }
    const fftw_complex* Run() {
        fftw_execute(plan_);
        return out_.get();
    }

  private:
    std::unique_ptr<double, FftwFree> in_;
    std::unique_ptr<fftw_complex, FftwFree> out_;
    fftw_plan plan_ = nullptr;
};

std::string CheckParams(const OrderSpectrumParams& p, int perRev) {
    if (p.revs < 1 || p.revs > 65536) return "revolutions per spectrum must be 1 to 65536";
    if (p.window < 1 || p.window > 5) return "window must be 1 to 5";
    if (!(p.overlap >= 0.0 && p.overlap < 100.0)) return "overlap must be 0 to below 100 %";
    if (!(p.maxOrder > 0.0) || p.maxOrder > 0.5 * perRev)
        return "the highest order must be above 0 and at most half the samples per revolution";
    if (static_cast<double>(p.revs) * perRev > (1 << 26)) return "spectra too long";
    return {};
}

}  // namespace

OrderSpectra ComputeOrderSpectra(const AngleSignal& sig, const AngleTrack& track,
                                 const OrderSpectrumParams& p) {
    OrderSpectra out;
    out.error = CheckParams(p, sig.perRev);
    if (!out.error.empty()) return out;
    const size_t perRev = static_cast<size_t>(sig.perRev), n = perRev * p.revs;
    const size_t have = sig.x.size() / perRev;
    if (have < static_cast<size_t>(p.revs)) {
        out.error = "the channel holds " + std::to_string(have) +
                    " whole revolutions, fewer than " + std::to_string(p.revs) +
                    " for one spectrum";
        return out;
    }
    out.revs = p.revs;
    out.perRev = sig.perRev;
    out.lines = std::min(n / 2, static_cast<size_t>(std::floor(p.maxOrder * p.revs + 1e-9))) + 1;
    const std::vector<double> w = MakeWindow(p.window, n);
    double sum = 0.0, sumSq = 0.0;
    for (double v : w) {
        sum += v;
        sumSq += v * v;
    }
    out.rmscoef = 1.0 / std::sqrt(static_cast<double>(n) * sumSq / (sum * sum));
    // Whole revolutions between spectra, so each starts at a whole turn.
    const size_t stepRevs =
        std::max<size_t>(1, static_cast<size_t>(std::lround(p.revs * (1.0 - p.overlap / 100.0))));
    const size_t rows = (have - p.revs) / stepRevs + 1;
    RealFft fft(n);
    if (!fft.Ok()) {
        out.error = "out of memory";
        return out;
    }
    out.time.resize(rows);
    out.speed.resize(rows);
    out.firstRev.resize(rows);
    out.power.resize(rows * out.lines);
    out.value.resize(rows * out.lines);
    // |X| * 2 / sum(w) is a line's peak amplitude; its RMS is that / sqrt(2).
    const double scale = std::sqrt(2.0) / sum;
    for (size_t row = 0; row < rows; ++row) {
        const size_t first = row * stepRevs * perRev;
        double* in = fft.In();
        for (size_t i = 0; i < n; ++i) in[i] = sig.x[first + i] * w[i];
        const fftw_complex* spec = fft.Run();
        const double rev0 = sig.firstRev + static_cast<double>(row * stepRevs);
        const double ta = track.TimeAt(rev0), tb = track.TimeAt(rev0 + p.revs);
        out.firstRev[row] = rev0;
        out.time[row] = track.TimeAt(rev0 + 0.5 * p.revs);
        out.speed[row] = tb > ta ? p.revs / (tb - ta) : 0.0;
        for (size_t k = 0; k < out.lines; ++k) {
            const double lineScale = (k == 0 || 2 * k == n) ? scale / std::sqrt(2.0) : scale;
            std::complex<double> v(spec[k][0] * lineScale, spec[k][1] * lineScale);
            // Refer the phase to the angle origin rather than the block's start.
            const double turn = static_cast<double>(k) / p.revs * rev0;
            v *= std::polar(1.0, -2.0 * pi * (turn - std::floor(turn)));
            out.power[row * out.lines + k] = std::norm(v);
            out.value[row * out.lines + k] = std::complex<float>(v);
        }
    }
    return out;
}

OrderCut CutOrder(const OrderSpectra& s, double order, double width) {
    OrderCut cut;
    cut.order = order;
    if (s.lines == 0) return cut;
    const double r = s.revs;
    const auto clampLine = [&s](double v) {
        return static_cast<size_t>(std::clamp(v, 0.0, static_cast<double>(s.lines - 1)));
    };
    const size_t centre = clampLine(std::round(order * r));
    const double half = 0.5 * std::max(0.0, width);
    size_t lo = clampLine(std::ceil((order - half) * r - 1e-9));
    size_t hi = clampLine(std::floor((order + half) * r + 1e-9));
    if (hi < lo) lo = hi = centre;
    cut.rms.resize(s.Rows());
    cut.phase.resize(s.Rows());
    if (!(order >= 0.0) || order * r > static_cast<double>(s.lines - 1) + 0.5) {
        // Beyond the spectra's highest order nothing was measured.
        std::fill(cut.rms.begin(), cut.rms.end(), std::nan(""));
        std::fill(cut.phase.begin(), cut.phase.end(), std::nan(""));
        return cut;
    }
    for (size_t row = 0; row < s.Rows(); ++row) {
        if (lo == hi) {
            cut.rms[row] = std::sqrt(s.Power(row, centre));
        } else {
            double p = 0.0;
            for (size_t k = lo; k <= hi; ++k) p += s.Power(row, k);
            cut.rms[row] = std::sqrt(p) * s.rmscoef;
        }
        const std::complex<float> v = s.value[row * s.lines + centre];
        double deg = std::arg(std::complex<double>(v)) * 180.0 / pi;
        if (deg <= -180.0) deg += 360.0;
        cut.phase[row] = deg;
    }
    return cut;
}

SyncAverage SynchronousAverage(std::span<const double> x, double t0, double dt,
                               const AngleTrack& track, double ratio, int perRev, int maxRevs) {
    SyncAverage out;
    out.perRev = perRev;
    if (!(ratio > 0.0) || !std::isfinite(ratio) || perRev < 8) {
        out.error = "the shaft ratio must be a positive number and 8 or more samples a turn";
        return out;
    }
    // Orders to a quarter of the samples per revolution pass unchanged.
    const AngleSignal a = ResampleToAngle(x, t0, dt, track.Scaled(ratio), perRev, 0.25 * perRev);
    if (!a.error.empty()) {
        out.error = a.error;
        return out;
    }
    const size_t per = static_cast<size_t>(perRev);
    size_t revs = a.x.size() / per;
    if (maxRevs > 0) revs = std::min(revs, static_cast<size_t>(maxRevs));
    out.revolutions = static_cast<int>(revs);
    out.average.assign(per, 0.0);
    out.residual.assign(per, 0.0);
    for (size_t r = 0; r < revs; ++r)
        for (size_t j = 0; j < per; ++j) out.average[j] += a.x[r * per + j];
    for (double& v : out.average) v /= static_cast<double>(revs);
    for (size_t r = 0; r < revs; ++r)
        for (size_t j = 0; j < per; ++j) {
            const double d = a.x[r * per + j] - out.average[j];
            out.residual[j] += d * d;
        }
    for (double& v : out.residual) v = std::sqrt(v / static_cast<double>(revs));
    return out;
}

}  // namespace korvex
