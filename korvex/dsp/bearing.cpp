// Fault frequencies of a rolling bearing and the verdict on an envelope
// spectrum.

#include "korvex/dsp/bearing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvex {

std::string CheckBearing(const BearingGeometry& g) {
    if (g.balls < 1) return "a bearing has at least one rolling element";
    if (!(g.ballDiameter > 0.0) || !std::isfinite(g.ballDiameter))
        return "the ball diameter must be a positive number";
    if (!(g.pitchDiameter > 0.0) || !std::isfinite(g.pitchDiameter))
        return "the pitch diameter must be a positive number";
    if (g.ballDiameter >= g.pitchDiameter)
        return "the ball diameter must be smaller than the pitch diameter";
    if (!(std::fabs(g.angleDeg) < 90.0)) return "the contact angle must lie below 90 degrees";
    return {};
}

BearingOrders BearingFaultOrders(const BearingGeometry& g) {
    const double r =
        g.ballDiameter / g.pitchDiameter * std::cos(g.angleDeg * std::numbers::pi / 180.0);
    BearingOrders o;
    // The cage runs at the mean of the races' speeds at the contact points.
    o.ftf = g.outerRotates ? (1.0 + r) / 2.0 : (1.0 - r) / 2.0;
    o.bpfo = g.balls / 2.0 * (1.0 - r);
    o.bpfi = g.balls / 2.0 * (1.0 + r);
    o.bsf = g.pitchDiameter / (2.0 * g.ballDiameter) * (1.0 - r * r);
    return o;
}

const char* FaultName(FaultKind k) {
    switch (k) {
        case FaultKind::Ftf:
            return "FTF";
        case FaultKind::Bpfo:
            return "BPFO";
        case FaultKind::Bpfi:
            return "BPFI";
        case FaultKind::Bsf:
            return "BSF";
        case FaultKind::None:
            break;
    }
    return "none";
}

std::vector<FaultLine> BearingLines(const BearingGeometry& g) {
    const BearingOrders o = BearingFaultOrders(g);
    // A defect on the turning race passes through the load zone once a turn;
    // a defective element once a turn of the cage.
    return {{"FTF", o.ftf, FaultKind::Ftf, 0.0},
            {"BPFO", o.bpfo, FaultKind::Bpfo, g.outerRotates ? 1.0 : 0.0},
            {"BPFI", o.bpfi, FaultKind::Bpfi, g.outerRotates ? 0.0 : 1.0},
            {"BSF", 2.0 * o.bsf, FaultKind::Bsf, o.ftf}};
}

namespace {

struct Peak {
    size_t line = 0;
    double power = 0.0;
    double snrDb = 0.0;
};

// The highest line within f +- tol (at least the nearest line), and its
// height over the median of the lines within f +- half outside that window.
Peak PeakAt(const AveragedSpectrum& s, double f, double tol, double half) {
    Peak p;
    const double df = s.df;
    const size_t n = s.power.size();
    if (n < 3 || !(df > 0.0) || f <= 0.0) return p;
    tol = std::max(tol, df);
    const auto index = [&](double hz) {
        return static_cast<size_t>(std::clamp(hz / df, 0.0, static_cast<double>(n - 1)));
    };
    const size_t a = std::max<size_t>(1, static_cast<size_t>(std::ceil((f - tol) / df - 1e-9)));
    const size_t b = std::min(n - 1, index(f + tol + 1e-9 * df));
    if (a > b) return p;
    p.line = a;
    for (size_t k = a; k <= b; ++k)
        if (s.power[k] > s.power[p.line]) p.line = k;
    p.power = s.power[p.line];
    std::vector<double> floor;
    const size_t lo = std::max<size_t>(1, index(f - half)), hi = index(f + half);
    for (size_t k = lo; k <= hi; ++k)
        if (k < a || k > b) floor.push_back(s.power[k]);
    if (floor.size() < 4) return p;
    auto mid = floor.begin() + static_cast<std::ptrdiff_t>(floor.size() / 2);
    std::nth_element(floor.begin(), mid, floor.end());
    const double median = *mid;
    p.snrDb = median > 0.0 && p.power > 0.0 ? 10.0 * std::log10(p.power / median)
                                            : (p.power > 0.0 ? 300.0 : 0.0);
    return p;
}

// How much higher a fault's line must stand in its band than in the
// envelope of a band elsewhere (impacts ring their resonance, not every
// band), and than in the record's own spectrum (where a bearing's rate
// hardly shows, while a discrete line stands far higher than in any envelope).
constexpr double kOtherBandMarginDb = 3.0;
constexpr double kRawMarginDb = 0.0;

enum class LineKind { NotOwn, Elsewhere, Clean };

struct Reader {
    const AveragedSpectrum& env;
    double shaft;
    const ComparisonSpectra& cmp;
    const VerdictParams& p;

