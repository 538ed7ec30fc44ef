// Checks naming each place of a configuration file the lenient readers would skip.

#include "config/validate.h"

#include <charconv>
#include <cstdint>

#include "config/cfgchannel.h"
#include "config/cfgproc.h"
#include "config/limits.h"
#include "platform/keyvalue.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

enum class Kind {
    Whole,
    Number,
    ChannelType,
    MachineClass,
    Band,
    FftRecord,
    TahoRecord,
    SignalRecord,
    Rect,
    Columns
};

// A key pattern: "#" stands for one or more digits, letters compare without
// case as the INI reader compares them.
struct KeyRule {
    const char* section;
    const char* pattern;
    Kind kind;
};

constexpr KeyRule kRules[] = {
    {"general", "bCloseProgrDlg", Kind::Whole},
    {"reportDlg", "fontSize", Kind::Whole},
    {"reportDlg", "bNewPage", Kind::Whole},
    {"reportDlg", "bLandscape", Kind::Whole},
    {"reportDlg", "bOpenReport", Kind::Whole},
    {"reportDlg", "dlgRect", Kind::Rect},
    {"reportDlg", "dlgColWidth", Kind::Columns},
    {"test", "nSections", Kind::Whole},
    {"channels", "defOptFFT", Kind::FftRecord},
    {"channels", "defOptTaho", Kind::TahoRecord},
    {"channels", "nChannels", Kind::Whole},
    {"channels", "cnl#_type", Kind::ChannelType},
    {"channels", "cnl#_check", Kind::Whole},
    {"channels", "cnl#_show", Kind::Whole},
    {"channels", "cnl#_grNum", Kind::Whole},
    {"channels", "cnl#_bDefOptFFT", Kind::Whole},
    {"channels", "cnl#_bDefOptTaho", Kind::Whole},
    {"channels", "cnl#_optFFT", Kind::FftRecord},
    {"channels", "cnl#_optTaho", Kind::TahoRecord},
    {"channels", "cnl#_nOpts", Kind::Whole},
    {"channels", "cnl#_machineClass", Kind::MachineClass},
    {"channels", "cnl#_envBand", Kind::Band},
    {"channels", "cnl#_opt#_str", Kind::SignalRecord},
    {"report", "nPrograms", Kind::Whole},
    {"report", "prog#_nPnts", Kind::Whole},
    {"report", "prog#pnt#_value", Kind::Number},
    {"report", "prog#pnt#_range", Kind::Number},
    {"report", "prog#pnt#_time", Kind::Number},
};

// Fields of the "key=value/..." records and whether each is a whole number.
struct Field {
    const char* key;
    bool whole;
};
constexpr Field kFftFields[] = {
    {"nPoints", true}, {"nOffset", true}, {"iWindow", true}, {"bMO", true}};
constexpr Field kTahoFields[] = {
    {"typeAxY", true},    {"deltaF", false},     {"levelLo", false},   {"levelHi", false},
    {"coefTaho", false},  {"flagAbsOtn", true},  {"flagFront", true},  {"flagRepair", true},
    {"dPNTwide", false},  {"fracDouble", false}, {"fracExtra", false}, {"fracMissing", false},
    {"nRevSmooth", false}};
constexpr Field kSignalFields[] = {{"integr", true}, {"valtype", true}, {"bEnabled", true},
                                   {"bShow", true},  {"grNum", true},   {"alert", false},
                                   {"danger", false}};
constexpr Field kRectFields[] = {{"left", true}, {"top", true}, {"right", true}, {"bottom", true}};
constexpr Field kColumnFields[] = {
    {"c0", true}, {"c1", true}, {"c2", true}, {"c3", true}, {"c4", true}};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool Matches(std::string_view key, std::string_view pattern) {
    size_t k = 0;
    for (char p : pattern) {
        if (p == '#') {
            if (k >= key.size() || !IsDigit(key[k])) return false;
            while (k < key.size() && IsDigit(key[k])) ++k;
            continue;
        }
        if (k >= key.size() || Lower(key[k]) != Lower(p)) return false;
        ++k;
    }
    return k == key.size();
}

// The text without blanks around it and with at most one sign, which the
// readers accept; a second sign ("--5") reads as 0 there.
std::string_view Unsigned(std::string_view text, bool& ok) {
    std::string_view s = plat::Trim(text);
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
    ok = !s.empty() && s.front() != '+' && s.front() != '-';
    return s;
}

bool IsWhole(std::string_view text) {
    bool ok = false;
    const std::string_view s = Unsigned(text, ok);
    if (!ok) return false;
    for (char c : s)
        if (!IsDigit(c)) return false;
    // What a 32-bit field can hold.
    int64_t v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
        if (v > INT32_MAX + int64_t{1}) return false;
    }
    return v <= INT32_MAX || plat::Trim(text).front() == '-';
}

