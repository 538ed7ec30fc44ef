// Speed from the spectrum: a best-path search over the dB map (Viterbi),
// the path's peaks refined by a parabola through the log power (exact for a
// Gaussian peak, close for the usual windows), checks of the result.

#include "korvex/dsp/speedtrack.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>

#include "platform/numtext.h"

namespace korvex {

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
// A line stands out where it is this far above the median of its spectrum.
// Noise alone reaches it in about one spectrum in a thousand.
constexpr double kSeenDb = 10.0;
// A cell counts in full up to this far above the median and a share beyond:
// a clear line is then worth nearly as much as a stronger one, so the path
// keeps to its line instead of crossing the noise to a stronger harmonic or
// a bearing tone, yet still prefers a carrier to its weaker sidebands.
constexpr double kCapDb = 20.0;
constexpr double kBeyondCap = 0.2;
// Levels further below a column's strongest cell count as no line.
constexpr double kRangeDb = 70.0;
// Where a cell is missing (NaN) the path pays as for a cell this far below
// the median, so it crosses such a gap rather than leaving the line.
constexpr double kMissingDb = -20.0;
// Rows a path may move per spectrum at most, whatever the rate allows.
constexpr int kMaxStepRows = 64;
static_assert(kMaxStepRows <= 127);
// Octave slips are looked for across this many seconds.
constexpr double kSlipSeconds = 0.5;

std::string Num(double v) {
    return plat::GeneralText(v, 6);
}

struct Failure {
    int code;
    std::string text;
};

SpeedTrackResult Fail(int code, std::string text) {
    SpeedTrackResult r;
    r.status = r.state = code;
    r.error = std::move(text);
    return r;
}

// The rows the path may use and, with a starting point, the column and rows
// it must pass through.
struct Search {
    size_t rlo = 1, rhi = 0;  // inclusive
    bool anchored = false;
    size_t c0 = 0, alo = 0, ahi = 0;
};

// The row nearest hz, within the map.
size_t RowAt(const MapResult& m, double hz) {
    const double row = std::floor((hz - m.y0) / m.dy + 0.5);
    return static_cast<size_t>(std::clamp(row, 0.0, static_cast<double>(m.rows - 1)));
}

bool MakeSearch(const MapResult& m, const SpeedTrackParams& p, Search& s, Failure& f) {
    const double nyquist = m.y0 + m.dy * static_cast<double>(m.rows - 1);
    s.rlo = 1;
    s.rhi = m.rows >= 2 ? m.rows - 2 : 0;
    if (p.hasRange) {
        if (p.lo >= nyquist) {
            f = {kSpeedBadRange, "the band " + Num(p.lo) + " to " + Num(p.hi) +
                                     " Hz lies above the Nyquist frequency (" + Num(nyquist) +
                                     " Hz)"};
            return false;
        }
        s.rlo = std::max<size_t>(1, RowAt(m, p.lo));
        s.rhi = std::min(s.rhi, RowAt(m, p.hi));
        if (s.rhi < s.rlo + 2) {
            f = {kSpeedBadRange, "the band " + Num(p.lo) + " to " + Num(p.hi) +
                                     " Hz holds fewer than 3 spectrum lines (" + Num(m.dy) +
                                     " Hz apart)"};
            return false;
        }
    }
    if (!p.hasStart) return true;
    const double half = 0.5 * m.resolution.blockSeconds;
    if (!(p.startX >= m.x.front() - half && p.startX <= m.x.back() + half)) {
        f = {kSpeedBadStart, "the start " + Num(p.startX) + " s lies outside the spectra of the " +
                                 "signal (" + Num(m.x.front() - half) + " to " +
                                 Num(m.x.back() + half) + " s)"};
        return false;
    }
    if (!(p.startHz > m.dy && p.startHz < nyquist)) {
        f = {kSpeedBadStart, "the start frequency " + Num(p.startHz) + " Hz lies outside " +
                                 Num(m.dy) + " to " + Num(nyquist) + " Hz"};
        return false;
    }
    if (p.hasRange && (p.startHz < p.lo || p.startHz > p.hi)) {
        f = {kSpeedBadStart, "the start frequency " + Num(p.startHz) +
                                 " Hz lies outside the band " + Num(p.lo) + " to " + Num(p.hi) +
                                 " Hz"};
        return false;
    }
    s.anchored = true;
    const auto nearest = std::min_element(m.x.begin(), m.x.end(), [&p](double a, double b) {
        return std::abs(a - p.startX) < std::abs(b - p.startX);
    });
    s.c0 = static_cast<size_t>(nearest - m.x.begin());
    // A start read off a map is good to a few lines or a few per cent.
    const double tol = std::max(2.0 * m.dy, 0.05 * p.startHz);
    s.alo = std::max(s.rlo, RowAt(m, p.startHz - tol));
    s.ahi = std::min(s.rhi, RowAt(m, p.startHz + tol));
    return true;
}

// Per column the level a line must stand out of: the median of the searched
// rows (the noise), but no lower than kRangeDb below the column's strongest
// cell, so the skirts of a strong line in a noiseless signal are no lines.
std::vector<double> Floors(const MapResult& m, const Search& s) {
    std::vector<double> floors(m.Columns(), 0.0);
    std::vector<float> col;
    for (size_t c = 0; c < m.Columns(); ++c) {
        col.clear();
        for (size_t r = s.rlo; r <= s.rhi; ++r)
            if (!std::isnan(m.Cell(c, r))) col.push_back(m.Cell(c, r));
        if (col.empty()) continue;
        const double top = *std::max_element(col.begin(), col.end());
        auto mid = col.begin() + static_cast<std::ptrdiff_t>(col.size() / 2);
        std::nth_element(col.begin(), mid, col.end());
        floors[c] = std::max<double>(*mid, top - kRangeDb);
    }
    return floors;
}

// The best-path search: per column the rows the line may take, scored by
// their level above the floor less the cost of the jumps between them.
class PathSearch {
  public:
    PathSearch(const MapResult& m, const SpeedTrackParams& p, const Search& s,
               const std::vector<double>& floors)
        : m_(m), p_(p), s_(s), floors_(floors), width_(s.rhi - s.rlo + 1) {
        const size_t cols = m.Columns();
        colSeconds_ = cols > 1 ? (m.x.back() - m.x.front()) / static_cast<double>(cols - 1)
                               : m.resolution.blockSeconds;
    }

