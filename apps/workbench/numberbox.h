#pragma once
// A spin box for a number in the workbench's dialogs: shown and read with
// a point (the C locale) whatever the user's locale.

#include <QDoubleSpinBox>
#include <QLocale>

namespace workbench {

inline QDoubleSpinBox* NumberBox(double lo, double hi, double value, int decimals) {
    auto* b = new QDoubleSpinBox;
    b->setLocale(QLocale::c());
    b->setRange(lo, hi);
    b->setDecimals(decimals);
    b->setValue(value);
    return b;
}

}  // namespace workbench
