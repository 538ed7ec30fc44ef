// Calculator rules: kinematic factors, input checks and the tracking bands to add.

#include "ui/rules/kinrules.h"

#include <cmath>
#include <numbers>
#include <numeric>

#include "platform/text.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"
#include "ui/rules/procrules.h"

using namespace res;

namespace kinrules {

namespace {

Fault Make(Field f, int textId, std::vector<std::string> more = {}) {
    std::vector<std::string> args{Str(FieldLabel(f))};
    for (std::string& a : more) args.push_back(std::move(a));
    return {f, Format(textId, args)};
}

std::optional<Fault> Positive(double v, Field f) {
    if (std::isfinite(v) && v > 0) return std::nullopt;
    return Make(f, IDS_KIN_BAD_SIZE);
}

std::optional<Fault> InRange(int v, int lo, int hi, Field f) {
    if (v >= lo && v <= hi) return std::nullopt;
    return Make(f, IDS_KIN_BAD_RANGE, {std::to_string(lo), std::to_string(hi)});
}

// A frequency the bands are modulated by: its symbol, its definition (empty
// for the tacho item's own shaft) and its factor.
struct Modulation {
    std::string sym;
    std::string def;
    double factor = 0.0;
};

// Builds the bands of one calculation in order.
class Builder {
  public:
    Builder(const Target& t, std::string params, std::vector<PlannedBand>& out)
        : t_(t), params_(std::move(params)), out_(out) {}

    // times x sym, then its sidebands times x sym -/+ j x mod for j = 1..m.
    void Add(int times, const std::string& sym, const std::string& def, double factor,
             const std::vector<Modulation>& mods = {}, int sidebands = 0) {
        const double centre = times * factor;
        Push(Term(times, sym, "x"), Term(times, sym, "*"), def, centre);
        for (int j = 1; j <= sidebands; ++j)
            for (const Modulation& m : mods)
                for (int sign : {-1, 1}) {
                    const double f = centre + sign * j * m.factor;
                    // A band at zero or below measures nothing.
                    if (!(f > 1e-9)) continue;
                    const char* op = sign < 0 ? "-" : "+";
                    Push(Term(times, sym, "x") + op + Term(j, m.sym, ""),
                         Term(times, sym, "*") + " " + op + " " + Term(j, m.sym, "*"),
                         m.def.empty() ? def : def + "; " + m.def, f);
                }
    }

  private:
    static std::string Term(int times, const std::string& sym, const char* by) {
        return times > 1 ? std::to_string(times) + by + sym : sym;
    }
    void Push(const std::string& name, const std::string& expr, const std::string& def,
              double factor) {
        PlannedBand b;
        std::string head = t_.prefix;
        if (t_.envelope) head += (head.empty() ? "" : " ") + Str(IDS_KIN_ENV_MARK);
        b.name = head.empty() ? name : head + " " + name;
        b.info =
            Format(IDS_KIN_INFO, {expr, FactorText(factor) + "*" + t_.tachoName, def, params_});
        if (t_.envelope) b.info += "; " + Str(IDS_KIN_ENV_INFO);
        b.factor = factor;
        out_.push_back(std::move(b));
    }

