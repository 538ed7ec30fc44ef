// The tacho: trigger edges of a pulse signal, repaired to one per
// revolution, a revolution count that grows by one per edge, and per
// analysis block the revolutions counted across the block divided by its
// length.

#include <algorithm>
#include <charconv>
#include <cmath>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/tacho_pulses.h"
#include "korvex/stop.h"

namespace korvex {

namespace {

// No edge for longer than this many times the neighbouring periods means the
// shaft stood still in between (or has stopped, at the record's ends).
constexpr double kStopRatio = 2.0;

// The revolution count as a function of time: edge k is at count k, between
// edges a local cubic through the neighbouring edges (exact for a constant
// acceleration). Into a standstill the count follows the cubic through the
// last edges until the shaft comes to rest, out of it the cubic through the
// first edges after it, the two together one revolution; where a cubic
// finds no rest within reach, half a revolution at the speed beside the gap
// (or what the other side leaves of the revolution, slowing evenly to rest).
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
        rest_.resize(m);
        for (size_t k = 0; k < m; ++k) {
            const bool into = (k + 1 < m && stop_[k]) || (k + 1 == m && !runningAtEnd_);
            const bool outOf = (k > 0 && stop_[k - 1]) || (k == 0 && !runningAtStart_);
            if (into) rest_[k].ahead = FindRest(static_cast<int>(k), 1);
            if (outOf) rest_[k].behind = FindRest(static_cast<int>(k), -1);
        }
        // The two sides of a standstill share its one revolution.
        for (size_t k = 0; k + 1 < m; ++k) {
            if (!stop_[k]) continue;
            Rest& a = rest_[k].ahead;
            Rest& b = rest_[k + 1].behind;
            if (!a.found && !b.found) a.revs = b.revs = 0.5;
            if (!a.found && b.found) a.revs = std::max(0.0, 1.0 - b.revs);
            if (a.found && !b.found) b.revs = std::max(0.0, 1.0 - a.revs);
            const double sum = a.revs + b.revs;
            a.scale = b.scale = sum > 0.0 ? 1.0 / sum : 1.0;
        }
    }

