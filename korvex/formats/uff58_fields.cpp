// Field-level pieces of UFF dataset 58: texts in fixed-width fields, dates,
// Fortran-formatted numbers.

#include "korvex/formats/uff58_fields.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "korvex/units.h"
#include "platform/autodate.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex::uff {

// ---------------------------------------------------------------- units

// Dataset 58 "specific data type" of a signal's ordinate: from its quantity
// code where that has a type, else from its unit text through the host's unit
// table; 0 = unknown.
int SpecificDataType(const SignalData& s) {
    auto q = s.axisCodes.find({units::kPartQuantity, units::kAxisY});
    if (q != s.axisCodes.end())
        if (int type = units::UffDataType(q->second)) return type;
    if (const units::UnitInfo* u = units::FindUnitByText(s.unit))
        return units::UffDataType(u->quantity);
    return units::kUffUnknown;
}

const char* QuantityLabel(int type) {
    switch (type) {
        case 8:
            return "Displacement";
        case 11:
            return "Velocity";
        case 12:
            return "Acceleration";
        case 15:
            return "Pressure";
        case 17:
            return "Time";
        case 18:
            return "Frequency";
        case 19:
            return "RPM";
        default:
            return "NONE";
    }
}

const char* FunctionTypeName(int type) {
    static const char* const kNames[] = {"general or unknown",
                                         "time response",
                                         "auto spectrum",
                                         "cross spectrum",
                                         "frequency response function",
                                         "transmissibility",
                                         "coherence",
                                         "auto correlation",
                                         "cross correlation",
                                         "power spectral density",
                                         "energy spectral density",
                                         "probability density function",
                                         "spectrum",
                                         "cumulative frequency distribution",
                                         "peaks valley",
                                         "stress/cycles",
                                         "strain/cycles",
                                         "orbit",
                                         "mode indicator function",
                                         "force pattern",
                                         "partial power",
                                         "partial coherence",
                                         "eigenvalue",
                                         "eigenvector",
                                         "shock response spectrum",
                                         "finite impulse response filter",
                                         "multiple coherence",
                                         "order function",
                                         "phase compensation"};
    if (type >= 0 && type < static_cast<int>(std::size(kNames))) return kNames[type];
    return "unknown";
}

// ---------------------------------------------------------------- text

// A fixed-width text field as read: UTF-8 when the bytes are valid UTF-8,
// code page 1251 otherwise.
std::string DecodeField(std::string_view bytes) {
    bytes = plat::Trim(bytes);
    if (plat::IsValidUtf8(bytes)) return std::string(bytes);
    return plat::Cp1251ToUtf8(bytes);
}

// A text field as read, its control characters as spaces: the writer stores
// them so, and a text must read back the same after saving. The folder line
// is read raw, since control characters there make it no folder.
std::string DecodeText(std::string_view bytes) {
    std::string clean(bytes);
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return DecodeField(clean);
}

std::string_view Slice(std::string_view line, size_t begin, size_t width) {
    if (begin >= line.size()) return {};
    return line.substr(begin, width);
}

namespace {
bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// A text as written into a field of width bytes: code page 1251 when every
// character fits, UTF-8 otherwise, cut on a character boundary. Also UTF-8
// when the 1251 bytes happen to form valid UTF-8 ("Пё" is CF B8), which the
// reader would take for UTF-8.
namespace {
std::string EncodeField(std::string_view utf8, size_t width) {
    std::string clean;
    clean.reserve(utf8.size());
    for (char c : utf8) clean += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    std::string_view text = plat::Trim(clean);
    if (plat::FitsCp1251(text)) {
        std::string bytes = plat::Utf8ToCp1251(text);
        if (bytes.size() > width) bytes.resize(width);
        if (IsAscii(bytes) || !plat::IsValidUtf8(bytes)) return bytes;
    }
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        size_t next = i;
        plat::DecodeUtf8(text, next);
        if (next > width) break;
        end = i = next;
    }
    return std::string(text.substr(0, end));
}

}  // namespace

