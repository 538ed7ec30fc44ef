// A tacho signal's trigger levels, edges and pulse widths, and the repair of its pulse train.

#include "korvex/dsp/tacho_pulses.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "korvex/stop.h"

namespace korvex::tacho {

namespace {

// Gaps of more than this many periods are not filled: they are stops, or
// so much is missing that an even split would be a guess.
constexpr double kMaxFill = 4.0;
// Intervals the running period is predicted from.
constexpr size_t kHistory = 5;

double Median(std::span<double> v) {
    if (v.empty()) return 0.0;
    const size_t h = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
    const double upper = v[h];
    if (v.size() % 2 != 0) return upper;
    return 0.5 * (upper + *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h)));
}

// The period to expect next: the median of the last intervals carried
// forward along their median ratio, so a steady acceleration is expected
// and one odd interval (a stop) moves neither figure. It starts from the
// record's first intervals, counted twice, and takes a trend only from a
// full history, so one odd interval early on cannot set the pace.
class PeriodPredictor {
  public:
    explicit PeriodPredictor(double initial) : last_(2, initial) {}
    void Push(double interval) {
        last_.push_back(interval);
        if (last_.size() > kHistory) last_.erase(last_.begin());
    }
    double Next() const {
        std::vector<double> v = last_;
        const double med = Median(std::span<double>(v));
        if (last_.size() < kHistory) return med;
        std::vector<double> ratios;
        for (size_t k = 1; k < last_.size(); ++k) ratios.push_back(last_[k] / last_[k - 1]);
        const double r = std::clamp(Median(std::span<double>(ratios)), 0.5, 2.0);
        const double s = static_cast<double>(last_.size());
        return med * std::pow(r, s - 0.5 * (s - 1.0));
    }

  private:
    std::vector<double> last_;
};

}  // namespace

double Median(std::vector<double> v) {
    return Median(std::span<double>(v));
}

double TriggerLevels::At(const std::vector<double>& v, size_t i) const {
    if (window_ == 0 || v.size() == 1) return v.front();
    const double pos = (static_cast<double>(i) + 0.5) / static_cast<double>(window_) - 0.5;
    if (pos <= 0.0) return v.front();
    const auto k = static_cast<size_t>(pos);
    if (k + 1 >= v.size()) return v.back();
    const double f = pos - static_cast<double>(k);
    return v[k] + f * (v[k + 1] - v[k]);
}

TriggerLevels::Bounds TriggerLevels::Range(size_t from, size_t to) const {
    if (Stretch() == 0) return {lo_.front(), lo_.front(), hi_.front(), hi_.front()};
    // Samples of window j interpolate between the levels of windows j - 1..j + 1.
    const size_t last = lo_.size() - 1;
    const size_t a = std::min(last, from / window_ - std::min<size_t>(from / window_, 1));
    const size_t b = std::min(last, (to - 1) / window_ + 2);
    Bounds r{lo_[a], lo_[a], hi_[a], hi_[a]};
    for (size_t k = a + 1; k <= b; ++k) {
        r.loMin = std::min(r.loMin, lo_[k]);
        r.loMax = std::max(r.loMax, lo_[k]);
        r.hiMin = std::min(r.hiMin, hi_[k]);
        r.hiMax = std::max(r.hiMax, hi_[k]);
    }
    // Interpolation rounds to within a few units in the last place.
    const double scale =
        std::max({std::abs(r.loMin), std::abs(r.loMax), std::abs(r.hiMin), std::abs(r.hiMax)});
    const double margin = 1e-12 * scale + 1e-300;
    return {r.loMin - margin, r.loMax + margin, r.hiMin - margin, r.hiMax + margin};
}

namespace {

// Where the line fitted to the samples first..last (v = s * x) crosses mid,
// in samples; NaN when they do not rise through it.
double FittedCrossing(std::span<const double> x, double s, size_t first, size_t last, double mid) {
    const double m = static_cast<double>(last - first + 1);
    double sk = 0, sv = 0, skk = 0, skv = 0;
    for (size_t i = first; i <= last; ++i) {
        const double k = static_cast<double>(i - first), v = s * x[i];
        sk += k;
        sv += v;
        skk += k * k;
        skv += k * v;
    }
    const double den = m * skk - sk * sk;
    const double slope = (m * skv - sk * sv) / den;
    if (!(slope > 0.0)) return NAN;
    const double k = (mid - (sv - slope * sk) / m) / slope;
    if (!(k >= -1.0 && k <= m)) return NAN;
    return static_cast<double>(first) + k;
}

}  // namespace

