// Angle-domain resampling: the angle track (spline of time against
// revolutions), the speed-following anti-alias low-pass and the
// interpolation at equal angle steps.

#include "korvex/dsp/angle_resample.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/tacho_pulses.h"

namespace korvex {

namespace {

// Slope at x[0] of the cubic (or lower, with fewer knots) through the first
// knots: the clamped spline's end condition.
double EndSlope(const double* x, const double* y, size_t count) {
    const size_t m = std::min<size_t>(count, 4);
    // Derivative of the Lagrange polynomial through m points, at x[0].
    double slope = 0.0;
    for (size_t a = 0; a < m; ++a) {
        double da = 0.0;  // d/dx of basis a at x0
        for (size_t j = 0; j < m; ++j) {
            if (j == a) continue;
            double term = 1.0 / (x[a] - x[j]);
            for (size_t b = 0; b < m; ++b)
                if (b != a && b != j) term *= (x[0] - x[b]) / (x[a] - x[b]);
            da += term;
        }
        slope += y[a] * da;
    }
    return slope;
}

bool Rising(const std::vector<double>& v) {
    for (size_t k = 1; k < v.size(); ++k)
        if (!(v[k] > v[k - 1])) return false;
    return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

}  // namespace

bool AngleTrack::Build(std::vector<double> revs, std::vector<double> times) {
    r_.clear();
    t_.clear();
    m_.clear();
    const size_t n = revs.size();
    if (n < 2 || times.size() != n || !Rising(revs) || !Rising(times)) return false;
    r_ = std::move(revs);
    t_ = std::move(times);
    m_.assign(n, 0.0);
    if (n == 2) return true;
    // Clamped cubic spline: tridiagonal system in the second derivatives.
    std::vector<double> rr(r_.rbegin(), r_.rend()), tr(t_.rbegin(), t_.rend());
    const double s0 = EndSlope(r_.data(), t_.data(), n);
    const double s1 = EndSlope(rr.data(), tr.data(), n);
    std::vector<double> diag(n), upper(n), rhs(n);
    auto h = [this](size_t k) { return r_[k + 1] - r_[k]; };
    auto slope = [this, &h](size_t k) { return (t_[k + 1] - t_[k]) / h(k); };
    diag[0] = 2.0 * h(0);
    upper[0] = h(0);
    rhs[0] = 6.0 * (slope(0) - s0);
    for (size_t k = 1; k + 1 < n; ++k) {
        diag[k] = 2.0 * (h(k - 1) + h(k));
        upper[k] = h(k);
        rhs[k] = 6.0 * (slope(k) - slope(k - 1));
    }
    diag[n - 1] = 2.0 * h(n - 2);
    rhs[n - 1] = 6.0 * (s1 - slope(n - 2));
    // Thomas algorithm; the lower diagonal equals the upper one shifted.
    for (size_t k = 1; k < n; ++k) {
        const double w = h(k - 1) / diag[k - 1];
        diag[k] -= w * upper[k - 1];
        rhs[k] -= w * rhs[k - 1];
    }
    m_[n - 1] = rhs[n - 1] / diag[n - 1];
    for (size_t k = n - 1; k-- > 0;) m_[k] = (rhs[k] - upper[k] * m_[k + 1]) / diag[k];
    return true;
}

AngleTrack AngleTrack::Scaled(double ratio) const {
    AngleTrack s = *this;
    for (double& r : s.r_) r *= ratio;
    for (double& m : s.m_) m /= ratio * ratio;
    return s;
}

size_t AngleTrack::Segment(double rev, size_t hint) const {
    const size_t last = r_.size() - 2;
    if (hint <= last && rev >= r_[hint] && rev <= r_[hint + 1]) return hint;
    if (hint + 1 <= last && rev >= r_[hint + 1] && rev <= r_[hint + 2]) return hint + 1;
    const auto it = std::upper_bound(r_.begin(), r_.end(), rev);
    const size_t k = it == r_.begin() ? 0 : static_cast<size_t>(it - r_.begin()) - 1;
    return std::min(k, last);
}

double AngleTrack::Eval(size_t k, double rev) const {
    const double h = r_[k + 1] - r_[k];
    const double a = (r_[k + 1] - rev) / h, b = 1.0 - a;
    // Beyond the ends the end segments continue as straight lines.
    if (a > 1.0 || b > 1.0) {
        const double d = a > 1.0 ? (t_[1] - t_[0]) / h - h * (2.0 * m_[0] + m_[1]) / 6.0
                                 : (t_[k + 1] - t_[k]) / h + h * (m_[k] + 2.0 * m_[k + 1]) / 6.0;
        return a > 1.0 ? t_[0] + d * (rev - r_[0]) : t_[k + 1] + d * (rev - r_[k + 1]);
    }
    return a * t_[k] + b * t_[k + 1] +
           ((a * a * a - a) * m_[k] + (b * b * b - b) * m_[k + 1]) * h * h / 6.0;
}

double AngleTrack::TimeAt(double rev) const {
    return Eval(Segment(rev, 0), rev);
}

double AngleTrack::SpeedAt(double rev) const {
    const size_t k = Segment(rev, 0);
    const double h = r_[k + 1] - r_[k];
    const double a = std::clamp((r_[k + 1] - rev) / h, 0.0, 1.0), b = 1.0 - a;
    const double d = (t_[k + 1] - t_[k]) / h - (3.0 * a * a - 1.0) / 6.0 * h * m_[k] +
                     (3.0 * b * b - 1.0) / 6.0 * h * m_[k + 1];
    return d > 0.0 ? 1.0 / d : 0.0;
}

void AngleTrack::TimesAt(double rev0, double step, size_t n, double* out) const {
    size_t k = Segment(rev0, 0);
    double prev = -INFINITY;
    for (size_t j = 0; j < n; ++j) {
        const double rev = rev0 + step * static_cast<double>(j);
        k = Segment(rev, k);
        prev = std::max(prev, Eval(k, rev));
        out[j] = prev;
    }
}

namespace {

struct PulseTrain {
    std::vector<double> raw, edges;  // the trigger's edges, and after the repair
    tacho::RepairCounts counts;
    double startLo = 0.0, startHi = 0.0;  // the trigger's levels at the first sample
    bool Clean() const {
        return counts.missing + counts.extra + counts.rejected + counts.irregular == 0;
    }
};

PulseTrain Pulses(std::span<const double> x, double t0, double dt,
                  const tacho::TriggerLevels& levels, const TachoAngleParams& p) {
    PulseTrain t;
    t.startLo = levels.Lo(0);
    t.startHi = levels.Hi(0);
    t.raw = tacho::FindEdges(x, t0, dt, levels, p.falling, true);
    t.edges = t.raw;
    if (p.repair && t.raw.size() > 2) {
        const std::vector<double> widths =
            tacho::PulseWidths(t.raw, tacho::FindEdges(x, t0, dt, levels, !p.falling, true));
        t.edges = tacho::RepairEdges(t.raw, widths, tacho::RepairRules{}, t.counts);
    }
    return t;
}

double MedianPeriod(const std::vector<double>& e) {
    std::vector<double> periods;
    for (size_t k = 1; k < e.size(); ++k) periods.push_back(e[k] - e[k - 1]);
    return tacho::Median(std::move(periods));
}

// A record that starts on a mark: the pulse is already past its arming level
// at the first sample (no edge can be found there) and the train,
// extrapolated back over a period with its trend, puts an edge at the
// start. That mark is angle 0.
bool MarkAtStart(const PulseTrain& t, std::span<const double> x, double t0, double dt,
                 bool falling) {
    const std::vector<double>& e = t.edges;
    if (e.size() < 3 || (falling ? x[0] >= t.startHi : x[0] <= t.startLo)) return false;
    const double period = e[1] - e[0];
    const double before = 3.0 * e[0] - 3.0 * e[1] + e[2];
    return before >= t0 - std::max(0.05 * period, 3.0 * dt) && before <= e[0] - 0.5 * period;
}

}  // namespace

AngleTrackResult TachoAngle(std::span<const double> x, double t0, double dt,
                            const TachoAngleParams& p) {
    AngleTrackResult out;
    if (x.size() < 2 || !(dt > 0.0) || p.pulsesPerRev < 1) {
        out.error = "the tacho holds too few samples";
        return out;
    }
    for (double v : x)
        if (!std::isfinite(v)) {
            out.error = "the tacho holds a sample that is not a number";
            return out;
        }
    PulseTrain train;
    if (p.relative) {
        // Levels from the whole record's states first; a train that needs
        // any repair with them is found again with levels that follow the
        // baseline, as the tacho does (a clean one is the same either way).
        const auto [l0, h0] = tacho::StateLevels(x);
        const tacho::TriggerLevels whole(l0 + (h0 - l0) * p.levelLo / 100.0,
                                         l0 + (h0 - l0) * p.levelHi / 100.0);
        train = Pulses(x, t0, dt, whole, p);
        if ((!p.repair || !train.Clean()) && train.raw.size() >= 3)
            train = Pulses(
                x, t0, dt,
                tacho::LocalLevels(x, p.levelLo, p.levelHi, MedianPeriod(train.raw) / dt), p);
    } else {
        train = Pulses(x, t0, dt, tacho::TriggerLevels(p.levelLo, p.levelHi), p);
    }
    out.edges = static_cast<int>(train.raw.size());
    const tacho::RepairCounts& counts = train.counts;
    out.repaired = counts.missing + counts.extra + counts.rejected;
    // As the tacho judges a pulse train: pulses too short to time, or too
    // many repairs, make no angle at all.
    if (p.repair && train.raw.size() > 8) {
        if (MedianPeriod(train.raw) < 4.0 * dt) {
            out.error = "the tacho's pulses come too fast for its sample rate";
            return out;
        }
        if (out.repaired + counts.irregular > 0.25 * static_cast<double>(train.raw.size() - 1)) {
            out.error = "the tacho's edges are too irregular to be pulses";
            return out;
        }
    }
    std::vector<double>& edges = train.edges;
    if (edges.size() < 2) {
        out.error = edges.empty() ? "no pulses in the tacho" : "a single pulse in the tacho";
        return out;
    }
    const size_t first = MarkAtStart(train, x, t0, dt, p.falling) ? 1 : 0;
    std::vector<double> revs(edges.size());
    for (size_t k = 0; k < edges.size(); ++k)
        revs[k] = static_cast<double>(k + first) / static_cast<double>(p.pulsesPerRev);
    if (!out.track.Build(std::move(revs), std::move(edges)))
        out.error = "the tacho's pulses do not follow each other";
    return out;
}

AngleTrackResult SpeedAngle(std::span<const double> hz, double t0, double dt, double toHz) {
    AngleTrackResult out;
    if (hz.size() < 2 || !(dt > 0.0) || !(toHz > 0.0)) {
        out.error = "the speed signal holds too few samples";
        return out;
    }
    std::vector<double> revs{0.0}, times{t0};
    double rev = 0.0;
    for (size_t i = 1; i < hz.size(); ++i) {
        const double a = hz[i - 1], b = hz[i];
        if (!std::isfinite(a) || !std::isfinite(b)) {
            out.error = "the speed signal holds a sample that is not a number";
            return out;
        }
        rev += 0.5 * (std::max(a, 0.0) + std::max(b, 0.0)) * toHz * dt;
        if (rev - revs.back() >= 0.125 || (i + 1 == hz.size() && rev > revs.back())) {
            revs.push_back(rev);
            times.push_back(t0 + static_cast<double>(i) * dt);
        }
    }
    if (revs.size() < 2) {
        out.error = "the shaft does not turn in the speed signal";
        return out;
    }
    out.track.Build(std::move(revs), std::move(times));
    return out;
}

int SamplesPerRev(double maxOrder) {
    int s = 16;
    while (s < 4.0 * maxOrder && s < (1 << 20)) s *= 2;
    return s;
}

namespace {

using std::numbers::pi;

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// The zero-phase low-pass of the record, a stretch at a time; see the header.
class SpeedFollowingLowPass {
  public:
    static constexpr size_t kHop = 3584;       // 140 ms at 25.6 kHz, a transform of 8192 with room
    static constexpr size_t kMaxSize = 32768;  // longest transform
    static constexpr long kMaxPad = static_cast<long>(kMaxSize - 2 * kHop) / 2;

