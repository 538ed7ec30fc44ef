// Channel settings and the band, spectrum and tacho option records with their text forms.

#include "config/cfgchannel.h"

#include <array>
#include <cmath>
#include <utility>

#include "platform/keyvalue.h"
#include "platform/numtext.h"

namespace {

void AppendPair(std::string& out, const char* key, int32_t v) {
    if (!out.empty()) out += '/';
    out += key;
    out += '=';
    out += std::to_string(v);
}

// "%.8f", the form files have always had; a value it would not read back as
// (too small, or more digits) gets the shortest text that does.
void AppendPair(std::string& out, const char* key, double v) {
    if (!out.empty()) out += '/';
    out += key;
    out += '=';
    const std::string fixed = plat::FixedText(v, 8);
    const double back = plat::AtoF(fixed);
    const bool same =
        back == v ? std::signbit(back) == std::signbit(v) : std::isnan(back) && std::isnan(v);
    out += same ? fixed : plat::ShortestText(v);
}

struct RepairNumber {
    const char* key;
    double value, def;
};

// The repair's numbers, in the order they are written.
std::array<RepairNumber, 5> RepairNumbers(const CfgTahoOpt& o, const CfgTahoOpt& d) {
    return {{{"dPNTwide", o.dPNTwide, d.dPNTwide},
             {"fracDouble", o.fracDouble, d.fracDouble},
             {"fracExtra", o.fracExtra, d.fracExtra},
             {"fracMissing", o.fracMissing, d.fracMissing},
             {"nRevSmooth", o.nRevSmooth, d.nRevSmooth}}};
}

// A key that is there and reads as a finite number.
bool ReadNumber(const plat::KeyValues& kv, const char* key, double& v) {
    const std::string text = plat::KvText(kv, key);
    double read = 0.0;
    const char* end = plat::ReadDecimal(text.data(), text.data() + text.size(), read);
    if (text.empty() || end != text.data() + text.size() || !std::isfinite(read)) return false;
    v = read;
    return true;
}

}  // namespace

std::string ToText(const CfgSignalOpt& o) {
    std::string s;
    AppendPair(s, "integr", o.integr);
    AppendPair(s, "valtype", o.valtype);
    AppendPair(s, "bEnabled", int32_t{o.bEnabled});
    AppendPair(s, "bShow", int32_t{o.bShow});
    AppendPair(s, "grNum", o.grNum);
    if (!std::isnan(o.alert)) AppendPair(s, "alert", o.alert);
    if (!std::isnan(o.danger)) AppendPair(s, "danger", o.danger);
    return s;
}

bool CfgSignalOpt::operator==(const CfgSignalOpt& o) const {
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return name == o.name && itemId == o.itemId && integr == o.integr && valtype == o.valtype &&
           grNum == o.grNum && bEnabled == o.bEnabled && bShow == o.bShow && same(alert, o.alert) &&
           same(danger, o.danger);
}

std::string ToText(const CfgFftOpt& o) {
    std::string s;
    AppendPair(s, "nPoints", o.nPoints);
    AppendPair(s, "nOffset", o.nOffset);
    AppendPair(s, "iWindow", o.iWindow);
    AppendPair(s, "bMO", int32_t{o.bMO});
    return s;
}

std::string ToText(const CfgTahoOpt& o) {
    std::string s;
    AppendPair(s, "typeAxY", o.typeAxY);
    AppendPair(s, "deltaF", o.deltaF);
    AppendPair(s, "levelLo", o.levelLo);
    AppendPair(s, "levelHi", o.levelHi);
    AppendPair(s, "coefTaho", o.coefTaho);
    AppendPair(s, "flagAbsOtn", o.flagAbsOtn);
    AppendPair(s, "flagFront", o.flagFront);
    const CfgTahoOpt d;
    if (o.flagRepair != d.flagRepair) AppendPair(s, "flagRepair", o.flagRepair);
    for (const auto& [key, v, def] : RepairNumbers(o, d))
        if (!(v == def)) AppendPair(s, key, v);
    return s;
}

