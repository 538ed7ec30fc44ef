#pragma once
// Rules of the bearing and gear-pair calculators that need no widgets: the
// kinematic factors, the checks of the input, and the list of tracking bands
// (name, description, factor on one tacho item) that the dialogs preview and
// add to a folder of the frequency base.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "ui/rules/freqrules.h"

namespace kinrules {

// Rolling bearing. The factors are multiples of the frequency of the ring
// that turns (the shaft's); the other ring stands.
struct Bearing {
    int balls = 0;               // n
    double ballDiameter = 0.0;   // d
    double pitchDiameter = 0.0;  // D
    double angleDeg = 0.0;       // contact angle
    bool outerTurns = false;
};
struct BearingFactors {
    double ftf = 0.0;   // cage
    double bpfo = 0.0;  // a rolling element passes a point of the outer race
    double bpfi = 0.0;  // ... of the inner race
    double bsf = 0.0;   // a rolling element spins once
};
// For valid input (see Check).
BearingFactors FactorsOf(const Bearing& b);

// Gear pair; the tacho item sits on shaft 1 or on shaft 2.
struct Gear {
    int teeth1 = 0;
    int teeth2 = 0;
    bool tachoOnShaft2 = false;
};
struct GearFactors {
    double shaft1 = 0.0;
    double shaft2 = 0.0;
    double mesh = 0.0;     // z1 * f1
    double hunting = 0.0;  // mesh / LCM(z1, z2)
    int64_t lcm = 0;
};
GearFactors FactorsOf(const Gear& g);

// What both calculators add besides their own bands.
struct Series {
    int harmonics = 1;  // 1..k times each frequency
    int sidebands = 0;  // 1..m times the modulating frequency on both sides
};
inline constexpr int kMaxHarmonics = 20;
inline constexpr int kMaxSidebands = 10;

// A field the user got wrong, with the message that names it.
enum class Field {
    kBalls,
    kBallDiameter,
    kPitchDiameter,
    kAngle,
    kTeeth1,
    kTeeth2,
    kTacho,
    kHarmonics,
    kSidebands,
    kWidth,
    kMinWidth,
};
struct Fault {
    Field field;
    std::string text;
};
std::optional<Fault> Check(const Bearing& b);
std::optional<Fault> Check(const Gear& g);
std::optional<Fault> Check(const Series& s);
std::optional<Fault> Check(const CfgBandWidth& bw);
// The string id of the field's label.
int FieldLabel(Field f);

// The calculators' fields as typed. Each is read whole: a count takes
// digits only ("9.5", "1e1", "9x" are faults), a size a number and nothing
// after it ("7.94mm" is a fault); a fault names the field.
struct BearingText {
    std::string balls, ballDiameter, pitchDiameter, angle;
    bool outerTurns = false;
};
struct GearText {
    std::string teeth1, teeth2;
    bool tachoOnShaft2 = false;
};
struct SeriesText {
    std::string harmonics, sidebands;
};
std::optional<Fault> Read(const BearingText& text, Bearing& b);
std::optional<Fault> Read(const GearText& text, Gear& g);
std::optional<Fault> Read(const SeriesText& text, Series& s);
// The width rule's value texts against its modes (the minimum only where a
// width in percent has one).
std::optional<Fault> ReadWidth(const CfgBandWidth& bw, const std::string& width,
                               const std::string& min);

// One band to add: factor times the tacho item's frequency.
struct PlannedBand {
    std::string name;
    std::string info;
    double factor = 0.0;
};
// The bands, or the first fault (then no bands). tachoId -1: none chosen.
struct Plan {
    std::vector<PlannedBand> bands;
    std::optional<Fault> fault;
};
struct Target {
    int tachoId = -1;
    std::string tachoName;
    std::string prefix;  // put before every name, with a space
    // Bands for the envelope spectrum: the names carry its mark after the
    // prefix and the descriptions say where the level is read.
    bool envelope = false;
};
// Cage, outer race, inner race and rolling-element bands with their
// harmonics; sidebands of the turning race at the shaft frequency and of the
// rolling element at the cage frequency.
Plan PlanBearing(const Bearing& b, const Series& s, const Target& t);
// Mesh harmonics with sidebands at both shafts, the other shaft's own
// frequency and the hunting-tooth frequency.
Plan PlanGear(const Gear& g, const Series& s, const Target& t);

// A factor as the preview and the descriptions show it: four decimals,
// trailing zeros dropped.
std::string FactorText(double factor);

// The tacho item offered first: the first one in the section that holds
// folder, else the first of the list; -1 for an empty list.
int DefaultTacho(const freqrules::TachoList& list, const CCfgProc& cfg, CCfgProcItem* folder);

// Appends the planned bands to folder as tracking bands on the tacho item,
// with the width rule (its reference is the tacho item). A name the folder
// already holds (letter case ignored) gets " (2)", " (3)"...: the exchange
// file keys a folder's items by name. Returns the new nodes.
std::vector<CCfgProcBandTrack*> AddBands(CCfgProcFolder& folder,
                                         const std::vector<PlannedBand>& bands,
                                         const Target& target, const CfgBandWidth& width);

}  // namespace kinrules