namespace {

// The trigger over samples [from, to), unarmed at from; edges in samples.
void Trigger(std::span<const double> x, const TriggerLevels& levels, bool falling, bool fit,
             size_t from, size_t to, std::vector<double>& edges) {
    const double s = falling ? -1.0 : 1.0;
    bool armed = false;
    size_t lastBelow = 0, lastArm = 0;
    // The trigger at sample i with its own levels.
    auto step = [&](size_t i, double v) {
        const double arm = falling ? -levels.Hi(i) : levels.Lo(i);
        const double fire = falling ? -levels.Lo(i) : levels.Hi(i);
        const double mid = 0.5 * (arm + fire);
        if (!armed) {
            if (v < arm) {
                armed = true;
                lastBelow = lastArm = i;
            }
            return;
        }
        if (v < arm) lastArm = i;
        if (v < mid) {
            lastBelow = i;
        } else if (v >= fire) {
            // A line through the whole ramp between the levels times a noisy
            // edge better than the two samples around the middle.
            double at = fit && i - lastArm >= 4 ? FittedCrossing(x, s, lastArm, i, mid) : NAN;
            if (std::isnan(at)) {
                const double a = s * x[lastBelow], b = s * x[lastBelow + 1];
                at = static_cast<double>(lastBelow) + (b > a ? (mid - a) / (b - a) : 0.0);
            }
            edges.push_back(at);
            armed = false;
        }
    };
    // Most samples lie far from every level of their stretch: their outcome
    // is known from the stretch's bounds, and only the others are weighed
    // against their own levels.
    const size_t stretch = levels.Stretch();
    while (from < to) {
        if (StopAsked()) return;  // the run is stopped: no result is used
        const size_t end = stretch == 0 ? to : std::min(to, (from / stretch + 1) * stretch);
        const TriggerLevels::Bounds b = levels.Range(from, end);
        const double armMin = falling ? -b.hiMax : b.loMin, armMax = falling ? -b.hiMin : b.loMax;
        const double fireMin = falling ? -b.loMax : b.hiMin, fireMax = falling ? -b.loMin : b.hiMax;
        const double midMin = 0.5 * (armMin + fireMin), midMax = 0.5 * (armMax + fireMax);
        const double below = std::min(armMin, midMin), above = std::max(armMax, midMax);
        for (size_t i = from; i < end; ++i) {
            const double v = s * x[i];
            if (!armed) {
                if (v >= armMax) continue;
            } else if (v < below) {
                lastArm = lastBelow = i;
                continue;
            } else if (v >= above && v < fireMin) {
                continue;
            }
            step(i, v);
        }
        from = end;
    }
}

// The first sample from `from` on below both the arming and the middle
// level: whatever the trigger's state before it, it is armed there with
// both marks on it, so the trigger can start afresh at that sample.
size_t Rearmed(std::span<const double> x, const TriggerLevels& levels, bool falling, size_t from) {
    const double s = falling ? -1.0 : 1.0;
    for (size_t i = from; i < x.size(); ++i) {
        const double arm = falling ? -levels.Hi(i) : levels.Lo(i);
        const double fire = falling ? -levels.Lo(i) : levels.Hi(i);
        if (s * x[i] < arm && s * x[i] < 0.5 * (arm + fire)) return i;
    }
    return x.size();
}

}  // namespace

