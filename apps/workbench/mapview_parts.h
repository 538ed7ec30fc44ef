#pragma once
// What the parts of a map graph (mapview*.cpp) share: the measures of its
// layout, its cursor's colours and how it writes a number.

#include <QColor>
#include <QString>

#include "apps/workbench/readout.h"

namespace workbench::mapparts {

inline constexpr double kHeader = 18, kAxis = 80, kBottom = 22, kBarGap = 12, kBarW = 16,
                        kBarText = 72;
inline const QColor kCursorColor(255, 255, 255), kCross(0, 0, 0);

inline QString Num(double v) {
    return QString::fromStdString(FormatNumber(v));
}

}  // namespace workbench::mapparts
