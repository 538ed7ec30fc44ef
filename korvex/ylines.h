#pragma once
// Horizontal lines a signal asks its graphs to draw (limits, zone
// boundaries): the signal's attribute "ylines", one line per text line,
//     <value>;<#rrggbb>;<solid|dash>;<label>
// with the value in the signal's own unit, written locale-free. A line that
// does not read is left out; the label may hold any text but a line break.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

inline constexpr char kYLinesAttr[] = "ylines";

struct YLine {
    double y = 0.0;
    uint32_t rgb = 0x808080;
    bool dashed = false;
    std::string label;
};

std::vector<YLine> ParseYLines(std::string_view text);
std::string YLinesText(const std::vector<YLine>& lines);

}  // namespace korvex
