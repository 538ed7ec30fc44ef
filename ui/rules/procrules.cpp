// Processing page rules: block sizes and offsets, common values, tacho texts and levels.

#include "ui/rules/procrules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "platform/keyvalue.h"
#include "platform/numtext.h"
#include "platform/text.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"

namespace procrules {

int BlockSize(int entry) {
    int p = entry + 5;
    p = p < 5 ? 5 : (p > 20 ? 20 : p);
    return 1 << p;
}

int BlockEntry(int size) {
    if (size < 32) return 0;
    int p = 0;
    while ((size >> (p + 1)) > 0) ++p;
    p = p > 20 ? 20 : p;
    return p - 5;
}

int BlockOffset(int entry, int n) {
    if (entry < 0) return n;
    if (entry <= 3) return (n / 4) * (entry + 1);
    return n * (entry - 2);
}

int OffsetEntry(int offset, int n) {
    if (n <= 0) return -1;
    if (offset <= n) return static_cast<int>(4LL * offset / n - 1);
    return offset / n + 2;
}

std::string Fixed(double v, int decimals) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return {};
    std::string s(buf, r.ptr);
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);  // "-0.0000" reads as a stray sign
    return s;
}

double LeadingNumber(const std::string& text) {
    // A comma-decimal keyboard gives "1200,5": the same number as "1200.5".
    const size_t comma = text.find(',');
    if (comma == std::string::npos || text.find('.') != std::string::npos) return plat::AtoF(text);
    std::string pointed = text;
    pointed[comma] = '.';
    return plat::AtoF(pointed);
}
int LeadingInt(const std::string& text) {
    return plat::AtoI(text);
}

bool ParseNumber(const std::string& text, double& v) {
    std::string t(plat::Trim(text));
    const size_t comma = t.find(',');
    if (comma != std::string::npos && t.find('.') == std::string::npos) t[comma] = '.';
    if (t.empty()) return false;
    const char* end = plat::ReadDecimal(t.data(), t.data() + t.size(), v);
    return end == t.data() + t.size() && std::isfinite(v);
}

bool ParseCount(const std::string& text, int& v) {
    const std::string_view t = plat::Trim(text);
    const char* first = t.data();
    if (!t.empty() && t.front() == '+') ++first;  // from_chars takes a minus only
    const auto r = std::from_chars(first, t.data() + t.size(), v);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

std::optional<EnvelopeBand> ReadEnvelopeBand(const std::string& lo, const std::string& hi) {
    const bool noLo = plat::Trim(lo).empty();
    const bool noHi = plat::Trim(hi).empty();
    if (noLo && noHi) return EnvelopeBand{};
    EnvelopeBand b;
    if (noLo || noHi || !ParseNumber(lo, b.lo) || !ParseNumber(hi, b.hi)) return std::nullopt;
    if (!IsEnvelopeBand(b.lo, b.hi)) return std::nullopt;
    return b;
}

std::string EnvelopeBorderText(const CfgChannel& c, bool upper) {
    if (!(c.envHi > 0.0)) return {};
    return plat::ShortestText(upper ? c.envHi : c.envLo);
}

std::optional<std::string> LimitsFault(const Records& records, const CCfgProcItem& item,
                                       const TypedLimit& alert, const TypedLimit& danger) {
    using namespace res;
    const std::string alertName = Str(IDS_LIMITS_FIELD_ALERT);
    const std::string dangerName = Str(IDS_LIMITS_FIELD_DANGER);
    // NaN: no limit.
    auto read = [](const TypedLimit& l, double& v) {
        v = std::numeric_limits<double>::quiet_NaN();
        return !l.edited || plat::Trim(l.text).empty() || ParseNumber(l.text, v);
    };
    double a = 0.0, d = 0.0;
    if (!read(alert, a)) return Format(IDS_LIMITS_NOT_NUMBER, {alertName});
    if (!read(danger, d)) return Format(IDS_LIMITS_NOT_NUMBER, {dangerName});
    for (CfgChannel* r : records) {
        const CfgSignalOpt& o = SignalOpt(*r, item);
        const double alertOn = alert.edited ? a : o.alert;
        const double dangerOn = danger.edited ? d : o.danger;
        if (alertOn > dangerOn)  // false when either is none
            return Format(IDS_LIMITS_ALERT_ABOVE_DANGER, {alertName, dangerName});
    }
    return std::nullopt;
}

std::string PointsText(double sampleStep, double deltaF) {
    if (!(sampleStep > 0) || !(deltaF > 0)) return {};
    const double n = 1.0 / (sampleStep * deltaF) + 0.5;
    if (!(n < 2147483647.0)) return {};
    return res::FormatText("%d %s",
                           {std::to_string(static_cast<int>(n)), res::Str(res::IDS_UNIT_POINTS)});
}

std::string ResolutionText(double sampleStep, int n) {
    if (!(sampleStep > 0) || n <= 0) return {};
    return res::FormatText("%s %s",
                           {Fixed(1.0 / (sampleStep * n), 4), res::Str(res::IDS_UNITS_FIRST)});
}

std::string SecondsText(double deltaF) {
    if (!(deltaF > 0)) return {};
    return res::FormatText("%s %s", {Fixed(1.0 / deltaF, 4), res::Str(res::IDS_UNIT_SECONDS)});
}

std::string LevelText(double level, int flagAbsOtn) {
    return flagAbsOtn == 1 ? Fixed(level, 2) + "%" : Fixed(level, 4);
}

std::string CoefText(double coef) {
    return Fixed(coef, 8);
}

std::string ConvertLevelText(const std::string& text, int toAbsOtn) {
    if (plat::Trim(text).empty()) return text;
    const double v = LeadingNumber(text);
    return toAbsOtn == 1 ? LevelText(v * 100.0, 1) : LevelText(v / 100.0, 0);
}

double ConvertLevel(double level, int fromAbsOtn, int toAbsOtn) {
    if (fromAbsOtn == toAbsOtn) return level;
    return toAbsOtn == 1 ? level * 100.0 : level / 100.0;
}

int CommonType(const Records& records) {
    auto t = Common<int32_t>(records, [](const CfgChannel& c) { return c.type; });
    return t ? *t : 0;
}

PanelLayout LayoutFor(int commonType) {
    PanelLayout l;
    switch (commonType) {
        case CfgChannelMeasuring:
            l.band = l.fft = true;
            break;
        case CfgChannelTacho:
            l.taho = true;
            break;
        case 0:
        case CfgChannelRevolution:
            break;
        default:
            l.changed = false;
    }
    return l;
}

bool IsLeafKind(int32_t kind) {
    return kind == CfgItemTacho || kind == CfgItemTrackingBand || kind == CfgItemFixedBand;
}

CfgSignalOpt& SignalOpt(CfgChannel& ch, const CCfgProcItem& item) {
    auto it = ch.signalOpts.find(item.id);
    if (it == ch.signalOpts.end()) {
        CfgSignalOpt o;
        o.itemId = item.id;
        it = ch.signalOpts.emplace(item.id, o).first;
    }
    return it->second;
}

int LeafMark(const CCfgProcItem& leaf, const Records& records) {
    size_t on = 0;
    for (CfgChannel* ch : records) on += SignalOpt(*ch, leaf).bEnabled ? 1 : 0;
    if (records.empty() || on == 0) return kMarkOff;
    return on == records.size() ? kMarkNone : kMarkPartial;
}

}  // namespace procrules