    // The path over all columns: with a start point, followed from it in
    // windows of a few seconds, each committing its first half, so a
    // stronger line further away cannot pull the path over; without one,
    // the best path through the band over the whole record.
    std::vector<size_t> Run() const {
        const size_t cols = m_.Columns();
        std::vector<size_t> path(cols), order;
        if (!s_.anchored) {
            for (size_t c = 0; c < cols; ++c) order.push_back(c);
            const std::vector<size_t> rows = Viterbi(order, s_.rlo, s_.rhi);
            for (size_t k = 0; k < cols; ++k) path[order[k]] = rows[k];
            return path;
        }
        const size_t window =
            std::max<size_t>(4, static_cast<size_t>(std::lround(kWindowSeconds / colSeconds_)));
        size_t lo = s_.alo, hi = s_.ahi;
        for (const long dir : {1L, -1L}) {
            long c = static_cast<long>(s_.c0);
            for (;;) {
                order.clear();
                for (long k = c; k >= 0 && k < static_cast<long>(cols) && order.size() <= window;
                     k += dir)
                    order.push_back(static_cast<size_t>(k));
                const std::vector<size_t> rows = Viterbi(order, lo, hi);
                const bool last = order.size() <= window;
                const size_t commit = last ? order.size() : window / 2 + 1;
                for (size_t k = 0; k < commit; ++k) path[order[k]] = rows[k];
                if (last) break;
                c = static_cast<long>(order[commit - 1]);
                lo = hi = path[order[commit - 1]];
            }
            lo = hi = path[s_.c0];  // the way back starts where the way on did
        }
        return path;
    }

  private:
    // Half a window is committed at a time, so the path looks ahead at least
    // this long.
    static constexpr double kWindowSeconds = 3.0;

    double Emission(size_t c, size_t row) const {
        const float v = m_.Cell(c, row);
        if (std::isnan(v)) return kMissingDb;
        const double above = std::max(-kCapDb, static_cast<double>(v) - floors_[c]);
        return above <= kCapDb ? above : kCapDb + kBeyondCap * (above - kCapDb);
    }