std::vector<double> FindEdges(std::span<const double> x, double t0, double dt,
                              const TriggerLevels& levels, bool falling, bool fit, int threads) {
    // Parts that start where the trigger rearms whatever came before give
    // the edges of one pass over the whole.
    const size_t n = x.size();
    const auto parts = static_cast<size_t>(WorthThreads(n, threads));
    std::vector<size_t> start(parts + 1, n);
    start[0] = 0;
    std::vector<std::vector<double>> found(parts);
    for (size_t p = 1; p < parts; ++p) start[p] = Rearmed(x, levels, falling, n / parts * p);
    RunParts(static_cast<int>(parts), [&](int k) {
        const auto p = static_cast<size_t>(k);
        Trigger(x, levels, falling, fit, start[p], start[p + 1], found[p]);
    });
    std::vector<double> edges;
    for (const std::vector<double>& f : found)
        for (double at : f) edges.push_back(t0 + dt * at);
    return edges;
}

std::vector<double> PulseWidths(const std::vector<double>& edges,
                                const std::vector<double>& others) {
    std::vector<double> widths(edges.size(), HUGE_VAL);
    size_t o = 0;
    for (size_t k = 0; k < edges.size(); ++k) {
        while (o < others.size() && others[o] <= edges[k]) ++o;
        if (o < others.size()) widths[k] = others[o] - edges[k];
    }
    return widths;
}

