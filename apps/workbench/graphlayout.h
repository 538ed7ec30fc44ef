#pragma once
// Where the parts of a graph go, without Qt: the y axis at the left, the
// plot, the legend at the right outside the plot, and which legend rows fit.
// Every graph of one window, time, spectrum or map, is given the same left
// and right margins (the widest any of them asks for), so their plots, and
// with them the time grids, line up whatever the legends, colour bars or
// tick labels need.

#include <vector>

namespace workbench {

struct Box {
    double x = 0, y = 0, w = 0, h = 0;
    double Right() const { return x + w; }
    double Bottom() const { return y + h; }
};

struct GraphFrame {
    Box plot;
    Box legend;  // w == 0 when the legend is hidden
};

inline constexpr double kPlotTop = 6, kPlotBottom = 22, kLegendGap = 8, kPlotRightEdge = 10;
// The legend takes at most this share of a graph's width.
inline constexpr double kLegendShare = 0.45;

// Room left and right of a plot.
struct Margins {
    double left = 0, right = 0;
    bool operator==(const Margins&) const = default;
};
// The margins that fit every graph of a window: the widest each side asks.
Margins CommonMargins(const std::vector<Margins>& wanted);
// The right margin a time graph asks for its legend (0: hidden).
double LegendMargin(double legendWidth);

// legendWidth 0 hides the legend.
GraphFrame LayOutGraph(double width, double height, double axisWidth, double legendWidth);
// In margins shared with other graphs: a legend fills the right margin.
GraphFrame LayOutGraph(double width, double height, Margins m, double legendWidth);

// The width a graph window gives every legend: the widest that a graph asks
// for, capped at kLegendShare of the width; 0 when hidden or none asks.
double SharedLegendWidth(double widest, double windowWidth, bool shown);

// The legend rows shown in a height, from row first (clamped so that a
// scrolled legend ends on its last row); a thumb for the scroll bar.
struct LegendRows {
    int first = 0;
    int count = 0;
    bool scrolls = false;
    double thumbTop = 0;  // share of the height, 0..1
    double thumbSize = 1;
};
LegendRows FitLegend(int rows, double rowHeight, double height, int first);

}  // namespace workbench