    double At(double t) const {
        const size_t m = e_.size();
        if (t <= e_.front()) {
            const double d = e_.front() - t, g = Gap(0);
            if (!runningAtStart_) return -Rested(0, -1, t);
            const double c = Interpolate(0, std::min<int>(3, runEnd_[0]), 0, t);
            return std::clamp(c, -kStopRatio * d / g, -d / (kStopRatio * g));
        }
        if (t >= e_.back()) {
            const double d = t - e_.back(), g = Gap(m - 2);
            const double base = static_cast<double>(m - 1);
            if (!runningAtEnd_) return base + Rested(static_cast<int>(m - 1), 1, t);
            const int last = static_cast<int>(m - 1);
            const double c = Interpolate(std::max(run_[last], last - 3), last, last, t);
            return base + std::clamp(c, d / (kStopRatio * g), kStopRatio * d / g);
        }
        const size_t k =
            static_cast<size_t>(std::upper_bound(e_.begin(), e_.end(), t) - e_.begin()) - 1;
        const double base = static_cast<double>(k);
        if (stop_[k]) {
            const int ki = static_cast<int>(k);
            return base + Rested(ki, 1, t) + (1.0 - Rested(ki + 1, -1, t)) -
                   rest_[k].ahead.scale * rest_[k].ahead.revs;
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
    // The shaft's way between an edge and its rest beside a standstill.
    struct Rest {
        bool found = false;
        int i0 = 0, i1 = 0;  // the edges of the cubic
        double at = 0.0;     // when the shaft rests (after or before the edge)
        double revs = 0.5;   // revolutions between the edge and the rest
        double scale = 1.0;  // so that both sides of a standstill make one revolution
    };
    struct Rests {
        Rest ahead, behind;
    };

    double Gap(size_t k) const { return e_[k + 1] - e_[k]; }

    // The cubic through the (up to) four edges of the run nearest edge k,
    // followed away from them (dir 1 after, -1 before) until its slope
    // turns: where the shaft came to rest. Not found when the cubic does not
    // turn within four periods, or turns a revolution or more away.
    Rest FindRest(int k, int dir) const {
        Rest r;
        const int rs = run_[k], re = runEnd_[k];
        r.i0 = dir > 0 ? std::max(rs, k - 3) : k;
        r.i1 = dir > 0 ? k : std::min(re, k + 3);
        if (r.i1 - r.i0 < 2) return r;
        const double g = dir > 0 ? e_[k] - e_[k - 1] : e_[k + 1] - e_[k];
        constexpr int kSteps = 1024;
        double prev = 0.0;
        for (int i = 1; i <= kSteps; ++i) {
            const double t = e_[k] + dir * 4.0 * g * i / kSteps;
            const double c = dir * Interpolate(r.i0, r.i1, k, t);
            if (c >= 1.0) return r;
            if (c <= prev) {
                r.found = i > 1;
                r.at = t - dir * 4.0 * g / kSteps;
                r.revs = prev;
                return r;
            }
            prev = c;
        }
        return r;
    }

    // Revolutions from edge k towards its standstill (dir 1 after, -1
    // before) at time t, scaled to share the standstill's revolution.
    double Rested(int k, int dir, double t) const {
        const Rest& r =
            dir > 0 ? rest_[static_cast<size_t>(k)].ahead : rest_[static_cast<size_t>(k)].behind;
        const double d = dir * (t - e_[static_cast<size_t>(k)]);
        double c = 0.0;
        if (!r.found) {
            const double g =
                dir > 0 ? Gap(static_cast<size_t>(k - 1)) : Gap(static_cast<size_t>(k));
            // Half a revolution at the speed beside the gap; a longer way
            // (what the other side leaves) slows evenly to rest from it.
            const double left = std::max(0.0, 1.0 - d / (2.0 * r.revs * g));
            c = r.revs <= 0.5 ? std::min(r.revs, d / g) : r.revs * (1.0 - left * left);
        } else {
            c = dir * (t - r.at) >= 0.0 ? r.revs : dir * Interpolate(r.i0, r.i1, k, t);
        }
        return r.scale * std::clamp(c, 0.0, r.revs);
    }

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
    std::vector<Rests> rest_;  // per edge: its way to and from a standstill
    bool runningAtStart_ = true;
    bool runningAtEnd_ = true;
};

// Regularity is judged on at least this many intervals; fewer are taken as
// they come.
constexpr size_t kJudgeIntervals = 8;
// A pulse and its gap need two samples each to be timed at all.
constexpr double kMinPeriodSamples = 4.0;
// More repairs than this share of the intervals: the edges are no pulse train.
constexpr double kMaxRepairShare = 0.25;

struct PulseTrain {
    std::vector<double> edges;  // one per revolution
    size_t found = 0;           // edges of the trigger
    tacho::RepairCounts counts;
    int verdict = kDspOk;
};

// The trigger's edges with the pulse repair. Relative levels start from the
// whole record's state levels, which give the period; then they follow the
// state levels of windows of some periods, so a drifting baseline keeps its
// edges.
PulseTrain RepairedPulses(std::span<const double> x, double t0, double dt, double lo, double hi,
                          bool relative, bool falling, const tacho::RepairRules& rules) {
    tacho::TriggerLevels levels(lo, hi);
    if (relative) {
        const auto [l0, h0] = tacho::StateLevels(x);
        levels = tacho::TriggerLevels(l0 + (h0 - l0) * lo / 100.0, l0 + (h0 - l0) * hi / 100.0);
        const std::vector<double> first = tacho::FindEdges(x, t0, dt, levels, falling);
        std::vector<double> periods;
        for (size_t k = 1; k < first.size(); ++k) periods.push_back(first[k] - first[k - 1]);
        if (periods.size() >= 2)
            levels = tacho::LocalLevels(x, lo, hi, tacho::Median(std::move(periods)) / dt);
    }
    PulseTrain train;
    const std::vector<double> raw = tacho::FindEdges(x, t0, dt, levels, falling, true);
    const std::vector<double> widths =
        tacho::PulseWidths(raw, tacho::FindEdges(x, t0, dt, levels, !falling, true));
    train.found = raw.size();
    train.edges = tacho::RepairEdges(raw, widths, rules, train.counts);
    if (raw.size() > kJudgeIntervals) {
        std::vector<double> periods;
        for (size_t k = 1; k < raw.size(); ++k) periods.push_back(raw[k] - raw[k - 1]);
        const tacho::RepairCounts& c = train.counts;
        // Bounce is no fault of the train: the pulse is there, only doubled.
        const int repairs = c.missing + c.extra + c.rejected - c.bounce + c.irregular;
        // The upper quartile: bounce on every pulse makes half the intervals short.
        const auto q = periods.begin() + static_cast<std::ptrdiff_t>(3 * periods.size() / 4);
        std::nth_element(periods.begin(), q, periods.end());
        if (*q < kMinPeriodSamples * dt)
            train.verdict = kDspPulsesTooFast;
        else if (repairs > kMaxRepairShare * static_cast<double>(raw.size() - 1))
            train.verdict = kDspNoUsablePulses;
    }
    return train;
}

std::string Num(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4);
    return std::string(buf, r.ptr);
}

std::string Count(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The log line of a run that repaired pulses or found none to use.
std::string RepairNote(const TachoResult& r, int verdict) {
    if (verdict != kDspOk)
        return std::string(DspCodeText(verdict)) + " (" + Count(r.edges, "edge", "edges") + ")";
    std::string note;
    auto add = [&note](int n, const char* one, const char* many) {
        if (n == 0) return;
        note += (note.empty() ? "" : ", ") + Count(n, one, many);
    };
    add(r.missing, "missing pulse filled", "missing pulses filled");
    add(r.extra, "extra pulse removed", "extra pulses removed");
    add(r.rejected, "glitch rejected", "glitches rejected");
    if (r.bounce > 0) note += " (" + Count(r.bounce, "bounce", "bounces") + ")";
    if (!note.empty()) note += "; longest gap " + Num(r.longestGap) + " s";
    return note;
}

void Report(const PulseTrain& train, TachoResult& out) {
    out.edges = static_cast<int>(train.found);
    out.missing = train.counts.missing;
    out.extra = train.counts.extra;
    out.rejected = train.counts.rejected;
    out.bounce = train.counts.bounce;
    out.longestGap = train.counts.longestGap;
    out.note = RepairNote(out, train.verdict);
}

// The speed over `revs` revolutions centred on each block's middle, where
// the record holds them and the shaft turns.
void SmoothOverRevolutions(const std::vector<double>& e, const Phase& phase, double revs,
                           double firstMiddle, double blockLen, double coef,
                           std::vector<double>& values) {
    const double last = static_cast<double>(e.size() - 1);
    auto timeAt = [&e](double count) {
        const auto k = static_cast<size_t>(count);
        if (k + 1 >= e.size()) return e.back();
        return e[k] + (count - static_cast<double>(k)) * (e[k + 1] - e[k]);
    };
    for (size_t k = 0; k < values.size(); ++k) {
        if (values[k] == 0.0) continue;
        const double c = phase.At(firstMiddle + static_cast<double>(k) * blockLen);
        const double a = c - 0.5 * revs, b = c + 0.5 * revs;
        if (a < 0.0 || b > last) continue;
        const double span = timeAt(b) - timeAt(a);
        if (span > 0.0) values[k] = revs / span * coef;
    }
}

tacho::RepairRules ReadRules(const OperatorParams& params) {
    tacho::RepairRules r;
    r.minWidth = params.Number("dPNTwide", 0.5) / 100.0;
    r.fracDouble = params.Number("fracDouble", r.fracDouble);
    r.fracExtra = params.Number("fracExtra", r.fracExtra);
    r.fracMissing = params.Number("fracMissing", r.fracMissing);
    return r;
}

bool RulesValid(const tacho::RepairRules& r) {
    return r.minWidth >= 0.0 && r.minWidth < 1.0 && r.fracExtra > 0.0 && r.fracExtra < 1.0 &&
           r.fracDouble >= 0.0 && r.fracDouble <= r.fracExtra && r.fracMissing >= 0.0 &&
           r.fracMissing < 0.5;
}

}  // namespace

int Tacho(std::span<const double> x, double startX, double dt, const OperatorParams& params,
          TachoResult& out) {
    out = TachoResult{};
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
    const bool repair = params.Number("flagRepair", 1.0) != 0.0;
    const tacho::RepairRules rules = ReadRules(params);
    const double smooth = params.Number("nRevSmooth", 0.0);
    if (repair && (!RulesValid(rules) || !(smooth >= 0.0 && smooth < 1e6)))
        return fail(kDspBadRepair);

    const bool relative = params.Number("flagAbsOtn", 1.0) != 0.0;
    double lo = params.Number("LevelLo", 30.0), hi = params.Number("LevelHi", 70.0);
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i])) return fail(kDspBadSample);
        if ((i & 0xFFFF) == 0 && StopAsked()) return fail(kDspStopped);
    }
    if (relative && !repair) {
        // Without the repair the levels span the raw range, as they always did.
        auto [mn, mx] = std::minmax_element(x.begin(), x.end());
        lo = *mn + (*mx - *mn) * lo / 100.0;
        hi = *mn + (*mx - *mn) * hi / 100.0;
    }
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) return fail(kDspBadLevels);

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

    const bool falling = params.Number("flagFront", 0.0) != 0.0;
    PulseTrain train;
    if (repair) {
        train = RepairedPulses(x, startX, dt, lo, hi, relative, falling, rules);
    } else {
        train.edges = tacho::FindEdges(x, startX, dt, tacho::TriggerLevels(lo, hi), falling);
        train.found = train.edges.size();
    }
    if (StopAsked()) return fail(kDspStopped);
    const std::vector<double>& edges = train.edges;
    Report(train, out);
    if (train.verdict != kDspOk) {
        out.state = train.verdict;
        return kDspOk;
    }
    if (edges.size() < 2) {
        out.state = train.found == 0 ? kDspNoEdges : kDspOneEdge;
        return kDspOk;
    }

    const Phase phase(edges, startX, startX + static_cast<double>(n - 1) * dt);
    double before = phase.At(startX);
    for (size_t k = 0; k < blocks; ++k) {
        const double after = phase.At(startX + static_cast<double>(k + 1) * blockLen);
        out.values[k] = std::max(0.0, after - before) / blockLen * coef;
        before = after;
    }
    if (repair && smooth > 0.0)
        SmoothOverRevolutions(edges, phase, smooth, out.startX, blockLen, coef, out.values);
    if (note == kDspOk && out.missing + out.extra + out.rejected > 0) note = kDspPulsesRepaired;
    out.state = note;
    return kDspOk;
}

}  // namespace korvex
