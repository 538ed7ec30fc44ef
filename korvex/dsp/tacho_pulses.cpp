// A tacho signal's trigger levels, edges and pulse widths, and the repair of its pulse train.

#include "korvex/dsp/tacho_pulses.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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

namespace {

// Doubles as unsigned keys of the same order.
uint64_t OrderKey(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return (b >> 63) != 0 ? ~b : b | (uint64_t{1} << 63);
}
double FromOrderKey(uint64_t k) {
    const uint64_t b = (k >> 63) != 0 ? k & ~(uint64_t{1} << 63) : ~k;
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// The k-th smallest (from 0) of the values of x that keep keeps, the value
// nth_element gives, found 16 bits of its key at a time in passes over x:
// a whole recording is not copied to find its levels.
template <class Keep>
double SelectInPasses(std::span<const double> x, Keep keep, size_t k) {
    constexpr size_t kGather = size_t{1} << 20;
    std::vector<size_t> count(size_t{1} << 16);
    uint64_t prefix = 0;
    for (int known = 0; known < 64; known += 16) {
        if (StopAsked()) return 0.0;  // the run is stopped: no result is used
        auto inside = [&](uint64_t key) { return known == 0 || key >> (64 - known) == prefix; };
        const int shift = 48 - known;
        std::fill(count.begin(), count.end(), 0);
        for (double v : x) {
            const uint64_t key = OrderKey(v);
            if (keep(v) && inside(key)) ++count[(key >> shift) & 0xFFFF];
        }
        size_t bin = 0;
        while (bin + 1 < count.size() && k >= count[bin]) k -= count[bin++];
        prefix = prefix << 16 | bin;
        if (count[bin] > kGather || known == 48) continue;
        std::vector<double> v;
        v.reserve(count[bin]);
        const int bits = known + 16;
        for (double s : x)
            if (keep(s) && OrderKey(s) >> (64 - bits) == prefix) v.push_back(s);
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
        return v[k];
    }
    return FromOrderKey(prefix);
}

// StateLevels of a long signal, without a copy of it.
std::pair<double, double> StateLevelsInPasses(std::span<const double> x) {
    const size_t n = x.size();
    auto all = [](double) { return true; };
    const double pa = SelectInPasses(x, all, n / 1000),
                 pb = SelectInPasses(x, all, n - 1 - n / 1000);
    if (!(pb > pa)) return {pa, pa};
    const double mid = 0.5 * (pa + pb);
    auto low = [mid](double s) { return s < mid; };
    auto high = [mid](double s) { return !(s < mid); };
    const auto lows = static_cast<size_t>(std::count_if(x.begin(), x.end(), low));
    auto median = [&](auto keep, size_t m) {
        if (m == 0) return 0.0;
        const double upper = SelectInPasses(x, keep, m / 2);
        return m % 2 != 0 ? upper : 0.5 * (upper + SelectInPasses(x, keep, m / 2 - 1));
    };
    return {median(low, lows), median(high, n - lows)};
}

}  // namespace

std::pair<double, double> StateLevels(std::span<const double> x) {
    if (x.empty()) return {0.0, 0.0};
    if (x.size() > (size_t{1} << 22)) return StateLevelsInPasses(x);
    std::vector<double> v(x.begin(), x.end());
    const size_t n = v.size();
    auto nth = [&v](size_t k) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
        return v[k];
    };
    const double pa = nth(n / 1000), pb = nth(n - 1 - n / 1000);
    if (!(pb > pa)) return {pa, pa};
    const double mid = 0.5 * (pa + pb);
    const auto split = std::partition(v.begin(), v.end(), [mid](double s) { return s < mid; });
    std::span<double> low(v.begin(), split), high(split, v.end());
    return {Median(low), Median(high)};
}

TriggerLevels LocalLevels(std::span<const double> x, double loPct, double hiPct,
                          double periodSamples) {
    const auto [l0, h0] = StateLevels(x);
    const size_t n = x.size();
    const size_t w = std::clamp<size_t>(static_cast<size_t>(10.0 * periodSamples), 64, n);
    const size_t windows = std::max<size_t>(1, n / w);
    std::vector<double> lo(windows), hi(windows);
    std::vector<char> ok(windows, 0);
    for (size_t k = 0; k < windows && !StopAsked(); ++k) {
        const size_t end = k + 1 == windows ? n : (k + 1) * w;
        const auto [l, h] = StateLevels(x.subspan(k * w, end - k * w));
        lo[k] = l;
        hi[k] = h;
        ok[k] = h - l >= 0.5 * (h0 - l0) && h > l;
    }
    // Windows without pulses borrow the levels of the nearest one with.
    std::vector<long> prev(windows, -1), next(windows, -1);
    for (size_t k = 0; k < windows; ++k)
        prev[k] = ok[k] ? static_cast<long>(k) : k > 0 ? prev[k - 1] : -1;
    for (size_t k = windows; k-- > 0;)
        next[k] = ok[k] ? static_cast<long>(k) : k + 1 < windows ? next[k + 1] : -1;
    for (size_t k = 0; k < windows; ++k) {
        if (ok[k]) continue;
        const long kk = static_cast<long>(k);
        long from = prev[k];
        if (from < 0 || (next[k] >= 0 && next[k] - kk < kk - from)) from = next[k];
        lo[k] = from < 0 ? l0 : lo[static_cast<size_t>(from)];
        hi[k] = from < 0 ? h0 : hi[static_cast<size_t>(from)];
    }
    for (size_t k = 0; k < windows; ++k) {
        const double span = hi[k] - lo[k];
        const double base = lo[k];
        lo[k] = base + span * loPct / 100.0;
        hi[k] = base + span * hiPct / 100.0;
    }
    return TriggerLevels(std::move(lo), std::move(hi), w);
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

std::vector<double> FindEdges(std::span<const double> x, double t0, double dt,
                              const TriggerLevels& levels, bool falling, bool fit) {
    const double s = falling ? -1.0 : 1.0;
    std::vector<double> edges;
    bool armed = false;
    size_t lastBelow = 0, lastArm = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        if ((i & 0xFFFF) == 0 && StopAsked()) break;  // the run is stopped: no result is used
        const double v = s * x[i];
        const double arm = falling ? -levels.Hi(i) : levels.Lo(i);
        const double fire = falling ? -levels.Lo(i) : levels.Hi(i);
        const double mid = 0.5 * (arm + fire);
        if (!armed) {
            if (v < arm) {
                armed = true;
                lastBelow = lastArm = i;
            }
            continue;
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
            edges.push_back(t0 + dt * at);
            armed = false;
        }
    }
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
