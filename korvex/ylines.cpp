// A signal's "ylines" attribute read into horizontal lines and written back.

#include "korvex/ylines.h"

#include <cmath>
#include <cstdio>

#include "platform/numtext.h"

namespace korvex {

namespace {

bool ReadColour(std::string_view t, uint32_t& rgb) {
    if (t.size() != 7 || t[0] != '#') return false;
    rgb = 0;
    for (char c : t.substr(1)) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        rgb = rgb << 4 | static_cast<uint32_t>(d);
    }
    return true;
}

bool ReadLine(std::string_view line, YLine& out) {
    std::string_view field[3];
    for (auto& f : field) {
        const size_t semi = line.find(';');
        if (semi == std::string_view::npos) return false;
        f = line.substr(0, semi);
        line.remove_prefix(semi + 1);
    }
    const char* end = plat::ReadDecimal(field[0].data(), field[0].data() + field[0].size(), out.y);
    if (field[0].empty() || end != field[0].data() + field[0].size() || !std::isfinite(out.y))
        return false;
    if (!ReadColour(field[1], out.rgb)) return false;
    if (field[2] != "solid" && field[2] != "dash") return false;
    out.dashed = field[2] == "dash";
    out.label = std::string(line);
    return true;
}

}  // namespace

std::vector<YLine> ParseYLines(std::string_view text) {
    std::vector<YLine> lines;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        YLine y;
        if (ReadLine(line, y)) lines.push_back(std::move(y));
    }
    return lines;
}

std::string YLinesText(const std::vector<YLine>& lines) {
    std::string text;
    for (const YLine& l : lines) {
        if (!std::isfinite(l.y)) continue;
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(l.rgb & 0xFFFFFF));
        std::string label = l.label;
        for (char& c : label)
            if (c == '\n' || c == '\r') c = ' ';
        text += plat::ShortestText(l.y) + ";" + colour + ";" + (l.dashed ? "dash" : "solid") + ";" +
                label + "\n";
    }
    return text;
}

}  // namespace korvex
