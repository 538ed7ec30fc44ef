// The parameter dialog of a spectrum or map graph: the modal default behind
// Dialogs::EditSpectral, which tests replace. Numbers are shown and read
// with a point (the C locale), whatever the desktop's.

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

#include "apps/workbench/mainwindow.h"
#include "apps/workbench/numberbox.h"
#include "apps/workbench/texts.h"

namespace workbench {

namespace {

QComboBox* Choice(const QStringList& items, int current) {
    auto* c = new QComboBox;
    c->addItems(items);
    c->setCurrentIndex(current);
    return c;
}

struct MapFields {
    QComboBox *x, *y, *dir;
    QDoubleSpinBox *bin, *lo, *hi;
    QCheckBox* autoRange;
};

MapFields AddMapFields(QFormLayout* form, const MapSettings& m) {
    MapFields f;
    f.x = Choice({QCoreApplication::translate("Workbench", "time"),
                  QCoreApplication::translate("Workbench", "speed (Campbell)")},
                 m.params.x == korvex::MapAxisX::Speed);
    const bool orders = m.params.y == korvex::MapAxisY::Order;
    f.y = Choice({QCoreApplication::translate("Workbench", "frequency"),
                  QCoreApplication::translate("Workbench", "order"),
                  QCoreApplication::translate("Workbench", "orders, angle domain")},
                 orders ? (m.params.angleDomain ? 2 : 1) : 0);
    f.dir = Choice({QCoreApplication::translate("Workbench", "both"),
                    QCoreApplication::translate("Workbench", "run-up"),
                    QCoreApplication::translate("Workbench", "run-down")},
                   static_cast<int>(m.params.direction));
    f.bin = NumberBox(0, 1e6, m.params.binStep, 3);
    f.lo = NumberBox(-1e6, 1e6, m.colourLo.value_or(-80), 2);
    f.hi = NumberBox(-1e6, 1e6, m.colourHi.value_or(0), 2);
    f.autoRange = new QCheckBox(QCoreApplication::translate("Workbench", "automatic"));
    f.autoRange->setChecked(!m.colourLo);
    form->addRow(QCoreApplication::translate("Workbench", "X axis"), f.x);
    form->addRow(QCoreApplication::translate("Workbench", "Y axis"), f.y);
    form->addRow(QCoreApplication::translate("Workbench", "Speed direction"), f.dir);
    form->addRow(QCoreApplication::translate("Workbench", "Speed bin (0: automatic)"), f.bin);
    form->addRow(QCoreApplication::translate("Workbench", "Colour range"), f.autoRange);
    form->addRow(QCoreApplication::translate("Workbench", "  from"), f.lo);
    form->addRow(QCoreApplication::translate("Workbench", "  to"), f.hi);
    return f;
}

void ReadMapFields(const MapFields& f, MapSettings& m) {
    m.params.x = f.x->currentIndex() ? korvex::MapAxisX::Speed : korvex::MapAxisX::Time;
    m.params.y = f.y->currentIndex() ? korvex::MapAxisY::Order : korvex::MapAxisY::Frequency;
    m.params.angleDomain = f.y->currentIndex() == 2;
    m.params.direction = static_cast<korvex::SpeedDirection>(f.dir->currentIndex());
    m.params.binStep = f.bin->value();
    if (f.autoRange->isChecked() || !(f.hi->value() > f.lo->value())) {
        m.colourLo.reset();
        m.colourHi.reset();
    } else {
        m.colourLo = f.lo->value();
        m.colourHi = f.hi->value();
    }
}

}  // namespace

bool Dialogs::EditSpectral(QWidget* parent, ViewSpec& spec,
                           const std::vector<SpeedChoice>& speeds) {
    const bool map = spec.kind == ViewKind::Map;
    korvex::SpectrumParams& p = map ? spec.map.params.spectrum : spec.spectrum.params;
    QDialog dlg(parent);
    dlg.setWindowTitle(map ? wbtext::kMapDialog : wbtext::kSpectrumDialog);
    auto* form = new QFormLayout(&dlg);
    auto* n = new QComboBox;
    for (int k = 8; k <= 18; ++k) {
        n->addItem(QString::number(1 << k), 1 << k);
        if (p.n == 1 << k) n->setCurrentIndex(n->count() - 1);
    }
    auto* window = Choice({QCoreApplication::translate("Workbench", "rectangular"),
                           QCoreApplication::translate("Workbench", "triangular"),
                           QCoreApplication::translate("Workbench", "Hanning"),
                           QCoreApplication::translate("Workbench", "Blackman"),
                           QCoreApplication::translate("Workbench", "flat top")},
                          std::clamp(p.window, 1, 5) - 1);
    auto* averages = new QSpinBox;
    averages->setRange(1, 10000);
    averages->setValue(p.averages);
    auto* overlap = NumberBox(0, 99, p.overlap, 1);
    auto* amplitude = Choice({QCoreApplication::translate("Workbench", "RMS"),
                              QCoreApplication::translate("Workbench", "peak"),
                              QCoreApplication::translate("Workbench", "power"),
                              QCoreApplication::translate("Workbench", "PSD")},
                             static_cast<int>(p.amplitude));
    auto* integrate = Choice({QCoreApplication::translate("Workbench", "none"),
                              QCoreApplication::translate("Workbench", "once (velocity)"),
                              QCoreApplication::translate("Workbench", "twice (displacement)")},
                             p.integrate);
    auto* centre =
        new QCheckBox(QCoreApplication::translate("Workbench", "each block less its mean"));
    centre->setChecked(p.removeMean);
    auto* scale = Choice({QCoreApplication::translate("Workbench", "linear"),
                          QCoreApplication::translate("Workbench", "dB")},
                         p.scale == korvex::SpectrumScale::Db);
    auto* speed = new QComboBox;
    speed->addItem(QCoreApplication::translate("Workbench", "(none)"), 0);
    for (const SpeedChoice& c : speeds) {
        speed->addItem(c.label, c.id);
        if (c.id == spec.speedId) speed->setCurrentIndex(speed->count() - 1);
    }
    form->addRow(QCoreApplication::translate("Workbench", "Block length N"), n);
    form->addRow(QCoreApplication::translate("Workbench", "Window"), window);
    form->addRow(QCoreApplication::translate("Workbench", "Averages"), averages);
    form->addRow(QCoreApplication::translate("Workbench", "Overlap [%]"), overlap);
    form->addRow(QCoreApplication::translate("Workbench", "Amplitude"), amplitude);
    form->addRow(QCoreApplication::translate("Workbench", "Integration"), integrate);
    form->addRow(QCoreApplication::translate("Workbench", "Centring"), centre);
    form->addRow(QCoreApplication::translate("Workbench", "Scale"), scale);
    form->addRow(QCoreApplication::translate("Workbench", "Speed signal"), speed);
    QSpinBox* revs = nullptr;
    if (!map) {
        revs = new QSpinBox;
        revs->setRange(0, 4096);
        revs->setValue(spec.spectrum.orderRevs);
        form->addRow(
            QCoreApplication::translate("Workbench", "Order spectrum, revolutions (0: off)"), revs);
    }
    MapFields mf{};
    if (map) mf = AddMapFields(form, spec.map);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return false;
    p.n = n->currentData().toInt();
    p.window = window->currentIndex() + 1;
    p.averages = averages->value();
    p.overlap = overlap->value();
    p.amplitude = static_cast<korvex::SpectrumAmplitude>(amplitude->currentIndex());
    p.integrate = integrate->currentIndex();
    p.removeMean = centre->isChecked();
    p.scale = scale->currentIndex() ? korvex::SpectrumScale::Db : korvex::SpectrumScale::Linear;
    spec.speedId = speed->currentData().toInt();
    if (map) ReadMapFields(mf, spec.map);
    if (revs) spec.spectrum.orderRevs = revs->value();
    return true;
}

}  // namespace workbench