    double Tol(double f) const { return std::max(p.slip * f, env.df); }

    bool StandsIn(const AveragedSpectrum* other, double foundHz, double snr, double margin,
                  double half) const {
        if (!other || other->power.empty()) return false;
        const double o = PeakAt(*other, foundHz, std::max(other->df, env.df), half).snrDb;
        return o >= p.foundDb && o >= snr - margin;
    }

    // A line at f (found at foundHz with height snr) is none of the fault's
    // when a shaft harmonic lies within its tolerance or it stands as high in
    // the record's own spectrum; it is present elsewhere when it stands
    // within 3 dB as high in the envelope of a quiet band.
    LineKind Classify(double f, double foundHz, double snr, double half) const {
        const double k = std::round(f / shaft);
        if (k >= 1.0 && std::fabs(f - k * shaft) <= Tol(f)) return LineKind::NotOwn;
        if (StandsIn(cmp.raw, foundHz, snr, kRawMarginDb, half)) return LineKind::NotOwn;
        if (StandsIn(cmp.otherBand, foundHz, snr, kOtherBandMarginDb, half))
            return LineKind::Elsewhere;
        return LineKind::Clean;
    }

    static void Count(LineReading& r, LineKind kind, double snr, bool fundamental) {
        if (kind == LineKind::NotOwn) return;
        ++r.ownLines;
        r.evidenceDb += snr;
        if (fundamental) r.fundamentalOwn = true;
        if (kind != LineKind::Clean) return;
        ++r.cleanLines;
        if (fundamental) r.fundamentalClean = true;
    }

    LineReading Read(const FaultLine& line, double top) const {
        LineReading r;
        r.line = line;
        r.hz = line.order * shaft;
        if (!(r.hz > 0.0)) return r;
        const double half = std::max(0.5 * r.hz, 20.0 * env.df);
        for (int h = 1; h <= p.maxHarmonics; ++h) {
            const double f = h * r.hz;
            if (f + Tol(f) > top) break;
            const Peak pk = PeakAt(env, f, Tol(f), half);
            const bool found = pk.snrDb >= p.foundDb;
            const double at = static_cast<double>(pk.line) * env.df;
            if (h == 1) {
                r.amplitude = std::sqrt(pk.power);
                r.snrDb = pk.snrDb;
                if (found) r.foundHz = at;
            }
            if (!found) continue;
            ++r.harmonics;
            const LineKind kind = Classify(f, at, pk.snrDb, half);
            Count(r, kind, pk.snrDb, h == 1);
            if (!(line.sidebandOrder > 0.0)) continue;
            const double sb = line.sidebandOrder * shaft;
            for (const double side : {at - sb, at + sb}) {
                if (side <= 0.0 || side + Tol(sb) > top) continue;
                const Peak s = PeakAt(env, side, Tol(sb), half);
                if (s.snrDb < p.foundDb) continue;
                ++r.sidebands;
                if (kind == LineKind::NotOwn) continue;
                Count(r, Classify(side, static_cast<double>(s.line) * env.df, s.snrDb, half),
                      s.snrDb, false);
            }
        }
        return r;
    }
};

}  // namespace

BearingReading ReadFaultLines(const AveragedSpectrum& envelope, double shaftHz,
                              const std::vector<FaultLine>& lines, const ComparisonSpectra& cmp,
                              const VerdictParams& p) {
    BearingReading out;
    if (envelope.power.size() < 3 || !(shaftHz > 0.0)) return out;
    double top = static_cast<double>(envelope.power.size() - 1) * envelope.df;
    if (p.maxHz > 0.0) top = std::min(top, p.maxHz);
    const Reader reader{envelope, shaftHz, cmp, p};
    double strongest = 0.0;
    for (const FaultLine& line : lines) {
        out.lines.push_back(reader.Read(line, top));
        const LineReading& r = out.lines.back();
        // Never on a single line: the fundamental and two more lines of its
        // own (harmonics, sidebands), or the fundamental and one more that
        // both stand clearly higher than in the quiet band.
        const bool called =
            r.fundamentalOwn && (r.ownLines >= 3 || (r.fundamentalClean && r.cleanLines >= 2));
        if (r.line.kind == FaultKind::None || !called) continue;
        if (r.evidenceDb > strongest) {
            strongest = r.evidenceDb;
            out.verdict = r.line.kind;
        }
    }
    return out;
}

}  // namespace korvex