    const Target& t_;
    std::string params_;
    std::vector<PlannedBand>& out_;
};

std::optional<Fault> CheckTacho(const Target& t) {
    if (t.tachoId >= 0) return std::nullopt;
    return Make(Field::kTacho, IDS_KIN_NO_TACHO);
}

}  // namespace

int FieldLabel(Field f) {
    switch (f) {
        case Field::kBalls:
            return IDS_KIN_FIELD_BALLS;
        case Field::kBallDiameter:
            return IDS_KIN_FIELD_BALL_D;
        case Field::kPitchDiameter:
            return IDS_KIN_FIELD_PITCH_D;
        case Field::kAngle:
            return IDS_KIN_FIELD_ANGLE;
        case Field::kTeeth1:
            return IDS_KIN_FIELD_Z1;
        case Field::kTeeth2:
            return IDS_KIN_FIELD_Z2;
        case Field::kTacho:
            return IDS_KIN_FIELD_TACHO;
        case Field::kHarmonics:
            return IDS_KIN_FIELD_HARMONICS;
        case Field::kSidebands:
            return IDS_KIN_FIELD_SIDEBANDS;
        case Field::kWidth:
            return IDS_KIN_FIELD_WIDTH;
        case Field::kMinWidth:
            return IDS_KIN_FIELD_MIN_WIDTH;
    }
    return 0;
}

// With the inner ring at fi and the outer at fo, a rolling element's centre
// moves at the mean of its two contact points' speeds:
//   cage  fc = fi/2 * (1 - r) + fo/2 * (1 + r),   r = d/D * cos(alpha);
// the elements pass a point of a race at n times the race's speed relative
// to the cage, and an element spins at D/(2d) * (1 - r^2) * |fi - fo|:
//   outer race  n * |fo - fc| = n/2 * (1 - r) * |fi - fo|
//   inner race  n * |fi - fc| = n/2 * (1 + r) * |fi - fo|
// The race and spin frequencies depend on the rings' relative speed only,
// so with one ring standing they are the same whichever ring turns; the cage
// follows the turning ring: (1 - r)/2 with the inner ring turning, (1 + r)/2
// with the outer. What swaps is which race turns with the shaft, and so
// which race's frequency the shaft modulates (see PlanBearing).
BearingFactors FactorsOf(const Bearing& b) {
    const double r =
        b.ballDiameter / b.pitchDiameter * std::cos(b.angleDeg * std::numbers::pi / 180.0);
    BearingFactors f;
    f.ftf = b.outerTurns ? (1 + r) / 2 : (1 - r) / 2;
    f.bpfo = b.balls / 2.0 * (1 - r);
    f.bpfi = b.balls / 2.0 * (1 + r);
    f.bsf = b.pitchDiameter / (2 * b.ballDiameter) * (1 - r * r);
    return f;
}

GearFactors FactorsOf(const Gear& g) {
    GearFactors f;
    const double z1 = g.teeth1, z2 = g.teeth2;
    f.shaft1 = g.tachoOnShaft2 ? z2 / z1 : 1.0;
    f.shaft2 = g.tachoOnShaft2 ? 1.0 : z1 / z2;
    f.mesh = z1 * f.shaft1;
    // The same pair of teeth meets again after LCM(z1, z2) meshes.
    f.lcm = std::lcm(int64_t{g.teeth1}, int64_t{g.teeth2});
    f.hunting = f.lcm > 0 ? f.mesh / static_cast<double>(f.lcm) : 0.0;
    return f;
}

std::optional<Fault> Check(const Bearing& b) {
    if (b.balls <= 0) return Make(Field::kBalls, IDS_KIN_BAD_COUNT);
    if (auto f = Positive(b.ballDiameter, Field::kBallDiameter)) return f;
    if (auto f = Positive(b.pitchDiameter, Field::kPitchDiameter)) return f;
    if (b.ballDiameter >= b.pitchDiameter)
        return Make(Field::kBallDiameter, IDS_KIN_BAD_RATIO,
                    {Str(FieldLabel(Field::kPitchDiameter))});
    if (!(std::fabs(b.angleDeg) < 90.0)) return Make(Field::kAngle, IDS_KIN_BAD_ANGLE);
    return std::nullopt;
}

std::optional<Fault> Check(const Gear& g) {
    if (g.teeth1 <= 0) return Make(Field::kTeeth1, IDS_KIN_BAD_COUNT);
    if (g.teeth2 <= 0) return Make(Field::kTeeth2, IDS_KIN_BAD_COUNT);
    return std::nullopt;
}

std::optional<Fault> Check(const Series& s) {
    if (auto f = InRange(s.harmonics, 1, kMaxHarmonics, Field::kHarmonics)) return f;
    return InRange(s.sidebands, 0, kMaxSidebands, Field::kSidebands);
}

std::optional<Fault> Check(const CfgBandWidth& bw) {
    if (!bw.relativeBorders) {
        if (bw.inFftBins)
            return bw.fftBinsValue > 0 ? std::nullopt
                                       : std::optional(Make(Field::kWidth, IDS_KIN_BAD_SIZE));
        return Positive(bw.physicalValue, Field::kWidth);
    }
    if (auto f = Positive(bw.percentValue, Field::kWidth)) return f;
    const bool minOk = bw.inFftBins ? bw.fftBinsValue >= 0
                                    : std::isfinite(bw.physicalValue) && bw.physicalValue >= 0;
    if (!minOk) return Make(Field::kMinWidth, IDS_KIN_BAD_MIN);
    return std::nullopt;
}

namespace {

std::optional<Fault> ReadCount(const std::string& text, Field f, int& v) {
    if (procrules::ParseCount(text, v)) return std::nullopt;
    return Make(f, IDS_KIN_NOT_WHOLE);
}

std::optional<Fault> ReadNumber(const std::string& text, Field f, double& v) {
    if (procrules::ParseNumber(text, v)) return std::nullopt;
    return Make(f, IDS_KIN_NOT_NUMBER);
}

}  // namespace

std::optional<Fault> Read(const BearingText& text, Bearing& b) {
    b.outerTurns = text.outerTurns;
    if (auto f = ReadCount(text.balls, Field::kBalls, b.balls)) return f;
    if (auto f = ReadNumber(text.ballDiameter, Field::kBallDiameter, b.ballDiameter)) return f;
    if (auto f = ReadNumber(text.pitchDiameter, Field::kPitchDiameter, b.pitchDiameter)) return f;
    return ReadNumber(text.angle, Field::kAngle, b.angleDeg);
}

std::optional<Fault> Read(const GearText& text, Gear& g) {
    g.tachoOnShaft2 = text.tachoOnShaft2;
    if (auto f = ReadCount(text.teeth1, Field::kTeeth1, g.teeth1)) return f;
    return ReadCount(text.teeth2, Field::kTeeth2, g.teeth2);
}

std::optional<Fault> Read(const SeriesText& text, Series& s) {
    if (auto f = ReadCount(text.harmonics, Field::kHarmonics, s.harmonics)) return f;
    return ReadCount(text.sidebands, Field::kSidebands, s.sidebands);
}

std::optional<Fault> ReadWidth(const CfgBandWidth& bw, const std::string& width,
                               const std::string& min) {
    int lines = 0;
    double v = 0.0;
    const bool widthInLines = !bw.relativeBorders && bw.inFftBins;
    if (auto f = widthInLines ? ReadCount(width, Field::kWidth, lines)
                              : ReadNumber(width, Field::kWidth, v))
        return f;
    if (!bw.relativeBorders) return std::nullopt;
    return bw.inFftBins ? ReadCount(min, Field::kMinWidth, lines)
                        : ReadNumber(min, Field::kMinWidth, v);
}

std::string FactorText(double factor) {
    std::string s = procrules::Fixed(factor, 4);
    if (s.find('.') == std::string::npos) return s;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

Plan PlanBearing(const Bearing& b, const Series& s, const Target& t) {
    Plan p;
    p.fault = Check(b);
    if (!p.fault) p.fault = Check(s);
    if (!p.fault) p.fault = CheckTacho(t);
    if (p.fault) return p;
    const BearingFactors k = FactorsOf(b);
    const std::string params =
        Format(IDS_KIN_BEARING_PARAMS,
               {std::to_string(b.balls), FactorText(b.ballDiameter), FactorText(b.pitchDiameter),
                FactorText(b.angleDeg),
                Str(b.outerTurns ? IDS_KIN_OUTER_TURNS : IDS_KIN_INNER_TURNS), t.tachoName});
    Builder out(t, params, p.bands);
    const std::string ftfDef = Str(b.outerTurns ? IDS_KIN_DEF_FTF_OUTER : IDS_KIN_DEF_FTF_INNER);
    const std::vector<Modulation> byShaft = {{Str(IDS_KIN_SYM_SHAFT), "", 1.0}};
    const std::vector<Modulation> byCage = {{Str(IDS_KIN_SYM_FTF), ftfDef, k.ftf}};
    for (int h = 1; h <= s.harmonics; ++h) out.Add(h, Str(IDS_KIN_SYM_FTF), ftfDef, k.ftf);
    // A defect on the turning race passes through the load zone once a turn:
    // its lines carry sidebands at the shaft frequency.
    for (int h = 1; h <= s.harmonics; ++h)
        out.Add(h, Str(IDS_KIN_SYM_BPFO), Str(IDS_KIN_DEF_BPFO), k.bpfo, byShaft,
                b.outerTurns ? s.sidebands : 0);
    for (int h = 1; h <= s.harmonics; ++h)
        out.Add(h, Str(IDS_KIN_SYM_BPFI), Str(IDS_KIN_DEF_BPFI), k.bpfi, byShaft,
                b.outerTurns ? 0 : s.sidebands);
    // The element's harmonics 1..k and those of 2 x BSF (a defect striking
    // both races once a spin): the multiples 1..k and 2, 4, ..., 2k, each once.
    for (int m = 1; m <= 2 * s.harmonics; ++m) {
        if (m > s.harmonics && m % 2 != 0) continue;
        std::string def = Str(IDS_KIN_DEF_BSF);
        if (m % 2 == 0) def += "; " + Str(IDS_KIN_DEF_2BSF);
        out.Add(m, Str(IDS_KIN_SYM_BSF), def, k.bsf, byCage, s.sidebands);
    }
    return p;
}

Plan PlanGear(const Gear& g, const Series& s, const Target& t) {
    Plan p;
    p.fault = Check(g);
    if (!p.fault) p.fault = Check(s);
    if (!p.fault) p.fault = CheckTacho(t);
    if (p.fault) return p;
    const GearFactors k = FactorsOf(g);
    const std::string f1 = Str(IDS_KIN_SYM_SHAFT1), f2 = Str(IDS_KIN_SYM_SHAFT2);
    const std::string params =
        Format(IDS_KIN_GEAR_PARAMS, {std::to_string(g.teeth1), std::to_string(g.teeth2),
                                     g.tachoOnShaft2 ? f2 : f1, t.tachoName});
    const std::string def1 = g.tachoOnShaft2 ? Str(IDS_KIN_DEF_SHAFT1) : "";
    const std::string def2 = g.tachoOnShaft2 ? "" : Str(IDS_KIN_DEF_SHAFT2);
    std::vector<Modulation> shafts = {{f1, def1, k.shaft1}};
    // Equal wheels turn alike: the second shaft's sidebands would repeat the first's.
    if (g.teeth1 != g.teeth2) shafts.push_back({f2, def2, k.shaft2});
    Builder out(t, params, p.bands);
    const std::string mesh = Str(IDS_KIN_SYM_MESH), meshDef = Str(IDS_KIN_DEF_MESH);
    for (int h = 1; h <= s.harmonics; ++h) out.Add(h, mesh, meshDef, k.mesh, shafts, s.sidebands);
    if (g.tachoOnShaft2)
        out.Add(1, f1, def1, k.shaft1);
    else
        out.Add(1, f2, def2, k.shaft2);
    out.Add(1, Str(IDS_KIN_SYM_HUNTING),
            meshDef + "; " + Format(IDS_KIN_DEF_HUNTING, {std::to_string(k.lcm)}), k.hunting);
    return p;
}

int DefaultTacho(const freqrules::TachoList& list, const CCfgProc& cfg, CCfgProcItem* folder) {
    const CCfgProcSection* home = freqrules::SectionOf(folder);
    for (size_t i = 0; i < list.size(); ++i)
        if (home && freqrules::SectionOf(cfg.FindItemById(list[i].first)) == home)
            return static_cast<int>(i);
    return list.empty() ? -1 : 0;
}

std::vector<CCfgProcBandTrack*> AddBands(CCfgProcFolder& folder,
                                         const std::vector<PlannedBand>& bands,
                                         const Target& target, const CfgBandWidth& width) {
    auto taken = [&folder](const std::string& name) {
        for (const auto& c : folder.children)
            if (c && plat::EqualNoCase(c->name, name)) return true;
        return false;
    };
    std::vector<CCfgProcBandTrack*> added;
    for (const PlannedBand& b : bands) {
        auto node = std::make_unique<CCfgProcBandTrack>();
        node->name = b.name;
        for (int n = 2; taken(node->name); ++n)
            node->name = b.name + " (" + std::to_string(n) + ")";
        node->info = b.info;
        node->components = {{target.tachoName, target.tachoId, b.factor}};
        node->bandWidth = width;
        node->bandWidth.tachoRef = target.tachoName;
        node->bandWidth.tachoRefId = target.tachoId;
        added.push_back(static_cast<CCfgProcBandTrack*>(folder.Append(std::move(node))));
    }
    return added;
}

}  // namespace kinrules
