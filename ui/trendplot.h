#pragma once
// Draws a trend (one band over the recordings) as a picture: the command
// line's PNG and the plug-in's trend window.

#include <QImage>
#include <QString>

class QPainter;

namespace res {
class Module;
}

#include "report/trend.h"

namespace trendplot {

// The legend's words; the command line draws these, a window its own.
struct TrendTexts {
    QString danger = "danger", alert = "alert";
    QString zones = "zones ISO 10816-3, class %1";  // %1: the class as "2r"
    // The title's mode and value as the window names them; empty: the query's.
    QString mode, value;
};

// The legend's and the title's words for a picture of query q from a
// resource module: the plug-in's own (Russian) or the English set. Words the
// module lacks keep the defaults; a mode or value of the file's own stays.
TrendTexts ModuleTexts(const res::Module& m, const TrendQuery& q);

QImage DrawTrend(const Trend& trend, int width = 1100, int height = 620,
                 const TrendTexts& texts = {});
// The same into a painter over the rectangle (0, 0, width, height).
void PaintTrend(QPainter& g, const Trend& trend, int width, int height, const TrendTexts& texts);

}  // namespace trendplot
