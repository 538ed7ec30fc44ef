#pragma once
// Draws a trend (one band over the recordings) as a picture: the command
// line's PNG and the plug-in's trend window.

#include <QImage>
#include <QString>

class QPainter;

#include "report/trend.h"

namespace trendplot {

// The legend's words; the command line draws these, a window its own.
struct TrendTexts {
    QString danger = "danger", alert = "alert";
    QString zones = "zones ISO 10816-3, class %1";  // %1: the class as "2r"
    // The title's mode and value as the window names them; empty: the query's.
    QString mode, value;
};

QImage DrawTrend(const Trend& trend, int width = 1100, int height = 620,
                 const TrendTexts& texts = {});
// The same into a painter over the rectangle (0, 0, width, height).
void PaintTrend(QPainter& g, const Trend& trend, int width, int height, const TrendTexts& texts);

}  // namespace trendplot
