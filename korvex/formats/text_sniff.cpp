// How a CSV or text export is laid out, found in its first lines: the
// separator and decimal mark that make the most lines of numbers, the first
// of those lines, the column names above it (a units line between them, or
// units in the names), the metadata lines above those, a time column, and
// the header of an NI LVM file. Choices the user made are kept as given.

#include <algorithm>

#include "korvex/formats/file_source.h"
#include "korvex/formats/text_common.h"
#include "platform/text.h"

namespace korvex::text {

namespace {

constexpr size_t kMaxLines = 2000;

// Fields of a line of data (trailing empty ones dropped): numbers,
// date-times or empty, at least one not empty. 0 when it is none.
size_t DataFields(std::string_view line, char sep, char dec, std::vector<std::string_view>& f) {
    Split(line, sep, f);
    while (!f.empty() && f.back().empty()) f.pop_back();
    bool any = false;
    for (std::string_view x : f) {
        if (x.empty()) continue;
        double v;
        if (!ParseNumber(x, dec, v) && !IsDateTime(x)) return 0;
        any = true;
    }
    return any ? f.size() : 0;
}

size_t FieldCount(std::string_view line, char sep, std::vector<std::string_view>& f) {
    Split(line, sep, f);
    while (!f.empty() && f.back().empty()) f.pop_back();
    return f.size();
}

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

struct Choice {
    char sep = 0, dec = 0;
    size_t fields = 0, run = 0;
    bool header = false;
    size_t Score() const { return run * (fields >= 2 ? 2 : 1) * (header ? 2 : 1); }
};

// The lines of data with sep and dec: the commonest number of fields among
// them, so that a damaged line here and there does not decide.
Choice Try(const std::vector<std::string_view>& lines, char sep, char dec) {
    Choice c{sep, dec};
    std::vector<std::string_view> f;
    std::vector<size_t> counts;
    size_t firstOfShape = lines.size();
    for (std::string_view line : lines) {
        const size_t k = std::min<size_t>(DataFields(line, sep, dec, f), 4096);
        if (k == 0) continue;
        if (counts.size() <= k) counts.resize(k + 1);
        ++counts[k];
    }
    for (size_t k = 1; k < counts.size(); ++k)
        if (counts[k] > c.run || (counts[k] == c.run && k > c.fields))
            c.run = counts[k], c.fields = k;
    for (size_t i = 0; i < lines.size() && c.run > 0; ++i)
        if (DataFields(lines[i], sep, dec, f) == c.fields) {
            firstOfShape = i;
            break;
        }
    size_t above = firstOfShape;
    while (above > 0 && above < lines.size() && Blank(lines[above - 1])) --above;
    c.header = c.run > 0 && above > 0 && above < lines.size() &&
               FieldCount(lines[above - 1], sep, f) == c.fields;
    return c;
}

// The first line of data of the chosen shape that another line of data
// follows (or that ends the sample): a line of numbers among the metadata
// has text below it.
size_t FirstData(const std::vector<std::string_view>& lines, size_t from, const Choice& c) {
    std::vector<std::string_view> f;
    for (size_t i = from; i < lines.size(); ++i) {
        if (Blank(lines[i]) || DataFields(lines[i], c.sep, c.dec, f) != c.fields) continue;
        size_t next = i + 1;
        while (next < lines.size() && Blank(lines[next])) ++next;
        if (next == lines.size() || DataFields(lines[next], c.sep, c.dec, f) > 0) return i;
    }
    return lines.size();
}

// Whether a field reads as a unit: bracketed, with a unit's marks, or one
// of the common unit words.
bool IsUnitText(std::string_view x) {
    if (x.size() >= 2 && (x.front() == '[' || x.front() == '(')) return true;
    for (const char* mark : {"/", "^", "\u00B2", "\u00B3", "\u00B0", "%"})
        if (x.find(mark) != std::string_view::npos) return x.size() <= 16;
    static const char* kUnits[] = {
        "s",  "ms",      "us",  "\u00B5s", "min", "h", "Hz", "kHz", "rpm", "V",   "mV",
        "uV", "\u00B5V", "A",   "mA",      "g",   "m", "mm", "um",  "N",   "kN",  "Nm",
        "Pa", "kPa",     "bar", "dB",      "K",   "C", "W",  "kW",  "rad", "deg", "\u00B5m"};
    for (const char* u : kUnits)
        if (x == u) return true;
    return false;
}

// Whether a line reads as units: every field empty or a unit, one at least.
bool LooksLikeUnits(std::string_view line, char sep) {
    std::vector<std::string_view> f;
    Split(line, sep, f);
    bool any = false;
    for (std::string_view x : f) {
        if (x.empty()) continue;
        if (!IsUnitText(x)) return false;
        any = true;
    }
    return any;
}

bool IsTimeName(const std::string& name) {
    const std::string n = plat::FoldCase(name);
    static const char* kNames[] = {"t",       "time",     "zeit",        "время",   "timestamp",
                                   "date",    "datetime", "date/time",   "x_value", "sec",
                                   "seconds", "time_s",   "elapsed time"};
    for (const char* k : kNames)
        if (n == k) return true;
    return n.rfind("time", 0) == 0 || n.rfind("zeit", 0) == 0 || n.rfind("время", 0) == 0;
}

// The LVM header: separator and decimal tags, where the names line is, the
// step, start and unit of each channel. False when it is no LVM file.
bool LvmHeader(const std::vector<std::string_view>& lines, Layout& L, size_t& names) {
    if (lines.empty() || lines[0].rfind("LabVIEW Measurement", 0) != 0) return false;
    L.lvm = true;
    char sep = '\t';
    char dec = '.';
    std::string xColumns = "One";
    std::vector<std::string_view> f;
    std::vector<std::string> units;
    size_t ends = 0, lastEnd = 0;
    for (size_t i = 0; i < lines.size() && ends < 2; ++i) {
        if (lines[i].rfind("***End_of_Header***", 0) == 0) {
            ++ends;
            lastEnd = i;
            continue;
        }
        Split(lines[i], sep, f);
        if (f.size() < 2) continue;
        const std::string_view tag = f[0];
        if (tag == "Separator")
            sep = f[1] == "Comma" ? ',' : f[1] == "Semicolon" ? ';' : f[1] == "Space" ? ' ' : '\t';
        if (tag == "Decimal_Separator") dec = f[1] == "," ? ',' : '.';
        if (tag == "X_Columns") xColumns = std::string(f[1]);
        auto numbers = [&](std::vector<double>& out) {
            out.clear();
            for (size_t k = 1; k < f.size(); ++k) {
                double v = 0;
                if (!f[k].empty() && ParseNumber(f[k], dec, v)) out.push_back(v);
            }
        };
        if (tag == "Delta_X") numbers(L.lvmSteps);
        if (tag == "X0") numbers(L.lvmStarts);
        if (tag == "Y_Unit_Label")
            for (size_t k = 1; k < f.size(); ++k) units.push_back(Utf8(f[k]));
    }
    if (L.options.separator == 0) L.options.separator = sep;
    if (L.options.decimal == 0) L.options.decimal = dec;
    names = lastEnd + 1;
    while (names < lines.size() && Blank(lines[names])) ++names;
    // Channel k sits in column k, k + 1 behind one x column, 2k + 1 with an x
    // column before each.
    const size_t stride = xColumns == "Multi" ? 2 : 1, first = xColumns == "No" ? 0 : 1;
    std::vector<double> steps, starts;
    L.units.assign(first + stride * std::max(units.size(), L.lvmSteps.size()), "");
    steps.assign(L.units.size(), 0.0);
    starts.assign(L.units.size(), 0.0);
    for (size_t k = 0; k < units.size(); ++k) L.units[first + stride * k] = units[k];
    for (size_t k = 0; k < L.lvmSteps.size(); ++k) steps[first + stride * k] = L.lvmSteps[k];
    for (size_t k = 0; k < L.lvmStarts.size() && first + stride * k < starts.size(); ++k)
        starts[first + stride * k] = L.lvmStarts[k];
    L.lvmSteps = steps;
    L.lvmStarts = starts;
    if (L.options.timeColumn < 0) L.options.timeColumn = xColumns == "No" ? 0 : 1;
    return true;
}

void Names(const std::vector<std::string_view>& lines, Layout& L, const Choice& c) {
    std::vector<std::string_view> f;
    const int header = L.options.headerLine, units = L.options.unitsLine;
    std::vector<std::string> names(c.fields), unitTexts = L.units;
    unitTexts.resize(c.fields);
    if (header > 0 && static_cast<size_t>(header) <= lines.size()) {
        Split(lines[header - 1], c.sep, f);
        // Split at blanks, "a [g]" comes as two fields: a unit joins its name.
        if (c.sep == ' ' && f.size() > c.fields) {
            std::vector<std::string_view> joined;
            for (std::string_view x : f) {
                const bool unit = !x.empty() && (x.front() == '[' || x.front() == '(');
                if (unit && !joined.empty())
                    joined.back() = std::string_view(joined.back().data(),
                                                     x.data() + x.size() - joined.back().data());
                else
                    joined.push_back(x);
            }
            f.swap(joined);
        }
        for (size_t k = 0; k < f.size() && k < c.fields; ++k) {
            std::string unit;
            NameAndUnit(Utf8(f[k]), names[k], unit);
            if (!unit.empty()) unitTexts[k] = unit;
        }
    }
    if (units > 0 && static_cast<size_t>(units) <= lines.size()) {
        Split(lines[units - 1], c.sep, f);
        for (size_t k = 0; k < f.size() && k < c.fields; ++k) unitTexts[k] = BareUnit(Utf8(f[k]));
    }
    for (size_t k = 0; k < c.fields; ++k)
        if (names[k].empty()) names[k] = "Column " + std::to_string(k + 1);
    L.names = names;
    L.units = unitTexts;
}

void TimeColumn(const std::vector<std::string_view>& lines, Layout& L, const Choice& c) {
    std::vector<std::string_view> f;
    if (L.options.timeColumn < 0) {
        L.options.timeColumn = 0;
        for (size_t k = 0; k < L.names.size() && L.options.timeColumn == 0; ++k)
            if (IsTimeName(L.names[k]) || plat::FoldCase(L.units[k]) == "s")
                L.options.timeColumn = static_cast<int>(k + 1);
        // Date-times in a column make it the time whatever its name.
        if (L.options.timeColumn == 0 && L.firstDataLine > 0) {
            Split(lines[L.firstDataLine - 1], c.sep, f);
            for (size_t k = 0; k < f.size() && L.options.timeColumn == 0; ++k) {
                double v;
                if (!ParseNumber(f[k], c.dec, v) && IsDateTime(f[k]))
                    L.options.timeColumn = static_cast<int>(k + 1);
            }
        }
    }
    const int t = L.options.timeColumn;
    if (t > 0 && static_cast<size_t>(t) <= c.fields && L.firstDataLine > 0) {
        Split(lines[L.firstDataLine - 1], c.sep, f);
        double v;
        L.timeIsDate = static_cast<size_t>(t) <= f.size() && !ParseNumber(f[t - 1], c.dec, v) &&
                       IsDateTime(f[t - 1]);
    }
}

}  // namespace

Layout Sniff(std::string_view head, bool complete, const TextOptions& given) {
    Layout L;
    L.options = given;
    const size_t bom = head.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    std::vector<std::string_view> lines = Lines(head.substr(bom), complete);
    if (lines.size() > kMaxLines) lines.resize(kMaxLines);
    size_t lvmNames = 0;
    const bool lvm = LvmHeader(lines, L, lvmNames);
    Choice best;
    const char seps[] = {'\t', ';', ',', ' '};
    for (char sep : seps) {
        if (L.options.separator != 0 && sep != L.options.separator) continue;
        for (char dec : {'.', ','}) {
            if ((L.options.decimal != 0 && dec != L.options.decimal) || (sep == ',' && dec == ','))
                continue;
            const Choice c = Try(lines, sep, dec);
            if (c.run > 0 && (c.Score() > best.Score() ||
                              (c.Score() == best.Score() && c.header && !best.header)))
                best = c;
        }
    }
    if (best.run == 0) {
        L.message = "no lines of numbers in its first " + std::to_string(lines.size()) + " lines";
        return L;
    }
    L.options.separator = best.sep;
    L.options.decimal = best.dec;
    L.columns = best.fields;
    size_t from = 0;
    if (lvm) from = lvmNames + 1;
    if (L.options.headerLine > 0) from = std::max<size_t>(from, L.options.headerLine);
    if (L.options.unitsLine > 0) from = std::max<size_t>(from, L.options.unitsLine);
    const size_t first = FirstData(lines, from, best);
    if (first >= lines.size()) {
        L.message = "no lines of numbers after line " + std::to_string(from);
        return L;
    }
    L.firstDataLine = static_cast<int>(first + 1);
    L.dataOffset = bom + static_cast<uint64_t>(lines[first].data() - head.substr(bom).data());
    // The names (and units) line(s) above the data.
    size_t above = first;
    while (above > 0 && Blank(lines[above - 1])) --above;
    std::vector<std::string_view> f;
    if (lvm && L.options.headerLine < 0) L.options.headerLine = static_cast<int>(lvmNames + 1);
    if (L.options.headerLine < 0) {
        L.options.headerLine = 0;
        if (above > 0 && FieldCount(lines[above - 1], best.sep, f) > 0) {
            L.options.headerLine = static_cast<int>(above);
            if (L.options.unitsLine < 0 && above > 1 &&
                FieldCount(lines[above - 2], best.sep, f) ==
                    FieldCount(lines[above - 1], best.sep, f) &&
                LooksLikeUnits(lines[above - 1], best.sep) &&
                !LooksLikeUnits(lines[above - 2], best.sep)) {
                L.options.unitsLine = static_cast<int>(above);
                L.options.headerLine = static_cast<int>(above - 1);
            }
        }
    }
    if (L.options.unitsLine < 0) L.options.unitsLine = 0;
    const int top = L.options.headerLine > 0 ? L.options.headerLine : L.firstDataLine;
    L.metadataLines = lvm ? 0 : top - 1;
    Names(lines, L, best);
    TimeColumn(lines, L, best);
    L.skip.assign(best.fields, false);
    if (lvm)
        for (size_t k = 0; k < best.fields; ++k)
            L.skip[k] = static_cast<int>(k + 1) != L.options.timeColumn &&
                        plat::EqualNoCase(L.names[k], "X_Value");
    return L;
}

}  // namespace korvex::text

namespace korvex {

TextLayout SniffTextFile(const std::string& path, const TextOptions& given) {
    TextLayout out;
    FileSource file;
    if (!file.Open(path, out.message)) return out;
    constexpr size_t kHead = size_t{256} << 10;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(file.Size(), kHead));
    const unsigned char* p = file.At(0, n);
    if (!p && n > 0) {
        out.message = "Cannot read \"" + path + "\": " + file.ReadError() + ".";
        return out;
    }
    const std::string_view head(reinterpret_cast<const char*>(p), n);
    const text::Layout L = text::Sniff(head, n == file.Size(), given);
    for (std::string_view line : text::Lines(head, n == file.Size())) {
        if (out.head.size() >= 40) break;
        out.head.push_back(text::Utf8(line.substr(0, 400)));
    }
    if (!L.message.empty()) {
        out.message = "Cannot read \"" + path + "\" as text: " + L.message + ".";
        return out;
    }
    out.found = L.options;
    out.firstDataLine = L.firstDataLine;
    out.names = L.names;
    out.units = L.units;
    out.lvm = L.lvm;
    return out;
}

}  // namespace korvex