    // The filtered record a stretch at a time, in a sliding window: y holds
    // samples base .. base + y.size() - 1, final below `ready`. The consumer
    // is called after each stretch and returns the first sample it will
    // still read, so the window never holds the whole record.
    struct Window {
        std::vector<double> y;
        long base = 0;
    };
    using Consumer = std::function<long(const Window& w, long ready)>;

    SpeedFollowingLowPass(const AngleTrack& track, double dt, int perRev, double maxOrder)
        : track_(track), dt_(dt), perRev_(perRev), maxOrder_(maxOrder) {}

    // False when out of memory. warnings counts stretches whose speed
    // changed too much for a clean cut.
    bool Run(std::span<const double> x, double t0, const Consumer& consume, int& warnings);

  private:
    void SpeedRange(double ta, double tb, double& lo, double& hi);
    bool Plan(size_t size);

    const AngleTrack& track_;
    double dt_;
    int perRev_;
    double maxOrder_;
    size_t cursor_ = 0;  // knot interval the last speed range started in
    size_t size_ = 0;
    std::unique_ptr<double, FftwFree> buf_;
    std::unique_ptr<fftw_complex, FftwFree> spec_;
    fftw_plan fwd_ = nullptr, inv_ = nullptr;

  public:
    ~SpeedFollowingLowPass() {
        std::lock_guard lock(FftwPlannerMutex());
        if (fwd_) fftw_destroy_plan(fwd_);
        if (inv_) fftw_destroy_plan(inv_);
    }
};

// Slowest and fastest speed (Hz) of the knot intervals that meet [ta, tb].
void KnotSpeedRange(const std::vector<double>& r, const std::vector<double>& t, size_t& cursor,
                    double ta, double tb, double& lo, double& hi) {
    const size_t last = t.size() - 2;
    while (cursor < last && t[cursor + 1] < ta) ++cursor;
    lo = INFINITY;
    hi = 0.0;
    for (size_t k = cursor; k <= last; ++k) {
        const double v = (r[k + 1] - r[k]) / (t[k + 1] - t[k]);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (t[k + 1] >= tb) break;
    }
}

void SpeedFollowingLowPass::SpeedRange(double ta, double tb, double& lo, double& hi) {
    KnotSpeedRange(track_.Revs(), track_.Times(), cursor_, ta, tb, lo, hi);
}

bool SpeedFollowingLowPass::Plan(size_t size) {
    if (size == size_) return true;
    std::lock_guard lock(FftwPlannerMutex());
    if (fwd_) fftw_destroy_plan(fwd_);
    if (inv_) fftw_destroy_plan(inv_);
    fwd_ = inv_ = nullptr;
    size_ = 0;
    buf_.reset(fftw_alloc_real(size));
    spec_.reset(fftw_alloc_complex(size / 2 + 1));
    if (!buf_ || !spec_) return false;
    const int n = static_cast<int>(size);
    fwd_ = fftw_plan_dft_r2c_1d(n, buf_.get(), spec_.get(), FFTW_ESTIMATE);
    inv_ = fftw_plan_dft_c2r_1d(n, spec_.get(), buf_.get(), FFTW_ESTIMATE);
    if (!fwd_ || !inv_) return false;
    size_ = size;
    return true;
}

// The low-pass on a transform of `size` real samples: the pass band only
// scaled (norm undoes the transform's gain), a raised-cosine transition from
// pass to edge (Hz), nothing above.
void ShapeSpectrum(fftw_complex* c, size_t size, double df, double pass, double edge, double norm) {
    const size_t lines = size / 2 + 1;
    const size_t kp = std::min(lines, static_cast<size_t>(pass / df) + 1);
    const size_t ks = std::min(lines, static_cast<size_t>(std::ceil(edge / df)));
    for (size_t k = 0; k < kp; ++k) {
        c[k][0] *= norm;
        c[k][1] *= norm;
    }
    for (size_t k = kp; k < ks; ++k) {
        const double f = static_cast<double>(k) * df;
        const double g = norm * (0.5 + 0.5 * std::cos(pi * (f - pass) / (edge - pass)));
        c[k][0] *= g;
        c[k][1] *= g;
    }
    for (size_t k = ks; k < lines; ++k) c[k][0] = c[k][1] = 0.0;
}

bool SpeedFollowingLowPass::Run(std::span<const double> x, double t0, const Consumer& consume,
                                int& warnings) {
    const size_t n = x.size(), hop = kHop, len = 2 * kHop;
    const double fs = 1.0 / dt_, nyq = 0.5 * fs, m = maxOrder_;
    const double fold = static_cast<double>(perRev_) - m;  // first order that folds onto m
    Window w;
    std::vector<double> window(len);
    for (size_t i = 0; i < len; ++i)
        window[i] = 0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(i) / len);
    // Stretches start one hop before the record so every sample is covered twice.
    for (long start = -static_cast<long>(hop); start < static_cast<long>(n);
         start += static_cast<long>(hop)) {
        const double ta = t0 + static_cast<double>(start) * dt_;
        double lo = 0, hi = 0;
        SpeedRange(ta, ta + static_cast<double>(len) * dt_, lo, hi);
        const double pass = m * hi, stop = fold * lo;
        const size_t i0 = static_cast<size_t>(std::max(0L, start));
        const size_t i1 = std::min(n, static_cast<size_t>(start + static_cast<long>(len)));
        const long next = start + static_cast<long>(hop);
        const long ready = next >= static_cast<long>(n) ? static_cast<long>(n) : next - kMaxPad;
        auto reach = [&w](long to) {
            if (to - w.base > static_cast<long>(w.y.size()))
                w.y.resize(static_cast<size_t>(to - w.base), 0.0);
        };
        auto handOver = [&w, &consume, ready] {
            const long need = consume(w, ready);
            // Drop what is no longer read, a large piece at a time.
            if (need - w.base > static_cast<long>(1u << 18)) {
                w.y.erase(w.y.begin(), w.y.begin() + (need - w.base));
                w.base = need;
            }
        };
        if (stop >= nyq) {  // nothing can fold back: the stretch passes as it is
            reach(static_cast<long>(i1));
            double* y = w.y.data() - w.base;
            for (size_t i = i0; i < i1; ++i) y[i] += x[i] * window[i - start];
            handOver();
            continue;
        }
        double edge = stop;
        if (!(stop > pass * 1.05)) {
            ++warnings;
            edge = pass * 1.05;
        }
        // Room for the filter's response on both sides of the stretch.
        size_t size = 8192;
        while (size < len + 4.0 * fs / (edge - pass) && size < kMaxSize) size *= 2;
        if (!Plan(size)) return false;
        double* b = buf_.get();
        std::fill(b, b + size, 0.0);
        const size_t pad = (size - len) / 2;
        for (size_t i = i0; i < i1; ++i) b[pad + i - start] = x[i] * window[i - start];
        fftw_execute_dft_r2c(fwd_, b, spec_.get());
        const double df = fs / static_cast<double>(size), norm = 1.0 / static_cast<double>(size);
        ShapeSpectrum(spec_.get(), size, df, pass, edge, norm);
        fftw_execute_dft_c2r(inv_, spec_.get(), b);
        const long from = std::max(0L, start - static_cast<long>(pad));
        const long to = std::min(static_cast<long>(n),
                                 start - static_cast<long>(pad) + static_cast<long>(size));
        reach(to);
        double* y = w.y.data() - w.base;
        for (long i = from; i < to; ++i) y[i] += b[i - start + static_cast<long>(pad)];
        handOver();
    }
    return true;
}

// Band-limited interpolation: a Kaiser-windowed sinc of 24 taps (beta 7.5),
// tabulated at 1024 fractional positions and interpolated linearly between
// them. Flat within 0.002 dB up to 0.4 of the sample rate.
class SincInterpolator {
  public:
    static constexpr int kHalf = 12, kPhases = 1024;

