#pragma once
// A graph's signals as one CSV table for a spreadsheet: the first signal's
// abscissas in the first column, then one column per signal ("name [unit]"),
// the later signals interpolated at those abscissas.

#include <string>

#include "korvex/host.h"

namespace korvex {

// false with a message when the graph is unknown or empty or the file
// cannot be written (an old file is then left as it was).
bool WriteGraphCsv(const Host& host, int graph, const std::string& path, std::string& message);

}  // namespace korvex