    // Viterbi over the columns in the order given, the first one limited to
    // rows first..last; the rows of the best path.
    std::vector<size_t> Viterbi(const std::vector<size_t>& order, size_t first, size_t last) const {
        const size_t n = order.size(), width = width_;
        std::vector<double> score(width, kNone), next(width);
        // Per cell the move that led there, a byte: moves never exceed kMaxStepRows.
        std::vector<int8_t> from(n * width, 0);
        for (size_t row = first; row <= last; ++row) score[row - s_.rlo] = Emission(order[0], row);
        for (size_t t = 1; t < n; ++t) {
            std::fill(next.begin(), next.end(), kNone);
            for (size_t i = 0; i < width; ++i) {
                if (score[i] == kNone) continue;
                const double hz = m_.y0 + m_.dy * static_cast<double>(s_.rlo + i);
                const double a = std::max(1.0, p_.maxRate * hz * colSeconds_ / m_.dy);
                const long reach = std::min<long>(kMaxStepRows, static_cast<long>(std::ceil(a)));
                const long lo = std::max(0L, static_cast<long>(i) - reach);
                const long hi =
                    std::min(static_cast<long>(width) - 1, static_cast<long>(i) + reach);
                for (long j = lo; j <= hi; ++j) {
                    const double d = static_cast<double>(j - static_cast<long>(i)) / a;
                    const double v = score[i] - p_.jumpPenalty * d * d;
                    if (v > next[static_cast<size_t>(j)]) {
                        next[static_cast<size_t>(j)] = v;
                        from[t * width + static_cast<size_t>(j)] =
                            static_cast<int8_t>(static_cast<long>(i) - j);
                    }
                }
            }
            for (size_t k = 0; k < width; ++k)
                if (next[k] != kNone) next[k] += Emission(order[t], s_.rlo + k);
            score.swap(next);
        }
        std::vector<size_t> rows(n);
        size_t k =
            static_cast<size_t>(std::max_element(score.begin(), score.end()) - score.begin());
        for (size_t t = n; t-- > 0;) {
            rows[t] = s_.rlo + k;
            if (t > 0) k = static_cast<size_t>(static_cast<long>(k) + from[t * width + k]);
        }
        return rows;
    }

