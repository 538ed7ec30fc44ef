// The spectrum view's bearing fault-line families: drawn over the spectrum,
// and the dialog that takes the bearing once per signal.

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>

#include "apps/workbench/numberbox.h"
#include "apps/workbench/spectrumview.h"
#include "apps/workbench/texts.h"

namespace workbench {
namespace {

QColor FamilyColor(FaultFamily f) {
    switch (f) {
        case FaultFamily::Ftf:
            return {120, 90, 40};
        case FaultFamily::Bpfo:
            return {214, 39, 40};
        case FaultFamily::Bpfi:
            return {31, 119, 180};
        case FaultFamily::Bsf:
            return {148, 103, 189};
    }
    return Qt::black;
}

}  // namespace

void SpectrumView::SetFaultBearing(const std::optional<FaultBearing>& b) {
    SetBearingOf(signalId_, b);
    update();
}

std::vector<FaultMark> SpectrumView::FaultMarksShown() const {
    const FaultBearing* b = BearingOf(signalId_);
    if (!b || spectrum_.values.empty()) return {};
    // The speed signal's shaft frequency at the cursor time rules; the one
    // typed with the bearing serves without it.
    double shaft = ShaftHz();
    if (!std::isfinite(shaft)) shaft = b->shaftHz;
    const double maxF = spectrum_.df * static_cast<double>(spectrum_.values.size() - 1);
    return FaultMarks(*b, shaft, maxF);
}

void SpectrumView::DrawFaultLines(QPainter& p, const QRectF& r) {
    if (!BearingOf(signalId_)) return;
    const std::vector<FaultMark> marks = FaultMarksShown();
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    if (marks.empty()) {
        DrawLabel(p, r, QPointF(r.left() + 4, r.bottom() - 20), wbtext::kFaultNoShaft,
                  FamilyColor(FaultFamily::Bpfo));
        return;
    }
    std::vector<LabelText> labels;
    for (const FaultMark& m : marks) {
        const double x = PixelOf(m.hz);
        if (x < r.left() || x > r.right()) continue;
        const QColor c = FamilyColor(m.family);
        // Lines dashed, sidebands dotted and shorter, so the family reads at a glance.
        p.setPen(
            QPen(c, m.sideband == 0 ? 1.2 : 1.0, m.sideband == 0 ? Qt::DashLine : Qt::DotLine));
        const double top = m.sideband == 0 ? r.top() : r.top() + r.height() * 0.35;
        p.drawLine(QPointF(x, top), QPointF(x, r.bottom()));
        if (!m.label.empty())
            labels.push_back({QPointF(x + 2, r.top() + 36), QString::fromStdString(m.label), c});
    }
    DrawLabels(p, r, labels);
}

void SpectrumView::EditFaultBearing() {
    FaultBearing b;
    if (const FaultBearing* had = BearingOf(signalId_)) b = *had;
    QDialog d(this);
    d.setWindowTitle(wbtext::kFaultTitle);
    auto* form = new QFormLayout(&d);
    auto* balls = new QSpinBox;
    balls->setRange(1, 200);
    balls->setValue(b.geometry.balls > 0 ? b.geometry.balls : 9);
    auto* ballD =
        NumberBox(0, 10000, b.geometry.ballDiameter > 0 ? b.geometry.ballDiameter : 7.94, 3);
    auto* pitchD =
        NumberBox(0, 10000, b.geometry.pitchDiameter > 0 ? b.geometry.pitchDiameter : 39.04, 3);
    auto* angle = NumberBox(-89.9, 89.9, b.geometry.angleDeg, 1);
    auto* outer = new QCheckBox(wbtext::kFaultOuter);
    outer->setChecked(b.geometry.outerRotates);
    auto* shaft = NumberBox(0, 100000, b.shaftHz, 3);
    auto* harmonics = new QSpinBox;
    harmonics->setRange(1, 20);
    harmonics->setValue(b.harmonics);
    auto* sidebands = new QSpinBox;
    sidebands->setRange(0, 10);
    sidebands->setValue(b.sidebands);
    form->addRow(wbtext::kFaultBalls, balls);
    form->addRow(wbtext::kFaultBallD, ballD);
    form->addRow(wbtext::kFaultPitchD, pitchD);
    form->addRow(wbtext::kFaultAngle, angle);
    form->addRow(outer);
    form->addRow(wbtext::kFaultShaft, shaft);
    form->addRow(wbtext::kFaultHarmonics, harmonics);
    form->addRow(wbtext::kFaultSidebands, sidebands);
    auto* status = new QLabel;
    status->setWordWrap(true);
    form->addRow(status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* remove = buttons->addButton(wbtext::kFaultRemove, QDialogButtonBox::ResetRole);
    remove->setEnabled(BearingOf(signalId_) != nullptr);
    form->addRow(buttons);
    auto read = [&] {
        b.geometry = {balls->value(), ballD->value(), pitchD->value(), angle->value(),
                      outer->isChecked()};
        b.shaftHz = shaft->value();
        b.harmonics = harmonics->value();
        b.sidebands = sidebands->value();
        return korvex::CheckBearing(b.geometry).empty();
    };
    bool removed = false;
    connect(buttons, &QDialogButtonBox::accepted, &d, [&] {
        if (read())
            d.accept();
        else
            status->setText(wbtext::kFaultBad);
    });
    connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    connect(remove, &QPushButton::clicked, &d, [&] {
        removed = true;
        d.accept();
    });
    if (d.exec() != QDialog::Accepted) return;
    SetFaultBearing(removed ? std::nullopt : std::optional(b));
}

}  // namespace workbench
