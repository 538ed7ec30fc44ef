#pragma once
// Draws a trend (one band over the recordings) as a picture.

#include <QImage>

#include "report/trend.h"

namespace trendplot {

QImage DrawTrend(const Trend& trend, int width = 1100, int height = 620);

}  // namespace trendplot
