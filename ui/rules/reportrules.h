#pragma once
// Rules of the report window, the report page and the automatic-report
// dialog that need no widgets: column widths, the resize arithmetic, free
// program and mode names, mode-button enabling, the header-channel list and
// which report file a dialog offers.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/report_settings.h"

namespace reportrules {

// The report window's list: widths below 20 or above 1000 pixels are
// replaced by a fifth of (the list's client width - 20), rounded. Returns
// whether any width was replaced.
inline constexpr int32_t kMinColumnWidth = 20;
inline constexpr int32_t kMaxColumnWidth = 1000;
bool ValidateColumnWidths(std::array<int32_t, 5>& widths, int listClientWidth);

// A control's rectangle, right and bottom exclusive.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Box&) const = default;
};
// Moved by (dx, dy) and grown by (dw, dh).
Box Moved(const Box& b, int dx, int dy, int dw, int dh);

// How one control of the report window follows a change (dx, dy) of the
// client size: the list grows, the button and the file edit move down, the
// edit grows, the "..." button moves right and down.
struct ControlMove {
    int id = 0;
    int dx = 0, dy = 0, dw = 0, dh = 0;
};
std::vector<ControlMove> ReportWindowMoves(int dx, int dy);

// The first name made from the pattern (the program or mode name with a %d) with k = 1, 2, ...
// that none of taken carries (letter case ignored).
std::string FreeName(const std::string& pattern, const std::vector<std::string>& taken);

// A typed number (the longest valid prefix, else 0; a comma taken as the
// decimal point, whatever the locale); NonNegative makes a negative result 0.
double Number(const std::string& text);
double NonNegative(double v);

// Which mode buttons are enabled with mode current of count (-1 none).
struct ModeButtons {
    bool remove = false, up = false, down = false;
};
ModeButtons ModeButtonsFor(int current, int count);

// The header-channel list after adding one channel, or every channel of
// names, that it does not hold yet (letter case ignored). False when
// nothing was added.
bool AddHeaderChannel(std::vector<std::string>& list, const std::string& channel);
bool AddAllHeaderChannels(std::vector<std::string>& list, const std::vector<std::string>& names);

// Index of the first entry that begins with text (letter case ignored), as
// a drop-down list's search finds it; -1 for none or an empty text.
int FindPrefix(const std::vector<std::string>& entries, const std::string& text);

// The file the automatic-report dialog offers and the fill writes to: the
// automatic-report file, else the report file, else the default one.
std::string AutoReportFile(const ReportSettings& rs);

}  // namespace reportrules