    const MapResult& m_;
    const SpeedTrackParams& p_;
    const Search& s_;
    const std::vector<double>& floors_;
    const size_t width_;
    double colSeconds_ = 0.0;
};

// The peak near row r of column c, between lines: climbs to the local
// maximum (the jump cost may hold the path a line off it), then fits a
// parabola through the dB levels there and on each side.
double PeakHz(const MapResult& m, const Search& s, size_t c, size_t r) {
    auto at = [&](size_t row) {
        const float v = m.Cell(c, row);
        return std::isnan(v) ? kNone : static_cast<double>(v);
    };
    for (int step = 0; step < 4; ++step) {
        if (r > s.rlo && at(r - 1) > at(r))
            --r;
        else if (r < s.rhi && at(r + 1) > at(r))
            ++r;
        else
            break;
    }
    double delta = 0.0;
    if (r > 0 && r + 1 < m.rows) {
        const double a = at(r - 1), b = at(r), cc = at(r + 1);
        const double den = a - 2.0 * b + cc;
        if (a != kNone && cc != kNone && b != kNone && den < 0.0)
            delta = std::clamp(0.5 * (a - cc) / den, -0.5, 0.5);
    }
    return m.y0 + m.dy * (static_cast<double>(r) + delta);
}

// A warning for every place where the line changes by a factor near 2 or
// 1/2 within kSlipSeconds, or across a stretch where it was lost in the
// noise: faster than any shaft, the mark of a search that slipped onto
// another harmonic.
void CheckSlips(const std::vector<double>& hz, const std::vector<char>& seen, const MapResult& m,
                SpeedTrackResult& r) {
    const size_t cols = hz.size();
    const size_t span =
        std::max<size_t>(1, static_cast<size_t>(std::lround(kSlipSeconds / r.stepX)));
    int slips = 0;
    size_t quietUntil = 0;  // one warning per slip
    long lastSeen = -1;
    for (size_t c = 0; c < cols; ++c) {
        if (!seen[c]) continue;
        size_t from = c;
        if (lastSeen >= 0 && c - static_cast<size_t>(lastSeen) > 1)
            from = static_cast<size_t>(lastSeen);
        else if (c >= span && seen[c - span])
            from = c - span;
        lastSeen = static_cast<long>(c);
        const double q = hz[c] / hz[from];
        const bool slip = (q > 1.75 && q < 2.3) || (q > 1.0 / 2.3 && q < 1.0 / 1.75);
        if (from == c || !slip || c < quietUntil) continue;
        quietUntil = c + span;
        if (++slips == 1)
            r.notes.push_back("the line jumps from " + Num(hz[from]) + " to " + Num(hz[c]) +
                              " Hz (a factor of " + plat::GeneralText(q, 3) + ") between " +
                              Num(m.x[from]) + " and " + Num(m.x[c]) +
                              " s: it may have slipped to half or twice the order; check the "
                              "start point, the band or the order");
    }
    if (slips > 1) r.notes.push_back(std::to_string(slips) + " such jumps in all");
    if (slips > 0) r.state = kSpeedOctaveJump;
}

// The start's line: of the local peaks within the start's tolerance that
// stand out of the noise, the one nearest the given frequency. A stronger
// line beside it (another order) cannot then take the start.
bool PinStart(const MapResult& m, const std::vector<double>& floors, const SpeedTrackParams& p,
              Search& s) {
    auto at = [&](size_t row) {
        const float v = m.Cell(s.c0, row);
        return std::isnan(v) ? kNone : static_cast<double>(v);
    };
    size_t best = 0;
    double bestDistance = HUGE_VAL;
    for (size_t row = std::max<size_t>(s.alo, 1); row <= s.ahi && row + 1 < m.rows; ++row) {
        const bool peak = at(row) >= at(row - 1) && at(row) >= at(row + 1);
        if (!peak || !(at(row) - floors[s.c0] >= kSeenDb)) continue;
        const double distance = std::abs(m.y0 + m.dy * static_cast<double>(row) - p.startHz);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = row;
        }
    }
    if (bestDistance == HUGE_VAL) return false;
    s.alo = s.ahi = std::clamp(best, s.rlo, s.rhi);
    return true;
}

constexpr size_t kNoRow = std::numeric_limits<size_t>::max();

// The row of a line at f in column c: a local peak within a line of it that
// stands out of the noise; 0 when there is none, kNoRow when f lies off the
// map or too close to 0 Hz to tell.
size_t PeakNear(const MapResult& m, const std::vector<double>& floors, size_t c, double f) {
    const double row = (f - m.y0) / m.dy;
    if (!(row >= 2.0 && row <= static_cast<double>(m.rows) - 3.0)) return kNoRow;
    auto at = [&](size_t q) {
        const float v = m.Cell(c, q);
        return std::isnan(v) ? kNone : static_cast<double>(v);
    };
    const auto r = static_cast<size_t>(std::lround(row));
    size_t best = 0;
    for (size_t q = r - 1; q <= r + 1; ++q)
        if (at(q) >= at(q - 1) && at(q) >= at(q + 1) && at(q) - floors[c] >= kSeenDb &&
            (best == 0 || at(q) > at(best)))
            best = q;
    return best;
}

// Whether the line at hz fits the order given, or a shaft at half or twice
// the speed (the order at twice or half the one given) explains the map
// better: its 1x and 2x lines both stand out where the given order's 1x or
// 2x does not.
struct OrderFit {
    double hz = 0.0;      // the line checked
    double likely = 0.0;  // the order that fits better, 0 when the given one fits
    std::string Text(double x, double order) const {
        return "the line at " + Num(hz) + " Hz (" + Num(x) + " s) fits order " + Num(likely) +
               " of a shaft at " + Num(hz / likely) + " Hz better than order " + Num(order) +
               " (its 1x and 2x lines stand out, those of a shaft at " + Num(hz / order) +
               " Hz do not): give order " + Num(likely) + ", or the start of the order's line";
    }
};

