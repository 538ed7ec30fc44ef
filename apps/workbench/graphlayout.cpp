#include "apps/workbench/graphlayout.h"

#include <algorithm>
#include <cmath>

namespace workbench {

GraphFrame LayOutGraph(double width, double height, double axisWidth, double legendWidth) {
    GraphFrame f;
    const double right = legendWidth > 0 ? legendWidth + kLegendGap : kPlotRightEdge;
    f.plot = {axisWidth, kPlotTop, std::max(1.0, width - axisWidth - right),
              std::max(1.0, height - kPlotTop - kPlotBottom)};
    if (legendWidth > 0)
        f.legend = {f.plot.Right() + kLegendGap, kPlotTop, legendWidth, f.plot.h + kPlotBottom - 4};
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
