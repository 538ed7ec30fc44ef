// The spectrum view's envelope mode: the band typed, dragged or taken from
// the kurtogram, and the band being dragged drawn over the spectrum.

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "apps/workbench/kurtogramview.h"
#include "apps/workbench/numberbox.h"
#include "apps/workbench/spectrumview.h"
#include "apps/workbench/texts.h"

namespace workbench {

void SpectrumView::SetEnvelope(const EnvelopeBand& band) {
    envelope_ = band.On() && band.lo >= 0 ? band : EnvelopeBand{0, 0, band.seconds};
    autoX_ = true;
    Recompute();
    update();
}

korvex::Kurtogram SpectrumView::KurtogramAtCursor(double* middle) {
    auto s = SignalObj();
    if (!s) return {};
    if (!haveSnap_) {
        snap_ = korvex::SignalSnapshot::Of(*s);
        haveSnap_ = true;
    }
    return KurtogramAt(snap_, time_, envelope_.seconds, middle);
}

KurtogramView* SpectrumView::ShowKurtogram() {
    if (!kurtogram_) kurtogram_ = new KurtogramView(this);
    kurtogram_->Refresh();
    kurtogram_->show();
    kurtogram_->raise();
    return kurtogram_;
}

void SpectrumView::RefreshKurtogram() {
    if (kurtogram_ && kurtogram_->isVisible()) kurtogram_->Refresh();
}

bool SpectrumView::EnvelopeFromKurtogram() {
    const korvex::Kurtogram k = KurtogramAtCursor();
    if (!k.error.empty() || !(k.best.hi > k.best.lo)) return false;
    SetEnvelope({std::max(k.best.lo, 0.0), k.best.hi, envelope_.seconds});
    return true;
}

void SpectrumView::EditEnvelope() {
    EnvelopeBand b = envelope_;
    if (!b.On()) {
        // Offered: the upper half of what the ordinary spectrum shows, where
        // resonances the impacts ring usually lie.
        b.lo = std::round(std::max(fLo_, fHi_ / 2));
        b.hi = std::round(fHi_);
    }
    QDialog d(this);
    d.setWindowTitle(wbtext::kEnvelopeTitle);
    auto* form = new QFormLayout(&d);
    auto* lo = NumberBox(0, 1e7, b.lo, 1);
    auto* hi = NumberBox(0, 1e7, b.hi, 1);
    auto* seconds = NumberBox(0.1, 3600, b.seconds, 1);
    form->addRow(wbtext::kEnvelopeLo, lo);
    form->addRow(wbtext::kEnvelopeHi, hi);
    form->addRow(wbtext::kEnvelopeSeconds, seconds);
    auto* status = new QLabel;
    form->addRow(status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &d, [&] {
        if (hi->value() > lo->value())
            d.accept();
        else
            status->setText(wbtext::kEnvelopeBad);
    });
    connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    if (d.exec() != QDialog::Accepted) return;
    SetEnvelope({lo->value(), hi->value(), seconds->value()});
}

// Ctrl+drag over the ordinary spectrum marks the band to take the envelope of.
bool SpectrumView::PressForBand(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !(e->modifiers() & Qt::ControlModifier) || envelope_.On())
        return false;
    drag_ = Drag::Band;
    bandFrom_ = bandTo_ = FreqOf(e->position().x());
    update();
    return true;
}

bool SpectrumView::ReleaseBand() {
    if (drag_ != Drag::Band) return false;
    drag_ = Drag::None;
    // Whole hertz: a band is read and typed so.
    const double lo = std::max(0.0, std::round(std::min(bandFrom_, bandTo_)));
    const double hi = std::round(std::max(bandFrom_, bandTo_));
    bandFrom_ = bandTo_ = NAN;
    if (hi - lo > 2 * spectrum_.df) SetEnvelope({lo, hi, envelope_.seconds});
    update();
    return true;
}

void SpectrumView::DrawBandDrag(QPainter& p, const QRectF& r) {
    if (drag_ != Drag::Band || !std::isfinite(bandFrom_)) return;
    const double a = PixelOf(std::min(bandFrom_, bandTo_));
    const double b = PixelOf(std::max(bandFrom_, bandTo_));
    p.fillRect(QRectF(a, r.top(), b - a, r.height()), QColor(255, 160, 0, 60));
    p.setPen(QPen(QColor(230, 120, 0), 1.0));
    p.drawLine(QPointF(a, r.top()), QPointF(a, r.bottom()));
    p.drawLine(QPointF(b, r.top()), QPointF(b, r.bottom()));
}

}  // namespace workbench
