// How to read a data file from the command line: --rate and the CSV and text choices.

#include "apps/vantrel/read_options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "apps/vantrel/interrupt.h"

namespace vantrel {

const char kReadOptionsUsage[] =
    "Reading a data file:\n"
    "  --rate HZ          sample rate of a file that gives none (a MAT file without fs,\n"
    "                     a CSV file without a time column)\n"
    "  --separator S      CSV: comma, semicolon, tab or blank (default: found)\n"
    "  --decimal D        CSV: point or comma (default: found)\n"
    "  --header-line N    CSV: line of the column names, 0 for none (default: found)\n"
    "  --units-line N     CSV: line of the units, 0 for none (default: found)\n"
    "  --time-column N    CSV: column of the time, 0 for none (default: found)\n"
    "  --resample         CSV: resample a time column that steps unevenly\n"
    "  --cache-dir DIR    folder for the copies of long recordings in other formats than\n"
    "                     .quor (default: beside the file, else ~/.cache/korvex)\n";

namespace {

bool Whole(const std::string& v, long max, int& out) {
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || *end || n < 0 || n > max) return false;
    out = static_cast<int>(n);
    return true;
}

}  // namespace

bool IsReadOption(const std::string& name) {
    return name == "--rate" || name == "--cache-dir" || name == "--separator" ||
           name == "--decimal" || name == "--header-line" || name == "--units-line" ||
           name == "--time-column";
}

bool SetReadOption(const std::string& name, const std::string& value, korvex::ReadOptions& o,
                   std::string& error) {
    korvex::TextOptions& t = o.text;
    if (name == "--cache-dir") {
        o.cacheDir = value;
        return true;
    }
    if (name == "--rate") {
        char* end = nullptr;
        o.rate = std::strtod(value.c_str(), &end);
        if (end != value.c_str() && !*end && std::isfinite(o.rate) && o.rate > 0) return true;
        error = "--rate takes a sample rate in Hz, not " + value;
        return false;
    }
    if (name == "--separator") {
        t.separator = value == "comma" || value == ","       ? ','
                      : value == "semicolon" || value == ";" ? ';'
                      : value == "tab"                       ? '\t'
                      : value == "blank" || value == "space" ? ' '
                                                             : 0;
        if (t.separator != 0) return true;
        error = "--separator takes comma, semicolon, tab or blank, not " + value;
        return false;
    }
    if (name == "--decimal") {
        t.decimal = value == "point" || value == "."   ? '.'
                    : value == "comma" || value == "," ? ','
                                                       : 0;
        if (t.decimal != 0) return true;
        error = "--decimal takes point or comma, not " + value;
        return false;
    }
    int* slot = name == "--header-line"  ? &t.headerLine
                : name == "--units-line" ? &t.unitsLine
                                         : &t.timeColumn;
    if (Whole(value, 1000000, *slot)) return true;
    error = name + " takes a number from 0, not " + value;
    return false;
}

bool SetReadFlag(const std::string& arg, korvex::ReadOptions& o) {
    if (arg != "--resample") return false;
    o.text.resample = true;
    return true;
}

std::function<bool(double)> CopyProgress(std::ostream& err, const std::string& path, bool quiet) {
    return [&err, path, quiet, told = -1](double share) mutable {
        const int quarter = static_cast<int>(std::clamp(share, 0.0, 1.0) * 4.0);
        if (quarter > told && !quiet) {
            told = quarter;
            err << "copying " << path << " to read it from the disk: " << 25 * quarter << " %\n"
                << std::flush;
        }
        return !Interrupted();  // Ctrl+C stops the copy, which leaves no file
    };
}

std::string ReadFailure(const std::string& message, bool needsRate) {
    return needsRate ? message + " Give it with --rate HZ." : message;
}

}  // namespace vantrel