OrderFit CheckOrder(const MapResult& m, const std::vector<double>& floors, size_t c, double hz,
                    double order) {
    // Per shaft order 1 and 2 of hz / k: 1 stands out, 0 not, -1 unknown
    // (off the map or too close to 0 Hz to tell).
    auto standsOut = [&](double f) {
        const size_t r = PeakNear(m, floors, c, f);
        return r == kNoRow ? -1 : r > 0 ? 1 : 0;
    };
    auto both = [&](double k) {
        const int a = standsOut(hz / k), b = standsOut(2.0 * hz / k);
        return a < 0 || b < 0 ? -1 : a + b;
    };
    OrderFit fit;
    fit.hz = hz;
    const int given = both(order);
    if (given < 0 || given == 2) return fit;
    for (const double k : {0.5 * order, 2.0 * order})
        if (both(k) == 2) {
            fit.likely = k;
            break;
        }
    return fit;
}

// The same check along the path: a warning where a neighbouring order fits
// the followed line better in more than a tenth of the spectra it stands out in.
void CheckOrderAlong(const MapResult& m, const std::vector<double>& floors,
                     const std::vector<double>& hz, const std::vector<char>& seen, double order,
                     SpeedTrackResult& r) {
    size_t seenCount = 0, other = 0, first = 0;
    OrderFit firstFit;
    for (size_t c = 0; c < hz.size(); ++c) {
        if (!seen[c]) continue;
        ++seenCount;
        const OrderFit fit = CheckOrder(m, floors, c, hz[c], order);
        if (fit.likely > 0.0 && other++ == 0) {
            first = c;
            firstFit = fit;
        }
    }
    if (other == 0 || 10 * other <= seenCount) return;
    r.notes.push_back("in " + std::to_string(other) + " of " + std::to_string(seenCount) +
                      " spectra " + firstFit.Text(m.x[first], order));
    r.state = kSpeedOctaveJump;
}

// Where the path followed from a start that fits its order sits on the line
// of a neighbouring order (a stronger line beside it can draw the search
// over), the order's own line at the matching ratio is taken, if it stands
// out there. Returns the number of spectra moved.
size_t BackToTheOrder(const MapResult& m, const Search& s, const std::vector<double>& floors,
                      double order, std::vector<double>& line, const std::vector<char>& seen) {
    size_t moved = 0;
    for (size_t c = 0; c < line.size(); ++c) {
        if (!seen[c]) continue;
        const OrderFit fit = CheckOrder(m, floors, c, line[c], order);
        if (fit.likely <= 0.0) continue;
        const size_t row = PeakNear(m, floors, c, line[c] * order / fit.likely);
        if (row == kNoRow || row == 0) continue;
        line[c] = PeakHz(m, s, c, row);
        ++moved;
    }
    return moved;
}

SpeedTrackResult Follow(const MapResult& m, const SpeedTrackParams& p) {
    Search s;
    Failure f;
    if (!MakeSearch(m, p, s, f)) return Fail(f.code, f.text);
    const std::vector<double> floors = Floors(m, s);
    if (s.anchored) {
        if (!PinStart(m, floors, p, s))
            return Fail(kSpeedNoLine, "no line stands out near " + Num(p.startHz) + " Hz at " +
                                          Num(m.x[s.c0]) + " s");
        const OrderFit fit = CheckOrder(m, floors, s.c0, PeakHz(m, s, s.c0, s.alo), p.order);
        if (fit.likely > 0.0) return Fail(kSpeedWrongOrder, fit.Text(m.x[s.c0], p.order));
    }
    const std::vector<size_t> path = PathSearch(m, p, s, floors).Run();
    SpeedTrackResult r;
    const size_t cols = m.Columns();
    r.startX = m.x.front();
    r.stepX = cols > 1 ? (m.x.back() - m.x.front()) / static_cast<double>(cols - 1)
                       : m.resolution.blockSeconds;
    size_t seen = 0;
    std::vector<double> line(cols);
    std::vector<char> seenAt(cols, 0);
    for (size_t c = 0; c < cols; ++c) {
        const float v = m.Cell(c, path[c]);
        seenAt[c] = !std::isnan(v) && v - floors[c] >= kSeenDb;
        seen += seenAt[c] != 0;
        line[c] = PeakHz(m, s, c, path[c]);
    }
    r.seenShare = static_cast<double>(seen) / static_cast<double>(cols);
    if (r.seenShare < p.minSeen)
        return Fail(kSpeedNoLine, "the line of order " + Num(p.order) +
                                      " stands out of the noise in only " +
                                      Num(std::round(r.seenShare * 1000.0) / 10.0) + " % of the " +
                                      std::to_string(cols) + " spectra (" +
                                      Num(std::round(p.minSeen * 100.0)) + " % needed)");
    if (seen < cols)
        r.notes.push_back("the line is lost in the noise in " + std::to_string(cols - seen) +
                          " of " + std::to_string(cols) +
                          " spectra; the speed there is where "
                          "the search bridged the gap");
    if (s.anchored) {
        const size_t moved = BackToTheOrder(m, s, floors, p.order, line, seenAt);
        if (moved > 0)
            r.notes.push_back("the search slipped to a neighbouring order in " +
                              std::to_string(moved) +
                              " spectra; the order's line there was taken instead");
    }
    CheckSlips(line, seenAt, m, r);
    CheckOrderAlong(m, floors, line, seenAt, p.order, r);
    r.hz.resize(cols);
    for (size_t c = 0; c < cols; ++c) r.hz[c] = line[c] / p.order;
    return r;
}