    SincInterpolator() : table_((kPhases + 1) * 2 * kHalf) {
        const double beta = 7.5;
        for (int p = 0; p <= kPhases; ++p) {
            const double mu = static_cast<double>(p) / kPhases;
            for (int j = -kHalf + 1; j <= kHalf; ++j) {
                const double d = j - mu, r = d / kHalf;
                const double sinc = d == 0.0 ? 1.0 : std::sin(pi * d) / (pi * d);
                const double w =
                    std::cyl_bessel_i(0.0, beta * std::sqrt(std::max(0.0, 1 - r * r))) /
                    std::cyl_bessel_i(0.0, beta);
                table_[p * 2 * kHalf + (j + kHalf - 1)] = sinc * w;
            }
        }
    }

    // x at fractional index u (samples beyond the ends repeat the end ones).
    double At(std::span<const double> x, double u) const {
        const double fl = std::floor(u);
        const double pos = (u - fl) * kPhases;
        const int p = std::min(kPhases - 1, static_cast<int>(pos));
        const double f = pos - p;
        const double* a = &table_[p * 2 * kHalf];
        const double* b = a + 2 * kHalf;
        const long first = static_cast<long>(fl) - kHalf + 1;
        const long last = static_cast<long>(x.size()) - 1;
        // The kernel between the two tabulated phases, then four running
        // sums so the products do not wait on one chain of additions.
        double h[2 * kHalf];
        for (int j = 0; j < 2 * kHalf; ++j) h[j] = a[j] + f * (b[j] - a[j]);
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        if (first >= 0 && first + 2 * kHalf - 1 <= last) {
            const double* v = x.data() + first;
            for (int j = 0; j < 2 * kHalf; j += 4) {
                s0 += h[j] * v[j];
                s1 += h[j + 1] * v[j + 1];
                s2 += h[j + 2] * v[j + 2];
                s3 += h[j + 3] * v[j + 3];
            }
        } else {
            for (int j = 0; j < 2 * kHalf; ++j)
                s0 += h[j] * x[static_cast<size_t>(std::clamp(first + j, 0L, last))];
        }
        return (s0 + s1) + (s2 + s3);
    }