bool IsNumber(std::string_view text) {
    bool ok = false;
    const std::string_view s = Unsigned(text, ok);
    if (!ok) return false;
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    return r.ptr == s.data() + s.size() &&
           (r.ec == std::errc() || r.ec == std::errc::result_out_of_range);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

template <size_t N>
void CheckRecord(const std::string& where, const std::string& text, const Field (&fields)[N],
                 std::vector<std::string>& out) {
    const plat::KeyValues kv = plat::SplitKeyValues(text);
    for (const Field& f : fields) {
        auto it = kv.find(f.key);
        if (it == kv.end()) continue;
        if (f.whole ? IsWhole(it->second) : IsNumber(it->second)) continue;
        out.push_back(where + ": " + f.key + "=" + it->second + " is not " +
                      (f.whole ? "a whole number" : "a number"));
    }
}

// The pulse repair's numbers within the ranges the tacho operator takes.
void CheckRepairRanges(const std::string& where, const std::string& text,
                       std::vector<std::string>& out) {
    CfgTahoOpt o;
    ParseTahoOpt(text, o);
    const char* bad = nullptr;
    if (!(o.dPNTwide >= 0 && o.dPNTwide < 100))
        bad = "dPNTwide is not from 0 to below 100";
    else if (!(o.fracExtra > 0 && o.fracExtra < 1))
        bad = "fracExtra is not between 0 and 1";
    else if (!(o.fracDouble >= 0 && o.fracDouble <= o.fracExtra))
        bad = "fracDouble is not from 0 to fracExtra";
    else if (!(o.fracMissing >= 0 && o.fracMissing < 0.5))
        bad = "fracMissing is not from 0 to below 0.5";
    else if (!(o.nRevSmooth >= 0 && o.nRevSmooth < 1e6))
        bad = "nRevSmooth is negative";
    if (bad) out.push_back(where + ": " + bad);
}

void CheckValue(const std::string& where, const std::string& value, Kind kind,
                std::vector<std::string>& out) {
    switch (kind) {
        case Kind::Whole:
            if (!IsWhole(value)) out.push_back(where + "=" + value + " is not a whole number");
            break;
        case Kind::Number:
            if (!IsNumber(value)) out.push_back(where + "=" + value + " is not a number");
            break;
        case Kind::ChannelType:
            if (!IsWhole(value) || plat::AtoI(value) < 1 || plat::AtoI(value) > 3)
                out.push_back(where + "=" + value +
                              " is not a channel type (1 measuring, 2 tacho, 3 revolution)");
            break;
        case Kind::MachineClass:
            if (MachineClassFromText(value) == MachineClass::None)
                out.push_back(where + "=" + value +
                              " is not a machine class (1r, 1f, 2r or 2f: group and rigid or "
                              "flexible support)");
            break;
        case Kind::Band: {
            const size_t comma = value.find(',');
            const std::string lo = value.substr(0, comma);
            const std::string hi = comma == std::string::npos ? "" : value.substr(comma + 1);
            if (!IsNumber(lo) || !IsNumber(hi) || !(plat::AtoF(lo) >= 0) ||
                !(plat::AtoF(hi) > plat::AtoF(lo)))
                out.push_back(where + "=" + value + " is not a band LO,HI in Hz (0 <= LO < HI)");
            break;
        }
        case Kind::FftRecord:
            CheckRecord(where, value, kFftFields, out);
            break;
        case Kind::TahoRecord:
            CheckRecord(where, value, kTahoFields, out);
            CheckRepairRanges(where, value, out);
            break;
        case Kind::SignalRecord:
            CheckRecord(where, value, kSignalFields, out);
            break;
        case Kind::Rect:
            CheckRecord(where, value, kRectFields, out);
            break;
        case Kind::Columns:
            CheckRecord(where, value, kColumnFields, out);
            break;
    }
}

}  // namespace

std::vector<std::string> CheckConfigValues(const plat::ProfileFile& ini, const std::string& label) {
    std::vector<std::string> out;
    const char* section = nullptr;
    std::vector<std::string> keys;
    for (const KeyRule& rule : kRules) {
        if (!section || std::string_view(section) != rule.section) {
            section = rule.section;
            keys = ini.GetSectionKeys(section);
        }
        for (const std::string& key : keys) {
            if (!Matches(key, rule.pattern)) continue;
            const std::string value = ini.GetString(section, key);
            // An empty value is what a reader skips on purpose.
            if (value.empty()) continue;
            CheckValue(Quoted(label) + ", [" + section + "] " + key, value, rule.kind, out);
        }
    }
    return out;
}

std::vector<std::string> CheckChannelItems(const plat::ProfileFile& ini, const CCfgProc& cfg,
                                           const std::string& label) {
    std::vector<std::string> out;
    for (int i : ini.CountedKeys("channels", "nChannels", "cnl")) {
        std::string name;
        if (!ini.GetNonEmpty("channels", plat::ProfileKey("cnl%d_name", i), name)) continue;
        for (int j : ini.CountedKeys("channels", plat::ProfileKey("cnl%d_nOpts", i),
                                     plat::ProfileKey("cnl%d_opt", i))) {
            std::string item, text;
            if (!ini.GetNonEmpty("channels", plat::ProfileKey("cnl%d_opt%d_name", i, j), item) ||
                !ini.GetNonEmpty("channels", plat::ProfileKey("cnl%d_opt%d_str", i, j), text))
                continue;
            if (cfg.FindItemByName(item)) continue;
            out.push_back(Quoted(label) + ": channel " + Quoted(name) + ": item " + Quoted(item) +
                          " is not in the frequency base; its option is skipped");
        }
    }
    return out;
}

std::string CheckIniEncoding(std::string_view bytes, const std::string& label) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return {};
    bool ascii = true;
    for (unsigned char c : bytes) ascii = ascii && c < 0x80;
    if (ascii || !plat::IsValidUtf8(bytes)) return {};
    return Quoted(label) +
           " is UTF-8 text without a byte order mark; it is read as code page 1251, so its "
           "non-ASCII names read as other letters";
}

std::string CheckJsonEncoding(std::string_view bytes, const std::string& label) {
    if (plat::IsValidUtf8(bytes)) return {};
    return Quoted(label) +
           " is not UTF-8 (code page 1251?); frequency-base files are UTF-8, so its non-ASCII "
           "names read as other letters";
}