namespace {

// One run of edges walked forwards (see RepairEdges); the counts add up.
// With `toRest` the run ends in a standstill, and its last interval, the
// shaft's slowest, is never split for missing pulses.
std::vector<double> RepairRun(const std::vector<double>& raw, const std::vector<double>& widths,
                              const RepairRules& rules, RepairCounts& counts, bool toRest) {
    const size_t n = raw.size();
    if (n < 2) return raw;
    std::vector<double> first;
    for (size_t k = 1; k < std::min<size_t>(n, kHistory + 1); ++k)
        first.push_back(raw[k] - raw[k - 1]);
    PeriodPredictor period(Median(first));
    auto narrow = [&](size_t k, double p) { return widths[k] < rules.minWidth * p; };

    std::vector<double> out;
    size_t j = 0;
    for (; j < n && narrow(j, period.Next()); ++j) ++counts.rejected;
    if (j == n) return out;
    // With nothing before it, an extra first pulse shows as a short first
    // interval whose second edge the third follows by a full period.
    const double p0 = period.Next();
    if (j + 2 < n && raw[j + 1] - raw[j] < rules.fracExtra * p0 &&
        std::abs(raw[j + 2] - raw[j + 1] - p0) < std::abs(raw[j + 2] - raw[j] - p0)) {
        ++counts.extra;
        ++j;
    }
    out.push_back(raw[j++]);
    const double window = 2.0 - rules.fracExtra;
    while (j < n) {
        const double p = period.Next(), last = out.back(), g = raw[j] - last;
        if (narrow(j, p) || g < rules.fracExtra * p) {
            ++(narrow(j, p) || g < rules.fracDouble * p ? counts.rejected : counts.extra);
            ++j;
            continue;
        }
        if (g <= window * p) {
            // Of the edges about one period on, the one nearest it is the pulse.
            size_t best = j;
            for (size_t c = j + 1; c < n && raw[c] - last <= window * p; ++c)
                if (!narrow(c, p) && std::abs(raw[c] - last - p) < std::abs(raw[best] - last - p))
                    best = c;
            for (size_t c = j; c < best; ++c) {
                const bool doubled = narrow(c, p) || raw[c] - last < rules.fracDouble * p ||
                                     raw[best] - raw[c] < rules.fracDouble * p;
                ++(doubled ? counts.rejected : counts.extra);
            }
            counts.longestGap = std::max(counts.longestGap, raw[best] - last);
            period.Push(raw[best] - last);
            out.push_back(raw[best]);
            j = best + 1;
            continue;
        }
        const double k = std::round(g / p);
        // Towards a standstill the periods only grow: a gap whose next
        // intervals do not fall back near the split period is the slowing
        // shaft, not missing pulses.
        bool free = toRest;
        for (size_t c = j + 1; free && c < std::min(n, j + 4); ++c)
            free = raw[c] - raw[c - 1] >= 1.5 * g / k;
        if (!free && k >= 2.0 && k <= kMaxFill && std::abs(g / p - k) <= rules.fracMissing) {
            for (int i = 1; i < static_cast<int>(k); ++i) {
                out.push_back(last + g * i / k);
                period.Push(g / k);
                ++counts.missing;
            }
            period.Push(g / k);
        } else {
            counts.irregular += !free;
            period.Push(g);
        }
        counts.longestGap = std::max(counts.longestGap, g);
        out.push_back(raw[j++]);
    }
    return out;
}

// Neighbours on each side that give an edge's local scale.
constexpr size_t kLocal = 8;
// An edge sooner than this share of the local period after the last one is
// bounce of the same pulse.
constexpr double kBounceShare = 0.05;
// A pulse narrower than this share of its neighbours' median width is a glitch.
constexpr double kGlitchShare = 0.2;
// A gap longer than this many times the periods on both sides is a
// standstill: longer than any run of missing pulses that is filled.
constexpr double kStandstill = kMaxFill + 1.0;

// The q-quantile (0..1) of v[from, to) without the huge values.
double Quantile(const std::vector<double>& v, size_t from, size_t to, double q) {
    std::vector<double> w;
    for (size_t i = from; i < to; ++i)
        if (std::isfinite(v[i])) w.push_back(v[i]);
    if (w.empty()) return HUGE_VAL;
    const auto k = static_cast<size_t>(q * static_cast<double>(w.size() - 1) + 0.5);
    std::nth_element(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(k), w.end());
    return w[k];
}

std::vector<double> Intervals(const std::vector<double>& e) {
    std::vector<double> d;
    for (size_t k = 1; k < e.size(); ++k) d.push_back(e[k] - e[k - 1]);
    return d;
}

// Merges bounce into the pulse it follows (the first edge times the pulse)
// and drops glitches.
void CleanPulses(std::vector<double>& e, std::vector<double>& w, RepairCounts& counts) {
    if (e.size() < 3) return;
    const std::vector<double> d = Intervals(e);
    std::vector<double> edges{e[0]}, widths{w[0]};
    for (size_t k = 1; k < e.size(); ++k) {
        const size_t from = k > kLocal ? k - kLocal : 0, to = std::min(d.size(), k + kLocal);
        // The upper quartile: bounce on every pulse halves the median.
        if (d[k - 1] < kBounceShare * Quantile(d, from, to, 0.75)) {
            widths.back() = std::max(widths.back(), e[k] - edges.back() + w[k]);
            ++counts.bounce;
            ++counts.rejected;
            continue;
        }
        edges.push_back(e[k]);
        widths.push_back(w[k]);
    }
    e.clear();
    w.clear();
    for (size_t k = 0; k < edges.size(); ++k) {
        const size_t from = k > kLocal ? k - kLocal : 0;
        const size_t to = std::min(edges.size(), k + kLocal + 1);
        if (widths[k] < kGlitchShare * Quantile(widths, from, to, 0.5)) {
            ++counts.rejected;
            continue;
        }
        e.push_back(edges[k]);
        w.push_back(widths[k]);
    }
}

// A run walked from its fastest stretch (the least median of nine
// intervals) forwards to its end and backwards to its start, so that the
// period is always first taken where the pulses are densest: from a
// standstill the first revolution is the longest, and would be taken for
// missing pulses if the walk began there.
std::vector<double> RepairBothWays(const std::vector<double>& e, const std::vector<double>& w,
                                   const RepairRules& rules, RepairCounts& counts, bool fromRest,
                                   bool toRest) {
    const std::vector<double> d = Intervals(e);
    size_t pivot = 0;
    if (d.size() >= 2 * kLocal) {
        double least = HUGE_VAL;
        for (size_t k = 4; k + 4 < d.size(); ++k) {
            const double m = Quantile(d, k - 4, k + 5, 0.5);
            // Both of the pivot's intervals regular: it is no extra pulse.
            const bool regular =
                std::abs(d[k - 1] / m - 1.0) < 0.1 && std::abs(d[k] / m - 1.0) < 0.1;
            if (regular && m < least) {
                least = m;
                pivot = k;
            }
        }
    }
    std::vector<double> ahead(e.begin() + static_cast<std::ptrdiff_t>(pivot), e.end());
    std::vector<double> aheadW(w.begin() + static_cast<std::ptrdiff_t>(pivot), w.end());
    std::vector<double> out = RepairRun(ahead, aheadW, rules, counts, toRest);
    if (pivot == 0) return out;
    std::vector<double> back, backW;
    for (size_t k = pivot + 1; k-- > 0;) {
        back.push_back(-e[k]);
        backW.push_back(w[k]);
    }
    std::vector<double> before = RepairRun(back, backW, rules, counts, fromRest);
    std::vector<double> all;
    for (size_t k = before.size(); k-- > 0;)
        if (out.empty() || -before[k] < out.front()) all.push_back(-before[k]);
    all.insert(all.end(), out.begin(), out.end());
    return all;
}

// Revolutions from the last of three edges t0 < t1 < t2 to where the
// parabola through them (a constant deceleration) comes to rest, and the
// time it takes (0 when it turns before t2); a negative count when it does
// not slow down.
double RevsToRest(double t0, double t1, double t2, double& time) {
    const double d01 = 1.0 / (t1 - t0), d12 = 1.0 / (t2 - t1);
    const double curve = 2.0 * (d12 - d01) / (t2 - t0);
    const double slope = d12 + 0.5 * curve * (t2 - t1);
    if (!(curve < 0.0)) return -1.0;
    if (!(slope > 0.0)) {  // at rest before t2 already
        time = 0.0;
        return 0.0;
    }
    time = slope / -curve;
    return slope * time / 2.0;
}

// Whether the last edge of a run that ends in a standstill is the shaft
// rocking over the mark at rest, no revolution: the shaft came to rest
// before it (the parabola through the three edges before it turns less than
// a revolution on, well before it), or the way to rest after the edge
// before it and the way from rest to the first edge after the standstill
// (`after`, three edges or none) make one revolution rather than two.
bool RockedAtRest(const std::vector<double>& e, const std::vector<double>& after) {
    const size_t n = e.size();
    if (n < 4) return false;
    double time = 0.0;
    const double ahead = RevsToRest(e[n - 4], e[n - 3], e[n - 2], time);
    if (ahead < 0.0 || ahead >= 1.0) return false;
    if (e[n - 1] > e[n - 2] + 2.0 * time) return true;
    if (after.size() < 3) return false;
    const double behind = RevsToRest(-after[2], -after[1], -after[0], time);
    return behind >= 0.0 && behind < 1.0 && ahead + behind < 1.5;
}

}  // namespace

