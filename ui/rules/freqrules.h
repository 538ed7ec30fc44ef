#pragma once
// Rules of the frequency-base page and its item panels that need no widgets:
// tacho lists and candidates, the tracking band's rows and formula, the
// band-width modes and the file-dialog filters.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/cfgproc.h"

namespace freqrules {

// (id, name) of the tacho items the panels offer, in pre-order.
using TachoList = std::vector<std::pair<int, std::string>>;

// Every named tacho item of the whole base.
TachoList CollectTachoList(const CCfgProc& cfg);

// Texts the tacho panel offers, in channel order: a revolution channel by
// its name, a tacho channel by its name + ".taho".
std::vector<std::string> TachoCandidates(const CCfgProc& cfg);

// A stored tacho channel that is no candidate but carries ".grad" after its
// first character is looked up without it.
std::string TachoLookupText(const std::string& stored, const std::vector<std::string>& candidates);

// "%.3f" without trailing zeros of the fraction (2.500 -> 2.5, 10.000 -> 10).
std::string FactorText(double factor);

// The centre formula of a tracking band: 1*T1 - 0.5*T2 + 3. A component of
// a tacho item in names goes by that item's present name.
std::string Formula(const std::vector<CfgBandComponent>& components, const TachoList& names = {});

// Where the track panel shows the components: a factor per tacho row (the
// first three tacho-list entries) and the constant, none where empty.
struct TrackRows {
    std::array<std::optional<double>, 3> factors;
    std::optional<double> constant;
};
TrackRows PlaceComponents(const std::vector<CfgBandComponent>& components, const TachoList& list);

// The components typed into the rows: a factor per non-empty row with a tacho
// entry, then the constant when given. Texts read with the C conversion.
std::vector<CfgBandComponent> BuildComponents(const TachoList& list,
                                              const std::array<std::string, 3>& factors,
                                              const std::string& constant);

// Band-width modes as the panel lists them.
enum WidthMode { kWidthPercent = 0, kWidthHz = 1, kWidthBins = 2 };
enum MinMode { kMinHz = 0, kMinBins = 1 };
int WidthModeOf(const CfgBandWidth& bw);
int MinModeOf(const CfgBandWidth& bw);
void SetWidthMode(CfgBandWidth& bw, int mode);
void SetMinMode(CfgBandWidth& bw, int mode);
// Texts of the two value edits for the record.
std::string WidthText(const CfgBandWidth& bw);
std::string MinText(const CfgBandWidth& bw);  // empty without relative borders
// A typed value into the field the mode names.
void TypeWidth(CfgBandWidth& bw, const std::string& text);
void TypeMin(CfgBandWidth& bw, const std::string& text);

// A "Name|*.json||" filter as a file dialog shows it: "Name (*.json)", one
// line per name and pattern pair.
std::vector<std::string> DialogFilters(const std::string& filter);

// The folder of a chosen file with a trailing separator.
std::string FolderOf(const std::string& path);

// The section holding node (node itself for a section), or null.
CCfgProcSection* SectionOf(CCfgProcItem* node);

// Whether a section of the configuration already reads path (letter case
// ignored).
bool IsLoaded(const CCfgProc& cfg, const std::string& path);

}  // namespace freqrules
