// The tacho: trigger edges of a pulse signal, a revolution count that grows
// by one per edge, and per analysis block the revolutions counted across the
// block divided by its length.

#include <algorithm>
#include <cmath>

#include "korvex/dsp/dsp.h"

namespace korvex {

namespace {

// No edge for longer than this many times the neighbouring periods means the
// shaft stood still in between (or has stopped, at the record's ends).
constexpr double kStopRatio = 2.0;

// Edge times of the trigger. Armed once the signal is below the low level,
// an edge fires when it then reaches the high level (falling edges: the
// mirror image). Its time is where the signal crossed the middle of the two
// levels on the way, interpolated between the samples around that crossing,
// so every edge is timed the same way and a periodic signal gives exact
// periods whatever the hysteresis.
std::vector<double> FindEdges(std::span<const double> x, double t0, double dt, double lo, double hi,
                              bool falling) {
    const double s = falling ? -1.0 : 1.0;
    const double arm = falling ? -hi : lo;
    const double fire = falling ? -lo : hi;
    const double mid = 0.5 * (arm + fire);
    std::vector<double> edges;
    bool armed = false;
    size_t lastBelow = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double v = s * x[i];
        if (!armed) {
            if (v < arm) {
                armed = true;
                lastBelow = i;
            }
            continue;
        }
        if (v < mid) {
            lastBelow = i;
        } else if (v >= fire) {
            const double a = s * x[lastBelow], b = s * x[lastBelow + 1];
            const double frac = b > a ? (mid - a) / (b - a) : 0.0;
            edges.push_back(t0 + dt * (static_cast<double>(lastBelow) + frac));
            armed = false;
        }
    }
    return edges;
}

// The revolution count as a function of time: edge k is at count k, between
// edges a local cubic through the neighbouring edges (exact for a constant
// acceleration), in a stop gap half a revolution at the speed before, then
// rest, then half a revolution at the speed after.
class Phase {
  public:
    Phase(const std::vector<double>& e, double tFirst, double tLast) : e_(e), run_(e.size(), 0) {
        const size_t m = e.size();
        stop_.assign(m - 1, 0);
        for (size_t k = 1; k + 2 < m; ++k) {
            const double g = Gap(k);
            stop_[k] = g > kStopRatio * Gap(k - 1) && g > kStopRatio * Gap(k + 1);
        }
        // Runs: stretches of edges joined by ordinary gaps.
        for (size_t k = 1; k < m; ++k) run_[k] = stop_[k - 1] ? static_cast<int>(k) : run_[k - 1];
        runEnd_.assign(m, 0);
        runEnd_[m - 1] = static_cast<int>(m - 1);
        for (size_t k = m - 1; k-- > 0;)
            runEnd_[k] = stop_[k] ? static_cast<int>(k) : runEnd_[k + 1];
        runningAtStart_ = e.front() - tFirst <= kStopRatio * Gap(0);
        runningAtEnd_ = tLast - e.back() <= kStopRatio * Gap(m - 2);
    }

    double At(double t) const {
        const size_t m = e_.size();
        if (t <= e_.front()) {
            const double d = e_.front() - t, g = Gap(0);
            if (!runningAtStart_) return -std::min(0.5, d / g);
            const double c = Interpolate(0, std::min<int>(3, runEnd_[0]), 0, t);
            return std::clamp(c, -kStopRatio * d / g, -d / (kStopRatio * g));
        }
        if (t >= e_.back()) {
            const double d = t - e_.back(), g = Gap(m - 2);
            const double base = static_cast<double>(m - 1);
            if (!runningAtEnd_) return base + std::min(0.5, d / g);
            const int last = static_cast<int>(m - 1);
            const double c = Interpolate(std::max(run_[last], last - 3), last, last, t);
            return base + std::clamp(c, d / (kStopRatio * g), kStopRatio * d / g);
        }
        const size_t k =
            static_cast<size_t>(std::upper_bound(e_.begin(), e_.end(), t) - e_.begin()) - 1;
        const double base = static_cast<double>(k);
        if (stop_[k]) {
            return base + std::min(0.5, (t - e_[k]) / Gap(k - 1)) +
                   std::max(0.0, 0.5 - (e_[k + 1] - t) / Gap(k + 1));
        }
        const int ki = static_cast<int>(k);
        const int rs = run_[ki], re = runEnd_[ki];
        int i0 = ki - 1, i1 = ki + 2;
        if (i0 < rs) {
            i1 += rs - i0;
            i0 = rs;
        }
        if (i1 > re) {
            i0 = std::max(rs, i0 - (i1 - re));
            i1 = re;
        }
        return base + std::clamp(Interpolate(i0, i1, ki, t), 0.0, 1.0);
    }