CfgSignalOpt ParseSignalOpt(const std::string& text, int32_t itemId) {
    plat::KeyValues kv = plat::SplitKeyValues(text);
    CfgSignalOpt o;
    o.itemId = itemId;
    o.integr = plat::KvInt(kv, "integr");
    o.valtype = plat::KvInt(kv, "valtype");
    o.bEnabled = plat::KvBool(kv, "bEnabled");
    o.bShow = plat::KvBool(kv, "bShow");
    o.grNum = plat::KvInt(kv, "grNum");
    // A limit that does not read as a finite number is no limit.
    for (auto [key, limit] : {std::pair{"alert", &o.alert}, std::pair{"danger", &o.danger}}) {
        const std::string text = plat::KvText(kv, key);
        double v = 0.0;
        const char* end = plat::ReadDecimal(text.data(), text.data() + text.size(), v);
        if (end != text.data() && std::isfinite(v)) *limit = v;
    }
    return o;
}

void ParseFftOpt(const std::string& text, CfgFftOpt& o) {
    plat::KeyValues kv = plat::SplitKeyValues(text);
    o.nPoints = plat::KvInt(kv, "nPoints");
    o.nOffset = plat::KvInt(kv, "nOffset");
    o.iWindow = plat::KvInt(kv, "iWindow");
    o.bMO = plat::KvBool(kv, "bMO");
    if (o.nPoints <= 0) o.nPoints = 4096;
    if (o.nOffset <= 0) o.nOffset = o.nPoints;
    if (o.iWindow <= 0) o.iWindow = 1;
}

void ParseTahoOpt(const std::string& text, CfgTahoOpt& o) {
    plat::KeyValues kv = plat::SplitKeyValues(text);
    o.typeAxY = plat::KvInt(kv, "typeAxY");
    o.deltaF = plat::KvDouble(kv, "deltaF");
    o.levelLo = plat::KvDouble(kv, "levelLo");
    o.levelHi = plat::KvDouble(kv, "levelHi");
    o.coefTaho = plat::KvDouble(kv, "coefTaho");
    o.flagAbsOtn = plat::KvInt(kv, "flagAbsOtn");
    o.flagFront = plat::KvInt(kv, "flagFront");
    // The repair keys take their defaults where absent or not a number; their
    // ranges are the operator's to judge.
    const CfgTahoOpt d;
    double v = 0.0;
    o.flagRepair = ReadNumber(kv, "flagRepair", v) && v == std::trunc(v) && std::abs(v) < 1e9
                       ? static_cast<int32_t>(v)
                       : d.flagRepair;
    o.dPNTwide = ReadNumber(kv, "dPNTwide", v) ? v : d.dPNTwide;
    o.fracDouble = ReadNumber(kv, "fracDouble", v) ? v : d.fracDouble;
    o.fracExtra = ReadNumber(kv, "fracExtra", v) ? v : d.fracExtra;
    o.fracMissing = ReadNumber(kv, "fracMissing", v) ? v : d.fracMissing;
    o.nRevSmooth = ReadNumber(kv, "nRevSmooth", v) ? v : d.nRevSmooth;
    // Written as "!(x > 0)" so that a "nan" read from a file gets the default too.
    if (!(o.deltaF > 0)) o.deltaF = 1.0;
    if (!(o.coefTaho > 0)) o.coefTaho = 1.0;
}

CfgFftOpt& DefaultFftOpt() {
    static CfgFftOpt opt;
    return opt;
}

CfgTahoOpt& DefaultTahoOpt() {
    static CfgTahoOpt opt;
    return opt;
}

const CfgFftOpt& CfgChannel::EffectiveFftOpt() const {
    return bDefOptFFT ? DefaultFftOpt() : fftOpt;
}

const CfgTahoOpt& CfgChannel::EffectiveTahoOpt() const {
    return bDefOptTaho ? DefaultTahoOpt() : tahoOpt;
}

bool IsEnvelopeBand(double lo, double hi) {
    return lo >= 0.0 && hi > lo && std::isfinite(hi);
}
