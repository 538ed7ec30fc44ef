// Universal File Format, dataset 58 ("function at nodal DOF"), ASCII and
// binary 58b. Only evenly spaced real time histories become signals; the
// rest of a file is skipped with a note. Behaviour: docs/data-files.md.

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "korvex/file_io.h"
#include "korvex/formats.h"
#include "korvex/units.h"
#include "platform/autodate.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex {

namespace {

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

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A text as written into a field of width bytes: code page 1251 when every
// character fits, UTF-8 otherwise, cut on a character boundary. Also UTF-8
// when the 1251 bytes happen to form valid UTF-8 ("Пё" is CF B8), which the
// reader would take for UTF-8.
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

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

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

enum class Scan { kNumber, kEnd, kBad };

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Next number of a line of Fortran-formatted values. Fields written with no
// blank between them ("-1.0E+00-2.0E+00") still split, since a number ends
// after its exponent. Also takes Fortran's "D" exponent and its three-digit
// exponent without a letter ("1.234-100").
Scan NextNumber(std::string_view s, size_t& i, double& v, std::string_view* token = nullptr) {
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

// Walks the file line by line; lines end at '\n', a '\r' before it is
// dropped. Binary blocks are taken by byte count.
class LineReader {
  public:
    explicit LineReader(std::string_view data) : data_(data) {}
    bool AtEnd() const { return pos_ >= data_.size(); }
    size_t Remaining() const { return data_.size() - pos_; }
    int LineNo() const { return lineNo_; }
    bool Next(std::string_view& line) {
        if (AtEnd()) return false;
        size_t nl = data_.find('\n', pos_);
        size_t end = nl == std::string_view::npos ? data_.size() : nl;
        line = data_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = nl == std::string_view::npos ? data_.size() : nl + 1;
        ++lineNo_;
        return true;
    }
    // Takes n bytes from the current position; false when fewer remain.
    bool Take(size_t n, std::string_view& bytes) {
        if (data_.size() - pos_ < n) return false;
        bytes = data_.substr(pos_, n);
        lineNo_ += static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
        pos_ += n;
        return true;
    }

  private:
    std::string_view data_;
    size_t pos_ = 0;
    int lineNo_ = 0;
};

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
                 std::vector<std::string_view>* tokens = nullptr) {
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

// ---------------------------------------------------------------- reading

struct Header58 {
    std::string id[5];
    int functionType = 0;
    std::string responseEntity;
    int ordinateType = 0;
    long long declaredPoints = 0;
    int spacing = 1;
    double start = 0.0;
    double step = 0.0;
    int ordinateDataType = 0;  // specific data type of record 9
    std::string unit;
};

class UffReader {
  public:
    UffReader(const std::string& path, std::string_view data) : path_(path), in_(data) {}

    bool Read(DataSet& out, FileResult& result);
    const std::string& Message() const { return message_; }

  private:
    bool Fail(const std::string& fault) {
        message_ = "Cannot read \"" + path_ + "\": " + fault;
        return false;
    }
    bool FailAt(int line, const std::string& fault) {
        return Fail("line " + std::to_string(line) + ": " + fault);
    }
    std::string RecordLabel(const Header58& h) const {
        std::string label = "record " + std::to_string(record_);
        if (!IsNone(h.id[0])) label += " (\"" + h.id[0] + "\")";
        return label;
    }
    // afterNumber: the rest of the dataset-number line after "58".
    bool ReadDataset58(std::string_view afterNumber, int startLine);
    bool ReadHeader(Header58& h);
    bool SkipToDelimiter(int startLine, const std::string& what);
    void AddSignal(const Header58& h, std::vector<double>&& values);
    void Skip(const Header58& h, const std::string& why) {
        notes_.push_back("Skipped " + RecordLabel(h) + ": " + why + ".");
    }

    std::string path_;
    LineReader in_;
    std::string message_;
    std::vector<std::string> notes_;
    int record_ = 0;  // dataset 58 records seen, counting from 1
    DataSet loaded_;
    std::map<std::string, std::set<std::string>> names_;  // folder -> names taken
    std::vector<long long> otherDatasets_;
};

bool UffReader::ReadHeader(Header58& h) {
    std::string_view line;
    for (int k = 0; k < 5; ++k) {
        if (!in_.Next(line))
            return Fail("the file is truncated inside the header of record " +
                        std::to_string(record_) + ".");
        h.id[k] = k == 3 ? DecodeField(line) : DecodeText(line);
    }
    // Record 6: Format(2(I5,I10),2(1X,10A1,I10,I4))
    if (!in_.Next(line))
        return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
    long long type;
    if (!ParseInt(Slice(line, 0, 5), type)) {
        std::vector<double> v;
        if (!LineNumbers(Slice(line, 0, 5), v) || v.empty())
            return FailAt(in_.LineNo(), "the function type of record " + std::to_string(record_) +
                                            " is not a number.");
        type = ToInteger(v[0]);
    }
    h.functionType = type >= -1e9 && type <= 1e9 ? static_cast<int>(type) : -1;
    h.responseEntity = DecodeText(Slice(line, 31, 10));
    // Record 7: Format(3I10,3E13.5)
    if (!in_.Next(line))
        return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
    std::vector<double> v;
    std::vector<std::string_view> tokens;
    if (!LineNumbers(line, v, &tokens) || v.size() < 5)
        return FailAt(in_.LineNo(),
                      "record " + std::to_string(record_) + ": the data form line is malformed.");
    h.ordinateType = ToInt(v[0]);
    h.declaredPoints = ToInteger(v[1]);
    h.spacing = ToInt(v[2]);
    h.start = v[3];
    h.step = SnapStep(v[4], tokens[4]);
    // Records 8 to 11: Format(I10,3I5,2(1X,20A1)); record 9 is the ordinate.
    for (int k = 8; k <= 11; ++k) {
        if (!in_.Next(line))
            return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
        if (k == 9) {
            long long dataType = 0;
            if (ParseInt(Slice(line, 0, 10), dataType) && dataType > 0 && dataType < 1000)
                h.ordinateDataType = static_cast<int>(dataType);
            h.unit = DecodeText(Slice(line, 47, 20));
            if (h.unit == "NONE") h.unit.clear();
        }
    }
    return true;
}

bool UffReader::SkipToDelimiter(int startLine, const std::string& what) {
    std::string_view line;
    while (in_.Next(line))
        if (IsDelimiter(line)) return true;
    return Fail("the file is truncated: " + what + " opened on line " + std::to_string(startLine) +
                " has no closing \"-1\" line.");
}

void UffReader::AddSignal(const Header58& h, std::vector<double>&& values) {
    SignalData s;
    // Our own files keep the sub-folder in ID line 4.
    const std::string kFolderTag = "Folder: ";
    if (h.id[3].rfind(kFolderTag, 0) == 0) {
        std::string folder = h.id[3].substr(kFolderTag.size());
        bool valid = !folder.empty() && folder.front() != '/' && folder.back() != '/' &&
                     folder.find("//") == std::string::npos;
        for (size_t b = 0; valid && b <= folder.size();) {
            size_t e = folder.find('/', b);
            if (e == std::string::npos) e = folder.size();
            std::string_view part(folder.data() + b, e - b);
            valid = part != "." && part != "..";
            b = e + 1;
        }
        const bool control = std::any_of(folder.begin(), folder.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        if (valid && !control)
            s.folder = folder;
        else
            notes_.push_back("R" + RecordLabel(h).substr(1) + ": its folder text is not a folder" +
                             (control ? " (it holds control characters)" : "") +
                             "; the signal is loaded at the top level.");
    }
    std::string name = h.id[0];
    if (IsNone(name)) name = h.responseEntity;
    if (IsNone(name)) name = "Record " + std::to_string(record_);
    // Names compare exactly, as the host's do: "b" and "B" are two channels.
    std::set<std::string>& taken = names_[s.folder];
    std::string unique = name;
    for (int n = 2; taken.count(unique); ++n) unique = name + " (" + std::to_string(n) + ")";
    taken.insert(unique);
    s.name = unique;
    s.unit = h.unit;
    // The quantity comes from the unit text when the host knows it (the host
    // fills that in); else from the record's data type, so that an
    // acceleration with an unfamiliar unit label still integrates.
    if (!units::FindUnitByText(s.unit))
        if (uint64_t q = units::QuantityFromUff(h.ordinateDataType))
            s.axisCodes[{units::kPartQuantity, units::kAxisY}] = q;
    if (!IsNone(h.id[1])) s.text5 = h.id[1];
    double date;
    if (ParseUffDate(h.id[2], date)) s.startTime = date;
    s.startX = h.start;
    s.stepX = h.step;
    s.samples = std::move(values);
    loaded_.signals.push_back(std::move(s));
}

bool UffReader::ReadDataset58(std::string_view afterNumber, int startLine) {
    ++record_;
    Header58 h;
    // "    58b" marks the binary form; its fields follow the "b".
    bool binary = !afterNumber.empty() && (afterNumber[0] == 'b' || afterNumber[0] == 'B');
    long long byteOrder = 1, fpFormat = 2, asciiLines = 11, byteCount = 0;
    if (binary) {
        std::vector<double> f;
        if (!LineNumbers(afterNumber.substr(1), f) || f.size() < 4)
            return FailAt(startLine + 1, "record " + std::to_string(record_) +
                                             ": the binary header line is malformed.");
        byteOrder = ToInteger(f[0]);
        fpFormat = ToInteger(f[1]);
        asciiLines = f[2] == 0 ? 11 : ToInteger(f[2]);
        byteCount = ToInteger(f[3]);
        if (byteOrder != 1 && byteOrder != 2)
            return FailAt(startLine + 1, "record " + std::to_string(record_) + ": byte order " +
                                             std::to_string(byteOrder) +
                                             " is neither 1 (little-endian) nor 2 (big-endian).");
        if (asciiLines < 11 || asciiLines > 1000 || byteCount < 0)
            return FailAt(startLine + 1, "record " + std::to_string(record_) +
                                             ": the binary header line is malformed.");
    }
    if (!ReadHeader(h)) return false;
    std::string_view line;
    for (long long k = 11; k < asciiLines; ++k)
        if (!in_.Next(line))
            return Fail("the file is truncated inside record " + std::to_string(record_) + ".");

    const bool real = h.ordinateType == 2 || h.ordinateType == 4;
    const bool complex = h.ordinateType == 5 || h.ordinateType == 6;
    std::string skipWhy;
    if (h.functionType != 1)
        skipWhy = "function type " + std::to_string(h.functionType) + " (" +
                  FunctionTypeName(h.functionType) + ") is not a time history";
    else if (h.spacing != 1)
        skipWhy =
            "its abscissa is unevenly spaced (x, y pairs), not an evenly sampled time history";
    else if (complex)
        skipWhy = "its values are complex";
    else if (!real)
        skipWhy = "ordinate data type " + std::to_string(h.ordinateType) + " is unknown";
    else if (!(h.step > 0.0) || !std::isfinite(h.step) || !std::isfinite(h.start))
        skipWhy = "its abscissa increment is not a positive number";
    else if (binary && fpFormat != 2 && fpFormat != 0)
        skipWhy = "its binary values are not IEEE 754 (floating-point format " +
                  std::to_string(fpFormat) + ")";

    std::vector<double> values;
    if (binary) {
        const size_t size = h.ordinateType == 2 || h.ordinateType == 5 ? 4 : 8;
        if (byteCount == 0 && h.declaredPoints > 0 && real && h.spacing == 1)
            byteCount = h.declaredPoints * static_cast<long long>(size);
        std::string_view bytes;
        if (!in_.Take(static_cast<size_t>(byteCount), bytes))
            return Fail("the file is truncated: " + RecordLabel(h) + " declares " +
                        std::to_string(byteCount) + " bytes of binary data, fewer remain.");
        // The closing "-1" follows the data, on the same line or the next.
        int dataLine = in_.LineNo();
        if (!in_.Next(line) || (plat::Trim(line).empty() && !in_.Next(line)) || !IsDelimiter(line))
            return FailAt(dataLine, RecordLabel(h) +
                                        ": no closing \"-1\" line after the binary data (the byte "
                                        "count in its header does not match the data).");
        if (skipWhy.empty()) {
            if (bytes.size() % size != 0)
                return FailAt(startLine + 1, RecordLabel(h) + ": " + std::to_string(bytes.size()) +
                                                 " bytes of data are not whole " +
                                                 std::to_string(size) + "-byte values.");
            const bool swap = (byteOrder == 2) != (std::endian::native == std::endian::big);
            values.resize(bytes.size() / size);
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
            for (size_t k = 0; k < values.size(); ++k, p += size) {
                unsigned char b[8];
                for (size_t j = 0; j < size; ++j) b[j] = swap ? p[size - 1 - j] : p[j];
                if (size == 4) {
                    float f;
                    std::memcpy(&f, b, 4);
                    values[k] = f;
                } else {
                    std::memcpy(&values[k], b, 8);
                }
            }
        }
    } else if (!skipWhy.empty()) {
        if (!SkipToDelimiter(startLine, RecordLabel(h))) return false;
    } else {
        // Never trust the declared count for the allocation: bound it by
        // what the rest of the file can hold.
        const long long bound = static_cast<long long>(in_.Remaining() / 2);
        values.reserve(static_cast<size_t>(std::clamp<long long>(h.declaredPoints, 0, bound)));
        bool closed = false;
        while (in_.Next(line)) {
            if (IsDelimiter(line)) {
                closed = true;
                break;
            }
            size_t i = 0;
            double v;
            Scan r;
            while ((r = NextNumber(line, i, v)) == Scan::kNumber) values.push_back(v);
            if (r == Scan::kBad) {
                std::string text(plat::Trim(line.substr(std::min(i, line.size()), 20)));
                return FailAt(in_.LineNo(),
                              RecordLabel(h) + ": \"" + DecodeField(text) + "\" is not a number.");
            }
        }
        if (!closed)
            return Fail("the file is truncated: " + RecordLabel(h) + " opened on line " +
                        std::to_string(startLine) + " has no closing \"-1\" line.");
        // A record that declares more than it holds must not keep the room
        // reserved for it: thousands of them would hold gigabytes.
        if (values.capacity() > values.size() + values.size() / 8) values.shrink_to_fit();
    }
    if (!skipWhy.empty()) {
        Skip(h, skipWhy);
        return true;
    }
    if (values.empty()) {
        Skip(h, "it holds no values");
        return true;
    }
    if (static_cast<long long>(values.size()) != h.declaredPoints)
        notes_.push_back("R" + RecordLabel(h).substr(1) + " declares " +
                         std::to_string(h.declaredPoints) + " points but holds " +
                         std::to_string(values.size()) + "; the " + std::to_string(values.size()) +
                         " values present were read.");
    AddSignal(h, std::move(values));
    return true;
}

bool UffReader::Read(DataSet& out, FileResult& result) {
    std::string_view line;
    bool any = false;
    // Blank lines between datasets are tolerated.
    auto nextNonBlank = [&] {
        while (in_.Next(line))
            if (!plat::Trim(line).empty()) return true;
        return false;
    };
    while (nextNonBlank()) {
        int startLine = in_.LineNo();
        if (!IsDelimiter(line)) {
            if (!any)
                return Fail(
                    "not a Universal File (it does not start with the \"-1\" line that "
                    "opens each dataset).");
            return FailAt(startLine, "expected the \"-1\" line that opens a dataset.");
        }
        any = true;
        std::string_view numberLine;
        if (!in_.Next(numberLine))
            return Fail("the file is truncated after the \"-1\" line " + std::to_string(startLine) +
                        ".");
        std::string_view trimmed = plat::Trim(numberLine);
        size_t digits = 0;
        while (digits < trimmed.size() && IsDigit(trimmed[digits])) ++digits;
        long long number = 0;
        if (digits == 0 || !ParseInt(trimmed.substr(0, digits), number))
            return FailAt(startLine + 1, "expected a dataset number.");
        if (number == 58) {
            if (!ReadDataset58(trimmed.substr(digits), startLine)) return false;
        } else {
            otherDatasets_.push_back(number);
            if (!SkipToDelimiter(startLine, "dataset " + std::to_string(number))) return false;
        }
    }
    if (!any) return Fail("the file is empty.");
    if (!otherDatasets_.empty()) {
        std::map<long long, int> counts;
        std::vector<long long> order;
        for (long long n : otherDatasets_)
            if (counts[n]++ == 0) order.push_back(n);
        std::string list;
        for (long long n : order) {
            if (!list.empty()) list += ", ";
            list += std::to_string(n);
            if (counts[n] > 1) list += " (" + std::to_string(counts[n]) + " times)";
        }
        notes_.push_back("Skipped datasets that hold no time histories: " + list + ".");
    }
    result.notes = notes_;
    if (loaded_.signals.empty()) {
        if (record_ == 0)
            return Fail("it holds no dataset 58 records, so no time history to load.");
        std::string why = notes_.front();
        why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        if (why.back() == '.') why.pop_back();
        return Fail("it holds no evenly sampled time history to load (" + why + ").");
    }
    out.signals.swap(loaded_.signals);
    return true;
}

// ---------------------------------------------------------------- writing

std::string Record8(int type, std::string_view label, std::string_view unit) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%10d%5d%5d%5d", type, 0, 0, 0);
    return std::string(buf) + " " + PadField(label, 20) + " " + PadField(TextOrNone(unit), 20) +
           "\n";
}

}  // namespace

FileResult ReadUff58(const std::string& path, DataSet& out) {
    FileResult result;
    std::string bytes;
    if (!ReadFileBytes(path, bytes, result.message)) return result;
    std::string_view data(bytes);
    if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);  // a UTF-8 mark
    UffReader reader(path, data);
    DataSet loaded;
    if (!reader.Read(loaded, result)) {
        result.message = reader.Message();
        return result;
    }
    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

FileResult WriteUff58(const std::string& path, const DataSet& data, bool binary) {
    return WriteUff58(path, data, Uff58Options{binary});
}

FileResult WriteUff58(const std::string& path, const DataSet& data, const Uff58Options& options) {
    FileResult result;
    const std::string prefix = "Cannot write \"" + path + "\": ";
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const SignalData& s = data.signals[i];
        if (!(s.stepX > 0.0) || !std::isfinite(s.stepX) || !std::isfinite(s.startX)) {
            result.message = prefix + "signal " + std::to_string(i + 1) + " (\"" + s.name +
                             "\") has no valid time step.";
            return result;
        }
    }
    AtomicFile file;
    if (!file.Open(path, result.message)) return result;
    const bool dbl = options.doublePrecision;
    const int ordinateType = dbl ? 4 : 2;
    const size_t valueSize = dbl ? 8 : 4;
    const bool swap = options.bigEndian != (std::endian::native == std::endian::big);
    char buf[160];
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const SignalData& s = data.signals[i];
        const size_t n = s.samples.size();
        const int index = static_cast<int>(i + 1);
        std::string head = "    -1\n";
        if (options.binary) {
            std::snprintf(buf, sizeof buf, "%6d%c%6d%6d%12d%12lld%6d%6d%12d%12d\n", 58, 'b',
                          options.bigEndian ? 2 : 1, 2, 11, static_cast<long long>(n * valueSize),
                          0, 0, 0, 0);
            head += buf;
        } else {
            head += "    58\n";
        }
        // ID lines: name, free text, date, sub-folder, unused.
        head += IdLine(TextOrNone(s.name));
        head += IdLine(TextOrNone(s.text5));
        head += IdLine(FormatUffDate(s.startTime));
        head += IdLine(s.folder.empty() ? "NONE" : "Folder: " + s.folder);
        head += IdLine("NONE");
        // Record 6: a time response of a scalar point numbered after the signal.
        std::snprintf(buf, sizeof buf, "%5d%10d%5d%10d", 1, index, 0, 0);
        head += buf;
        head += " " + PadField(TextOrNone(s.name), 10);
        std::snprintf(buf, sizeof buf, "%10d%4d", index, 0);
        head += buf;
        head += " " + PadField("NONE", 10);
        std::snprintf(buf, sizeof buf, "%10d%4d\n", 0, 0);
        head += buf;
        // Record 7: real values, even spacing.
        std::snprintf(buf, sizeof buf, "%10d%10lld%10d", ordinateType, static_cast<long long>(n),
                      1);
        head +=
            buf + FormatE(s.startX, 13, 5) + FormatE(s.stepX, 13, 5) + FormatE(0.0, 13, 5) + "\n";
        const int type = SpecificDataType(s);
        head += Record8(17, "Time", "s");
        head += Record8(type, QuantityLabel(type), s.unit);
        head += Record8(0, "NONE", "NONE");
        head += Record8(0, "NONE", "NONE");
        file.Write(head);