std::vector<double> RepairEdges(const std::vector<double>& raw, const std::vector<double>& widths,
                                const RepairRules& rules, RepairCounts& counts) {
    counts = RepairCounts{};
    std::vector<double> e = raw, w = widths;
    CleanPulses(e, w, counts);
    if (e.size() < 3) return e;
    const std::vector<double> d = Intervals(e);
    std::vector<double> out;
    size_t first = 0;
    for (size_t k = 0; k <= d.size(); ++k) {
        if (k < d.size()) {
            const double before = k > 0 ? Quantile(d, k > 4 ? k - 4 : 0, k, 0.5) : HUGE_VAL;
            const double after = Quantile(d, k + 1, std::min(d.size(), k + 5), 0.5);
            const double near =
                std::max(before == HUGE_VAL ? 0.0 : before, after == HUGE_VAL ? 0.0 : after);
            if (!(near > 0.0) || d[k] <= kStandstill * near) continue;
            counts.longestGap = std::max(counts.longestGap, d[k]);
        }
        const auto a = static_cast<std::ptrdiff_t>(first), b = static_cast<std::ptrdiff_t>(k + 1);
        std::vector<double> run = RepairBothWays(std::vector<double>(e.begin() + a, e.begin() + b),
                                                 std::vector<double>(w.begin() + a, w.begin() + b),
                                                 rules, counts, first > 0, k < d.size());
        std::vector<double> after;
        for (size_t i = k + 1; i < e.size() && i < k + 4; ++i) after.push_back(e[i]);
        for (int rocked = 0; k < d.size() && rocked < 3 && RockedAtRest(run, after); ++rocked) {
            run.pop_back();
            ++counts.extra;
        }
        out.insert(out.end(), run.begin(), run.end());
        first = k + 1;
    }
    return out;
}

}  // namespace korvex::tacho