std::string PadField(std::string_view utf8, size_t width) {
    std::string bytes = EncodeField(utf8, width);
    bytes.resize(width, ' ');
    return bytes;
}

// An ID line of 80 columns. A longer text makes a longer line rather than
// being cut, since this reader takes the whole line back and a name or folder
// cut on saving would be lost.
std::string IdLine(std::string_view utf8) {
    return PadField(utf8, std::max<size_t>(80, utf8.size())) + "\n";
}

std::string TextOrNone(std::string_view s) {
    return plat::Trim(s).empty() ? "NONE" : std::string(s);
}

bool IsNone(std::string_view s) {
    return s.empty() || s == "NONE";
}

// ---------------------------------------------------------------- dates

namespace {
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

// ID line 3 "DD-MMM-YY HH:MM:SS" (a four-digit year is taken too).
bool ParseUffDate(std::string_view text, double& date) {
    text = plat::Trim(text);
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char month[4] = {};
    int consumed = 0;
    std::string s(text);
    if (std::sscanf(s.c_str(), "%2d-%3c-%4d%n", &day, month, &year, &consumed) != 3) return false;
    int yearDigits = 0;
    for (size_t i = static_cast<size_t>(consumed);
         i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])); --i)
        ++yearDigits;
    if (yearDigits == 2)
        year += year < 69 ? 2000 : 1900;  // as strptime's %y
    else if (yearDigits != 4)
        return false;
    std::string rest = s.substr(static_cast<size_t>(consumed));
    if (!plat::Trim(rest).empty() &&
        std::sscanf(rest.c_str(), " %2d:%2d:%2d", &hour, &minute, &second) != 3)
        return false;
    int m = 0;
    while (m < 12 && !plat::EqualNoCase(month, kMonths[m])) ++m;
    if (m == 12) return false;
    plat::DateTime dt{year, m + 1, day, hour, minute, second, 0};
    return plat::ToAutomationDate(dt, date);
}

std::string FormatUffDate(double date) {
    plat::DateTime dt;
    if (date == 0.0 || !plat::FromAutomationDate(date, dt)) return "NONE";
    char buf[40];
    if (dt.year >= 1969 && dt.year < 2069)
        std::snprintf(buf, sizeof buf, "%02d-%s-%02d %02d:%02d:%02d", dt.day, kMonths[dt.month - 1],
                      dt.year % 100, dt.hour, dt.minute, dt.second);
    else
        std::snprintf(buf, sizeof buf, "%02d-%s-%04d %02d:%02d:%02d", dt.day, kMonths[dt.month - 1],
                      dt.year, dt.hour, dt.minute, dt.second);
    return buf;
}

// ---------------------------------------------------------------- numbers

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Next number of a line of Fortran-formatted values. Fields written with no
// blank between them ("-1.0E+00-2.0E+00") still split, since a number ends
// after its exponent. Also takes Fortran's "D" exponent and its three-digit
// exponent without a letter ("1.234-100").
Scan NextNumber(std::string_view s, size_t& i, double& v, std::string_view* token) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size()) return Scan::kEnd;
    const size_t start = i;
    const char* first = s.data() + i;
    const char* last = s.data() + s.size();
    if (*first == '+') ++first;
    auto [p, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return Scan::kBad;
    bool hasExponent = std::find_if(first, p, [](char c) { return c == 'e' || c == 'E'; }) != p;
    const char* end = p;
    std::string fixed;
    if (!hasExponent && p < last && (*p == 'D' || *p == 'd') && p + 1 < last &&
        (IsDigit(p[1]) || p[1] == '+' || p[1] == '-')) {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        while (q < last && IsDigit(*q)) ++q;
        fixed.assign(first, p);
        fixed += 'E';
        fixed.append(p + 1, q);
        end = q;
    } else if (!hasExponent && p + 4 <= last && (*p == '+' || *p == '-') && IsDigit(p[1]) &&
               IsDigit(p[2]) && IsDigit(p[3]) && (p + 4 == last || !IsDigit(p[4]))) {
        fixed.assign(first, p);
        fixed += 'E';
        fixed.append(p, p + 4);
        end = p + 4;
    }
    if (!fixed.empty()) {
        auto r = std::from_chars(fixed.data(), fixed.data() + fixed.size(), v);
        if (r.ec == std::errc::invalid_argument || r.ptr != fixed.data() + fixed.size())
            return Scan::kBad;
        if (r.ec == std::errc::result_out_of_range)
            plat::ReadDecimal(fixed.data(), fixed.data() + fixed.size(), v);
    } else if (ec == std::errc::result_out_of_range) {
        plat::ReadDecimal(first, p, v);
    }
    // A number must end at a blank, the line's end or the sign of the next.
    if (end < last && !IsBlank(*end) && *end != '-' && *end != '+') return Scan::kBad;
    i = static_cast<size_t>(end - s.data());
    if (token) *token = s.substr(start, i - start);
    return Scan::kNumber;
}