        std::string body;
        constexpr size_t kBlock = 4096;
        if (options.binary) {
            for (size_t k = 0; k < n; k += kBlock) {
                body.clear();
                for (size_t j = k; j < std::min(n, k + kBlock); ++j) {
                    unsigned char b[8];
                    if (dbl) {
                        std::memcpy(b, &s.samples[j], 8);
                    } else {
                        float f = static_cast<float>(s.samples[j]);
                        std::memcpy(b, &f, 4);
                    }
                    if (swap) std::reverse(b, b + valueSize);
                    body.append(reinterpret_cast<const char*>(b), valueSize);
                }
                file.Write(body);
            }
        } else {
            // 4E20.12 for double, 6E13.5 for single precision.
            const size_t perLine = dbl ? 4 : 6;
            for (size_t k = 0; k < n; k += kBlock) {
                body.clear();
                for (size_t j = k; j < std::min(n, k + kBlock); ++j) {
                    body += dbl ? FormatE(s.samples[j], 20, 12) : FormatE(s.samples[j], 13, 5);
                    if ((j + 1) % perLine == 0 || j + 1 == n) body += '\n';
                }
                file.Write(body);
            }
        }
        file.Write("    -1\n", 7);
    }
    if (!file.Commit(result.message)) return result;
    result.ok = true;
    return result;
}

}  // namespace korvex