std::string CheckParams(const SpeedTrackParams& p, int& code) {
    code = kSpeedBadOrder;
    if (!(p.order > 0.0) || !std::isfinite(p.order))
        return "the order " + Num(p.order) + " is not a positive number";
    code = kSpeedNoAnchor;
    if (!p.hasStart && !p.hasRange) return "neither a start point nor a band is given";
    code = kSpeedBadStart;
    if (p.hasStart && (!std::isfinite(p.startX) || !(p.startHz > 0.0) || !std::isfinite(p.startHz)))
        return "the start point " + Num(p.startX) + " s, " + Num(p.startHz) +
               " Hz is not a time and a positive frequency";
    code = kSpeedBadRange;
    if (p.hasRange && !(p.lo >= 0.0 && p.hi > p.lo && std::isfinite(p.hi)))
        return "the band " + Num(p.lo) + " to " + Num(p.hi) + " Hz is not a band of frequencies";
    code = kSpeedBadSpectrum;
    if (!(p.maxRate > 0.0) || !std::isfinite(p.maxRate) || !(p.jumpPenalty >= 0.0) ||
        !std::isfinite(p.jumpPenalty))
        return "the rate limit and the jump cost must be positive numbers";
    if (std::string e = CheckSpectrumParams(p.spectrum); !e.empty()) return e;
    code = kDspOk;
    return {};
}

SpeedTrackResult Track(const SignalSnapshot& signal, const SpeedTrackParams& p,
                       const MapProgress& progress, const std::atomic<bool>* stop) {
    int code = kDspOk;
    if (std::string e = CheckParams(p, code); !e.empty()) return Fail(code, e);
    const std::span<const double> x(signal.samples.data(), signal.samples.size());
    if (x.size() < 2) return Fail(kDspTooShort, DspCodeText(kDspTooShort));
    if (!(signal.stepX > 0.0) || !std::isfinite(signal.stepX) || !std::isfinite(signal.startX))
        return Fail(kDspBadStep, DspCodeText(kDspBadStep));
    for (double v : x)
        if (!std::isfinite(v)) return Fail(kDspBadSample, DspCodeText(kDspBadSample));
    const auto [mn, mx] = std::minmax_element(x.begin(), x.end());
    if (*mn == *mx) return Fail(kSpeedFlat, "the signal is a flat line (" + Num(*mn) + ")");
    if (x.size() < static_cast<size_t>(p.spectrum.n))
        return Fail(kSpeedBadSpectrum, "the signal (" + std::to_string(x.size()) +
                                           " samples) is shorter than one spectrum block (" +
                                           std::to_string(p.spectrum.n) + ")");

    // What the record and its rate refuse needs no map.
    const double nyquist = 0.5 / signal.stepX;
    const double end = signal.startX + static_cast<double>(x.size()) * signal.stepX;
    if (p.hasStart && !(p.startX >= signal.startX && p.startX <= end))
        return Fail(kSpeedBadStart, "the start " + Num(p.startX) + " s lies outside the signal (" +
                                        Num(signal.startX) + " to " + Num(end) + " s)");
    if (p.hasStart && !(p.startHz < nyquist))
        return Fail(kSpeedBadStart, "the start frequency " + Num(p.startHz) +
                                        " Hz lies above the Nyquist frequency (" + Num(nyquist) +
                                        " Hz)");
    if (p.hasRange && p.lo >= nyquist)
        return Fail(kSpeedBadRange, "the band " + Num(p.lo) + " to " + Num(p.hi) +
                                        " Hz lies above the Nyquist frequency (" + Num(nyquist) +
                                        " Hz)");

    MapParams mp;
    mp.spectrum = p.spectrum;
    mp.spectrum.amplitude = SpectrumAmplitude::Power;
    mp.spectrum.scale = SpectrumScale::Db;
    mp.spectrum.dbReference = 1.0;
    const MapResult m = ComputeMap(signal, nullptr, mp, progress, stop);
    if (m.stopped) return Fail(kSpeedStopped, "stopped");
    if (!m.error.empty()) return Fail(kSpeedBadSpectrum, m.error);
    if (m.Columns() == 0 || m.rows < 4) return Fail(kSpeedBadSpectrum, "the map holds no spectra");
    SpeedTrackResult r = Follow(m, p);
    if (progress) progress(1.0);
    return r;
}

}  // namespace

