// Where a graph's plot and legend go in its window's shared margins; the legend rows.

#include "apps/workbench/graphlayout.h"

#include <algorithm>
#include <cmath>

namespace workbench {

Margins CommonMargins(const std::vector<Margins>& wanted) {
    Margins m;
    for (const Margins& w : wanted) {
        m.left = std::max(m.left, w.left);
        m.right = std::max(m.right, w.right);
    }
    return m;
}

double LegendMargin(double legendWidth) {
    return legendWidth > 0 ? legendWidth + kLegendGap : kPlotRightEdge;
}

GraphFrame LayOutGraph(double width, double height, double axisWidth, double legendWidth) {
    return LayOutGraph(width, height, Margins{axisWidth, LegendMargin(legendWidth)}, legendWidth);
}

GraphFrame LayOutGraph(double width, double height, Margins m, double legendWidth) {
    GraphFrame f;
    const double right = std::max(m.right, LegendMargin(legendWidth));
    f.plot = {m.left, kPlotTop, std::max(1.0, width - m.left - right),
              std::max(1.0, height - kPlotTop - kPlotBottom)};
    if (legendWidth > 0)
        f.legend = {f.plot.Right() + kLegendGap, kPlotTop, right - kLegendGap,
                    f.plot.h + kPlotBottom - 4};
    return f;
}

double SharedLegendWidth(double widest, double windowWidth, bool shown) {
    if (!shown || !(widest > 0)) return 0;
    return std::floor(std::min(widest, windowWidth * kLegendShare));
}

LegendRows FitLegend(int rows, double rowHeight, double height, int first) {
    LegendRows r;
    if (rows <= 0 || !(rowHeight > 0)) return r;
    const int fit = std::max(1, static_cast<int>(std::floor(height / rowHeight)));
    if (fit >= rows) {
        r.count = rows;
        return r;
    }
    r.scrolls = true;
    r.first = std::clamp(first, 0, rows - fit);
    r.count = fit;
    r.thumbTop = static_cast<double>(r.first) / rows;
    r.thumbSize = static_cast<double>(fit) / rows;
    return r;
}

}  // namespace workbench
