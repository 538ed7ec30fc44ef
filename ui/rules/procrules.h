#pragma once
// Rules of the processing-setup page and its panels that are not about
// widgets: values common to several channel records, the block-size and
// offset lists, the tacho panel's texts and level conversions, the panel
// layout by channel type and the tree's state marks.

#include <optional>
#include <string>
#include <vector>

#include "config/cfgchannel.h"
#include "config/cfgitem.h"

namespace procrules {

using Records = std::vector<CfgChannel*>;

// The value every record has, or none when they differ or there are none.
template <class T, class Get>
std::optional<T> Common(const Records& records, Get get) {
    if (records.empty()) return std::nullopt;
    T first = get(*records.front());
    for (size_t i = 1; i < records.size(); ++i)
        if (!(get(*records[i]) == first)) return std::nullopt;
    return first;
}

// Block-size list: entry i stands for 2^(i + 5), sizes 32 to 1048576.
inline constexpr int kBlockEntries = 16;
int BlockSize(int entry);
int BlockEntry(int size);
// Offset list "1/4" .. "4" for block size n.
inline constexpr int kOffsetEntries = 7;
int BlockOffset(int entry, int n);
int OffsetEntry(int offset, int n);

// Locale-free "%.<decimals>f".
std::string Fixed(double v, int decimals);
// The leading decimal number of a typed text (0 when there is none), read
// the same whatever the locale; a comma stands for the decimal point when the
// text holds no point.
double LeadingNumber(const std::string& text);
int LeadingInt(const std::string& text);
// A field's text read whole, blanks around it allowed and a comma for the
// point as above: false for anything more or less than one finite number
// ("7.94mm", "", "-") or, for a count, one integer written in digits
// ("9.5", "1e1", "9x").
bool ParseNumber(const std::string& text, double& v);
bool ParseCount(const std::string& text, int& v);

// The limits dialog's input: a limit the user changed, as typed (an empty
// text removes it); an untouched one keeps each channel's own.
struct TypedLimit {
    bool edited = false;
    std::string text;
};
// Why the limits cannot be taken, naming the field(s): a text that is no
// number, or an alert limit above the danger limit on any channel.
std::optional<std::string> LimitsFault(const Records& records, const CCfgProcItem& item,
                                       const TypedLimit& alert, const TypedLimit& danger);

// The channel panel's envelope band, its borders typed in hertz (a comma for
// the point as above). Both empty: none (0, 0), the bands measured in the
// ordinary spectrum. Otherwise two numbers the configuration keeps
// (cfg IsEnvelopeBand: 0 <= lo < hi); none at anything else.
struct EnvelopeBand {
    double lo = 0.0;
    double hi = 0.0;
};
std::optional<EnvelopeBand> ReadEnvelopeBand(const std::string& lo, const std::string& hi);
// A border as shown: the shortest exact text, empty while no band is set.
std::string EnvelopeBorderText(const CfgChannel& c, bool upper);

// Frequency resolution of a block of n points, "%.4f" plus the hertz unit text; empty without a
// usable sampling step.
std::string ResolutionText(double sampleStep, int n);

// Tacho panel texts. PointsText is empty when sampleStep is not above 0.
std::string PointsText(double sampleStep, double deltaF);
std::string SecondsText(double deltaF);
std::string LevelText(double level, int flagAbsOtn);  // 0 absolute, 1 relative
std::string CoefText(double coef);
// A level text shown in one mode, re-made for the other; empty stays empty.
std::string ConvertLevelText(const std::string& text, int toAbsOtn);
// A stored level converted when the record's mode differs from the chosen one.
double ConvertLevel(double level, int fromAbsOtn, int toAbsOtn);

// Common text over the records (empty at the first difference).
template <class Make>
std::string CommonText(const Records& records, Make make) {
    if (records.empty()) return {};
    std::string first = make(*records.front());
    for (size_t i = 1; i < records.size(); ++i)
        if (make(*records[i]) != first) return {};
    return first;
}

// Which of the band, spectrum and tacho panels show for a set of records.
struct PanelLayout {
    bool changed = true;  // false: leave the panels as they are
    bool band = false;
    bool fft = false;
    bool taho = false;
};
int CommonType(const Records& records);  // 0 when mixed or none
PanelLayout LayoutFor(int commonType);

// Tree state marks (overlay images).
inline constexpr int kMarkNone = 0;
inline constexpr int kMarkOff = 1;      // not computed
inline constexpr int kMarkPartial = 4;  // computed on some channels only
bool IsLeafKind(int32_t kind);
// Mark of a leaf over the records; reading a missing option creates it.
int LeafMark(const CCfgProcItem& leaf, const Records& records);

// The option of item on a channel, created with the defaults when missing.
CfgSignalOpt& SignalOpt(CfgChannel& ch, const CCfgProcItem& item);

}  // namespace procrules
