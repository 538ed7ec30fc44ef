#pragma once
// Numbers as text for files: always a decimal point and never a thousands
// separator, whatever locale the process runs under (a GUI process takes the
// user's LC_NUMERIC, and a file written with "0,5" reads back as 0 elsewhere).
// Every number a writer puts into a file goes through these.

#include <string>

namespace plat {

// As "%.*f": FixedText(0.5, 6) is "0.500000".
std::string FixedText(double v, int decimals);
// As "%.*g": GeneralText(0.1, 17) is "0.10000000000000001".
std::string GeneralText(double v, int precision);
// As "%.*e": ScientificText(1500, 3) is "1.500e+03".
std::string ScientificText(double v, int digits);
// The shortest text that reads back as exactly v ("0.1", "1e+300").
std::string ShortestText(double v);

// Reads a decimal number at first as strtod does in the C locale: one
// optional sign, digits with an optional point and exponent, or inf/nan; a
// value beyond the double range gives ±infinity, one below it ±0. Returns
// the end of the number, or first when there is none (v is then 0).
const char* ReadDecimal(const char* first, const char* last, double& v);

void AppendFixed(std::string& out, double v, int decimals);
void AppendGeneral(std::string& out, double v, int precision);

}  // namespace plat