const char* SpeedTrackCodeText(int code) {
    switch (code) {
        case kSpeedBadOrder:
            return "the order is not a positive number";
        case kSpeedNoAnchor:
            return "neither a start point nor a speed band is given";
        case kSpeedBadStart:
            return "the start point lies outside the signal or its band";
        case kSpeedBadRange:
            return "the speed band is empty or above the Nyquist frequency";
        case kSpeedBadSpectrum:
            return "unusable spectrum parameters, or the signal is shorter than a block";
        case kSpeedFlat:
            return "the signal is a flat line";
        case kSpeedNoLine:
            return "the order's line does not stand out of the noise";
        case kSpeedStopped:
            return "stopped";
        case kSpeedFailed:
            return "not enough memory";
        case kSpeedWrongOrder:
            return "the start's line fits another order of the shaft better";
        case kSpeedOctaveJump:
            return "the line jumps by a factor near 2: check the result";
        default:
            return DspCodeText(code);
    }
}

int SpeedTrackParamsFrom(const OperatorParams& keys, SpeedTrackParams& out, std::string& error) {
    SpeedTrackParams p;
    p.order = keys.Number("order", 1.0);
    p.hasStart = keys.Has("startTime") || keys.Has("startSpeed");
    p.startX = keys.Number("startTime", std::nan(""));
    p.startHz = keys.Number("startSpeed", std::nan("")) * p.order;
    p.hasRange = keys.Has("speedLo") || keys.Has("speedHi");
    p.lo = keys.Number("speedLo", std::nan("")) * p.order;
    p.hi = keys.Number("speedHi", std::nan("")) * p.order;
    const double n = keys.Number("numPoints", p.spectrum.n);
    p.spectrum.n = n >= kMinBlock && n <= kMaxBlock ? static_cast<int>(n) : 0;
    const double window = keys.Number("typeWindow", p.spectrum.window);
    p.spectrum.window = window >= 1 && window <= 5 ? static_cast<int>(window) : 0;
    p.spectrum.overlap = keys.Number("overlap", p.spectrum.overlap);
    const double averages = keys.Number("averages", 1.0);
    p.spectrum.averages = averages >= 1 && averages <= 1e6 ? static_cast<int>(averages) : 0;
    p.maxRate = keys.Number("maxRate", p.maxRate);
    p.jumpPenalty = keys.Number("jumpPenalty", p.jumpPenalty);
    int code = kDspOk;
    error = CheckParams(p, code);
    if (code == kDspOk) out = p;
    return code;
}

SpeedTrackResult TrackSpeed(const SignalSnapshot& signal, const SpeedTrackParams& params,
                            const MapProgress& progress, const std::atomic<bool>* stop) {
    try {
        return Track(signal, params, progress, stop);
    } catch (const std::bad_alloc&) {
        return Fail(kSpeedFailed, "not enough memory for the search");
    } catch (const std::exception& e) {
        return Fail(kSpeedFailed, std::string("the search failed: ") + e.what());
    }
}

}  // namespace korvex
