// Report rules: column widths, resizing, free names, mode buttons, header channels.

#include "ui/rules/reportrules.h"

#include "platform/text.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"
#include "ui/rules/procrules.h"

namespace reportrules {

bool ValidateColumnWidths(std::array<int32_t, 5>& widths, int listClientWidth) {
    const int usable = listClientWidth - 20;
    const auto fifth = static_cast<int32_t>(usable * 20 / 100.0 + 0.5);
    bool replaced = false;
    for (int32_t& w : widths) {
        if (w >= kMinColumnWidth && w <= kMaxColumnWidth) continue;
        w = fifth;
        replaced = true;
    }
    return replaced;
}

Box Moved(const Box& b, int dx, int dy, int dw, int dh) {
    return Box{b.left + dx, b.top + dy, b.right + dx + dw, b.bottom + dy + dh};
}

std::vector<ControlMove> ReportWindowMoves(int dx, int dy) {
    using namespace res;
    return {
        {IDC_LIST, 0, 0, dx, dy},
        {IDC_REPORT_BUTTON, 0, dy, 0, 0},
        {IDC_REPORT_FILE, 0, dy, dx, 0},
        {IDC_BROWSE, dx, dy, 0, 0},
    };
}

std::string FreeName(const std::string& pattern, const std::vector<std::string>& taken) {
    for (int k = 1;; ++k) {
        const std::string name = res::FormatText(pattern, {std::to_string(k)});
        bool used = false;
        for (const std::string& t : taken)
            if (plat::EqualNoCase(t, name)) {
                used = true;
                break;
            }
        if (!used) return name;
    }
}

double Number(const std::string& text) {
    return procrules::LeadingNumber(text);
}

double NonNegative(double v) {
    return v < 0.0 ? 0.0 : v;
}

ModeButtons ModeButtonsFor(int current, int count) {
    ModeButtons b;
    b.remove = current >= 0 && current < count;
    b.up = b.remove && current > 0;
    b.down = b.remove && current < count - 1;
    return b;
}

namespace {
bool Holds(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& s : list)
        if (plat::EqualNoCase(s, name)) return true;
    return false;
}
}  // namespace

bool AddHeaderChannel(std::vector<std::string>& list, const std::string& channel) {
    if (channel.empty() || Holds(list, channel)) return false;
    list.push_back(channel);
    return true;
}

bool AddAllHeaderChannels(std::vector<std::string>& list, const std::vector<std::string>& names) {
    bool added = false;
    for (const std::string& n : names) added = AddHeaderChannel(list, n) || added;
    return added;
}

int FindPrefix(const std::vector<std::string>& entries, const std::string& text) {
    if (text.empty()) return -1;
    const std::string want = plat::FoldCase(text);
    for (size_t i = 0; i < entries.size(); ++i)
        if (plat::FoldCase(entries[i]).rfind(want, 0) == 0) return static_cast<int>(i);
    return -1;
}

std::string AutoReportFile(const ReportSettings& rs) {
    return rs.autoFile.empty() ? rs.ReportFilePath() : rs.autoFile;
}

}  // namespace reportrules