  private:
    std::vector<double> table_;
};

}  // namespace

AngleSignal ResampleToAngle(std::span<const double> x, double t0, double dt,
                            const AngleTrack& track, int perRev, double maxOrder) {
    AngleSignal out;
    out.perRev = perRev;
    if (track.Empty() || x.size() < 2 || !(dt > 0.0)) {
        out.error = "no angle track or no samples";
        return out;
    }
    if (!(maxOrder > 0.0) || perRev < 2.5 * maxOrder) {
        out.error = "too few samples per revolution for the highest order";
        return out;
    }
    const double tEnd = t0 + static_cast<double>(x.size() - 1) * dt;
    // Whole revolutions inside both the track and the channel.
    double r0 = std::ceil(track.FirstRev()), r1 = std::floor(track.LastRev());
    while (r0 <= r1 && track.TimeAt(r0) < t0) r0 += 1.0;
    while (r1 >= r0 && track.TimeAt(r1) > tEnd) r1 -= 1.0;
    if (!(r1 > r0)) {
        out.error = "the tacho covers no whole revolution of the channel";
        return out;
    }
    const size_t count = static_cast<size_t>(r1 - r0) * static_cast<size_t>(perRev);
    out.x.resize(count);
    track.TimesAt(r0, 1.0 / perRev, count, out.x.data());
    // The times become samples as the filtered record reaches them.
    static const SincInterpolator interpolate;
    constexpr long reachBack = SincInterpolator::kHalf, reachOn = SincInterpolator::kHalf + 1;
    size_t j = 0;
    auto consume = [&](const SpeedFollowingLowPass::Window& w, long ready) {
        const bool all = ready >= static_cast<long>(x.size());
        for (; j < count; ++j) {
            const double u = (out.x[j] - t0) / dt;
            const long i = static_cast<long>(std::floor(u));
            if (!all && i + reachOn >= ready) return std::max(w.base, i - reachBack);
            out.x[j] = interpolate.At(w.y, u - static_cast<double>(w.base));
        }
        return ready;
    };
    SpeedFollowingLowPass lowPass(track, dt, perRev, maxOrder);
    if (!lowPass.Run(x, t0, consume, out.aliasWarnings)) {
        out.error = "out of memory";
        return out;
    }
    out.firstRev = r0;
    return out;
}

}  // namespace korvex