  private:
    double Gap(size_t k) const { return e_[k + 1] - e_[k]; }

    // Lagrange polynomial through edges i0..i1 (counts relative to edge
    // `origin`, times relative to it too, for round-off), evaluated at t.
    double Interpolate(int i0, int i1, int origin, double t) const {
        const double to = e_[origin];
        double sum = 0.0;
        for (int a = i0; a <= i1; ++a) {
            double term = static_cast<double>(a - origin);
            if (term == 0.0) continue;
            for (int b = i0; b <= i1; ++b) {
                if (b != a) term *= ((t - to) - (e_[b] - to)) / (e_[a] - e_[b]);
            }
            sum += term;
        }
        return sum;
    }

    const std::vector<double>& e_;
    std::vector<char> stop_;   // per gap k (edges k, k+1): the shaft stood still
    std::vector<int> run_;     // per edge: first edge of its run
    std::vector<int> runEnd_;  // per edge: last edge of its run
    bool runningAtStart_ = true;
    bool runningAtEnd_ = true;
};

}  // namespace

int Tacho(std::span<const double> x, double startX, double dt, const OperatorParams& params,
          TachoResult& out) {
    out.values.clear();
    out.startX = 0.0;
    out.stepX = 0.0;
    out.edges = 0;
    const bool rpm = params.Number("typeAxesX", 1.0) == 2.0;
    out.unit = rpm ? "rpm" : "Hz";
    auto fail = [&out](int code) {
        out.state = code;
        return code;
    };
    const size_t n = x.size();
    if (n < 2) return fail(kDspTooShort);
    if (!(dt > 0.0) || !std::isfinite(dt) || !std::isfinite(startX)) return fail(kDspBadStep);
    const double deltaF = params.Number("deltaF", 1.0);
    if (!(deltaF > 0.0) || !std::isfinite(deltaF)) return fail(kDspBadDeltaF);
    const double coef = params.Number("coefTaho", 1.0) * (rpm ? 60.0 : 1.0);
    if (!std::isfinite(coef)) return fail(kDspBadCoef);

    double lo = params.Number("LevelLo", 30.0), hi = params.Number("LevelHi", 70.0);
    if (params.Number("flagAbsOtn", 1.0) != 0.0) {
        auto [mn, mx] = std::minmax_element(x.begin(), x.end());
        if (!std::isfinite(*mn) || !std::isfinite(*mx)) return fail(kDspBadSample);
        lo = *mn + (*mx - *mn) * lo / 100.0;
        hi = *mn + (*mx - *mn) * hi / 100.0;
    }
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) return fail(kDspBadLevels);
    for (double v : x)
        if (!std::isfinite(v)) return fail(kDspBadSample);

    // Blocks of whole samples; a record shorter than one block is one block.
    const double perBlock = std::floor(1.0 / (dt * deltaF) + 0.5);
    size_t points =
        perBlock >= static_cast<double>(n) ? n : std::max<size_t>(1, static_cast<size_t>(perBlock));
    int note = kDspOk;
    if (perBlock > static_cast<double>(n)) note = kDspShortRecord;
    const size_t blocks = n / points;
    const double blockLen = static_cast<double>(points) * dt;
    out.startX = startX + 0.5 * blockLen;
    out.stepX = blockLen;
    out.values.assign(blocks, 0.0);

    const std::vector<double> edges =
        FindEdges(x, startX, dt, lo, hi, params.Number("flagFront", 0.0) != 0.0);
    out.edges = static_cast<int>(edges.size());
    if (edges.size() < 2) {
        out.state = edges.empty() ? kDspNoEdges : kDspOneEdge;
        return kDspOk;
    }

    const Phase phase(edges, startX, startX + static_cast<double>(n - 1) * dt);
    double before = phase.At(startX);
    for (size_t k = 0; k < blocks; ++k) {
        const double after = phase.At(startX + static_cast<double>(k + 1) * blockLen);
        out.values[k] = std::max(0.0, after - before) / blockLen * coef;
        before = after;
    }
    out.state = note;
    return kDspOk;
}

}  // namespace korvex