// Record 7 prints the increment with six significant digits, so 1/48000 s
// reads as 2.08333E-05. When the rate it implies is a whole number of hertz
// within the printed precision, the increment is taken as exactly 1/rate.
double SnapStep(double step, std::string_view token) {
    int digits = 0;
    bool leading = true;
    for (char c : token) {
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D') break;
        if (!IsDigit(c)) continue;
        if (leading && c == '0') continue;
        leading = false;
        ++digits;
    }
    if (digits == 0 || !(step > 0.0) || !std::isfinite(step)) return step;
    double rate = std::round(1.0 / step);
    if (rate < 1.0 || rate > 1e12) return step;
    double exact = 1.0 / rate;
    double tolerance = 0.5 * std::pow(10.0, 1 - digits);
    return std::fabs(exact - step) <= tolerance * step ? exact : step;
}

// Writes value as Fortran's 1PEw.d does, keeping the field width: a
// three-digit exponent drops its letter ("-1.23456+100").
std::string FormatE(double value, int width, int digits) {
    char buf[64];
    if (std::isnan(value))
        std::snprintf(buf, sizeof buf, "%*s", width, "NaN");
    else if (std::isinf(value))
        std::snprintf(buf, sizeof buf, "%*s", width, value < 0 ? "-Inf" : "Inf");
    else {
        std::string s = plat::ScientificText(value, digits);
        size_t e = s.find('e');
        if (e != std::string::npos) {
            if (s.size() - e > 4)
                s.erase(e, 1);
            else
                s[e] = 'E';
        }
        std::snprintf(buf, sizeof buf, "%*s", width, s.c_str());
    }
    return buf;
}

// ---------------------------------------------------------------- lines

// The "    -1" line that opens and closes every dataset.
bool IsDelimiter(std::string_view line) {
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    return line.size() <= 6 && plat::Trim(line) == "-1";
}

bool ParseInt(std::string_view text, long long& v) {
    text = plat::Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && p == text.data() + text.size();
}

// A number of a header field as an integer; NaN and values out of range
// give -1, which every check below refuses.
long long ToInteger(double v) {
    return v >= -1e15 && v <= 1e15 ? static_cast<long long>(v) : -1;
}
int ToInt(double v) {
    return v >= -1e9 && v <= 1e9 ? static_cast<int>(v) : -1;
}

// All numbers of a line, or false when something in it is not a number.
bool LineNumbers(std::string_view line, std::vector<double>& out,
                 std::vector<std::string_view>* tokens) {
    out.clear();
    size_t i = 0;
    double v;
    std::string_view token;
    while (true) {
        Scan r = NextNumber(line, i, v, &token);
        if (r == Scan::kEnd) return true;
        if (r == Scan::kBad) return false;
        out.push_back(v);
        if (tokens) tokens->push_back(token);
    }
}

}  // namespace korvex::uff
