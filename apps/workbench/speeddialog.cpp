// The parameter dialog of "Обороты по спектру": the modal default behind
// Dialogs::EditSpeedFromSpectrum, which tests replace. Speeds are shaft
// speeds in Hz; numbers are shown and read with a point (the C locale).

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

#include "apps/workbench/mainwindow.h"
#include "apps/workbench/numberbox.h"
#include "apps/workbench/texts.h"

namespace workbench {

bool Dialogs::EditSpeedFromSpectrum(QWidget* parent, int& signalId, korvex::OperatorParams& keys,
                                    const std::vector<SpeedChoice>& signals) {
    QDialog dlg(parent);
    dlg.setWindowTitle(wbtext::kSpeedDialog);
    auto* form = new QFormLayout(&dlg);
    auto* signal = new QComboBox;
    for (const SpeedChoice& c : signals) {
        signal->addItem(c.label, c.id);
        if (c.id == signalId) signal->setCurrentIndex(signal->count() - 1);
    }
    auto* order = NumberBox(0.001, 1e6, keys.Number("order", 1.0), 3);
    auto* anchor = new QComboBox;
    anchor->addItems({wbtext::kSpeedByStart, wbtext::kSpeedByBand});
    anchor->setCurrentIndex(!keys.Has("startTime") && keys.Has("speedLo"));
    auto* time = NumberBox(-1e9, 1e9, keys.Number("startTime", 0.0), 3);
    auto* speed = NumberBox(0, 1e6, keys.Number("startSpeed", 10.0), 3);
    auto* lo = NumberBox(0, 1e6, keys.Number("speedLo", 5.0), 3);
    auto* hi = NumberBox(0, 1e6, keys.Number("speedHi", 100.0), 3);
    auto* n = new QComboBox;
    for (int k = 10; k <= 17; ++k) {
        n->addItem(QString::number(1 << k), 1 << k);
        if (keys.Number("numPoints", 8192) == (1 << k)) n->setCurrentIndex(n->count() - 1);
    }
    auto* overlap = NumberBox(0, 95, keys.Number("overlap", 75.0), 1);
    auto* rate = NumberBox(1, 1000, keys.Number("maxRate", 0.5) * 100.0, 1);
    form->addRow(wbtext::kSpeedSignal, signal);
    form->addRow(wbtext::kSpeedOrder, order);
    form->addRow(wbtext::kSpeedAnchor, anchor);
    form->addRow(wbtext::kSpeedStartTime, time);
    form->addRow(wbtext::kSpeedStartSpeed, speed);
    form->addRow(wbtext::kSpeedLo, lo);
    form->addRow(wbtext::kSpeedHi, hi);
    form->addRow(wbtext::kSpeedBlock, n);
    form->addRow(wbtext::kSpeedOverlap, overlap);
    form->addRow(wbtext::kSpeedMaxRate, rate);
    auto enable = [=](int byBand) {
        time->setEnabled(!byBand);
        speed->setEnabled(!byBand);
        lo->setEnabled(byBand);
        hi->setEnabled(byBand);
    };
    enable(anchor->currentIndex());
    QObject::connect(anchor, &QComboBox::currentIndexChanged, &dlg, enable);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return false;

    signalId = signal->currentData().toInt();
    // The anchor not chosen leaves the set, so the search takes only one.
    korvex::OperatorParams p;
    p.Set("order", order->value());
    if (anchor->currentIndex() == 0) {
        p.Set("startTime", time->value());
        p.Set("startSpeed", speed->value());
    } else {
        p.Set("speedLo", lo->value());
        p.Set("speedHi", hi->value());
    }
    p.Set("numPoints", n->currentData().toInt());
    p.Set("overlap", overlap->value());
    p.Set("maxRate", rate->value() / 100.0);
    keys = p;
    return true;
}

}  // namespace workbench
