#pragma once
// What the sniffing and the reading of CSV and text exports share: fields of
// a line, numbers with either decimal mark, date-times, and the layout found
// in a file's first lines. Internal to korvex/formats/text*.cpp.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/formats/readers.h"

namespace korvex::text {

// The fields of a line: split at sep (' ' splits at runs of blanks and
// tabs), blanks around a field and the quotes around a quoted one removed.
// Views into line.
void Split(std::string_view line, char sep, std::vector<std::string_view>& fields);

// A whole field as a number, "+", exponents, inf and nan taken; dec is the
// decimal mark. Whatever the process locale.
bool ParseNumber(std::string_view s, char dec, double& v);

// A date and time as its day (days since 1 January 1970) and the seconds
// into it, no time zone applied: "2024-03-01 12:30:05.25" (or with "T",
// or "/"), "01.03.2024 12:30:05,25", "03/01/2024 12:30:05" (month first
// unless the first number is over 12). A time of day alone ("12:30:05.25")
// gives day 0 with dated false.
bool ParseDateTime(std::string_view s, int64_t& day, double& seconds, bool& dated);
bool IsDateTime(std::string_view s);

// A column name split into name and unit: "a [V]", "a (V)", "a / V".
void NameAndUnit(std::string_view field, std::string& name, std::string& unit);
// A units-line field: "[V]", "(V)" or "V" as "V".
std::string BareUnit(std::string_view field);

// A line's text as UTF-8: kept when valid, else read as code page 1251.
std::string Utf8(std::string_view s);

// What sniffing finds: every choice made, and where the data starts.
struct Layout {
    TextOptions options;      // separator, decimal, header and units lines, time column
    int firstDataLine = 0;    // from 1
    uint64_t dataOffset = 0;  // byte offset of the first data line
    size_t columns = 0;       // fields of a data line
    std::vector<std::string> names, units;
    bool lvm = false;
    std::vector<double> lvmSteps;   // LVM Delta_X per channel column, when given
    std::vector<double> lvmStarts;  // LVM X0 per channel column
    std::vector<bool> skip;         // columns that are no signal (further LVM x columns)
    int metadataLines = 0;          // lines before the column names (or the data)
    bool timeIsDate = false;        // the time column holds date-times
    std::string message;            // why no data was found, or ""
};

// Finds the layout in the first lines of a file (its head, up to a size
// that holds enough of them); given fixes the choices the user made.
// complete says head is the whole file (its last line is then a line).
Layout Sniff(std::string_view head, bool complete, const TextOptions& given);

// Lines of a text, LF or CR LF, without their ends.
std::vector<std::string_view> Lines(std::string_view text, bool complete);

}  // namespace korvex::text
