#include "apps/workbench/kurtogramview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "apps/workbench/colormap.h"
#include "apps/workbench/spectrumview.h"
#include "apps/workbench/texts.h"

namespace workbench {
namespace {

constexpr double kLeft = 56, kRight = 70, kTop = 26, kBottom = 34;

QString Short(double v) {
    return QString::number(v, 'g', 4);
}

}  // namespace

KurtogramView::KurtogramView(SpectrumView* spectrum)
    : QWidget(spectrum, Qt::Tool), spectrum_(spectrum) {
    setWindowTitle(wbtext::kKurtogramTitle);
    resize(640, 360);
}

void KurtogramView::Refresh() {
    // The range's middle, as the spectrum's line names it.
    time_ = spectrum_->SpectrumTime();
    k_ = spectrum_->KurtogramAtCursor(&time_);
    nyquist_ = 0;
    kMax_ = 1e-9;
    if (k_.error.empty() && !k_.rows.empty()) {
        nyquist_ = k_.rows.front().width * static_cast<double>(k_.rows.front().kurtosis.size());
        for (const auto& row : k_.rows)
            for (double v : row.kurtosis) kMax_ = std::max(kMax_, v);
    }
    update();
}

QRectF KurtogramView::PlotRect() const {
    return QRectF(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
}

QRectF KurtogramView::CellRect(size_t row, size_t i) const {
    const QRectF r = PlotRect();
    if (row >= k_.rows.size() || !(nyquist_ > 0)) return {};
    const double h = r.height() / static_cast<double>(k_.rows.size());
    const double w = k_.rows[row].width;
    const double x0 = r.left() + i * w / nyquist_ * r.width();
    const double x1 = r.left() + (i + 1) * w / nyquist_ * r.width();
    return QRectF(x0, r.top() + row * h, x1 - x0, h);
}

korvex::KurtogramBand KurtogramView::BandAt(QPointF at) const {
    korvex::KurtogramBand b;
    b.level = -1;
    const QRectF r = PlotRect();
    if (!r.contains(at) || k_.rows.empty() || !(nyquist_ > 0)) return b;
    const size_t row = std::min(
        k_.rows.size() - 1,
        static_cast<size_t>((at.y() - r.top()) / r.height() * static_cast<double>(k_.rows.size())));
    const korvex::KurtogramRow& kr = k_.rows[row];
    const double f = (at.x() - r.left()) / r.width() * nyquist_;
    const size_t i = std::min(kr.kurtosis.size() - 1, static_cast<size_t>(f / kr.width));
    b.level = kr.level;
    b.lo = i * kr.width;
    b.hi = (i + 1) * kr.width;
    b.kurtosis = kr.kurtosis[i];
    return b;
}

void KurtogramView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(Qt::black);
    if (!k_.error.empty() || k_.rows.empty()) {
        p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(k_.error));
        return;
    }
    const korvex::KurtogramBand& best = k_.best;
    p.drawText(QRectF(kLeft, 2, width() - kLeft, kTop - 4), Qt::AlignLeft | Qt::AlignVCenter,
               QString(wbtext::kKurtogramHead)
                   .arg(Short(time_), Short(best.lo), Short(best.hi), Short(best.kurtosis)));
    for (size_t row = 0; row < k_.rows.size(); ++row) {
        const auto& kr = k_.rows[row];
        for (size_t i = 0; i < kr.kurtosis.size(); ++i)
            p.fillRect(CellRect(row, i).adjusted(0, 0, 0.5, 0.5),
                       QColor::fromRgba(ScaleColour(std::max(0.0, kr.kurtosis[i]) / kMax_)));
        const QRectF c = CellRect(row, 0);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, c.top(), kLeft - 6, c.height()), Qt::AlignRight | Qt::AlignVCenter,
                   Short(kr.level));
    }
    const QRectF r = PlotRect();
    p.setPen(Qt::black);
    p.drawRect(r);
    for (int t = 0; t <= 4; ++t) {
        const double x = r.left() + t * r.width() / 4;
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 3));
        p.drawText(QRectF(x - 40, r.bottom() + 3, 80, 14), Qt::AlignCenter,
                   Short(nyquist_ * t / 4));
    }
    p.drawText(QRectF(r.left(), r.bottom() + 17, r.width(), 14), Qt::AlignCenter,
               wbtext::kKurtogramFreq);
    p.save();
    p.translate(12, r.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-60, -8, 120, 16), Qt::AlignCenter, wbtext::kKurtogramLevel);
    p.restore();
    // The colour bar: kurtosis from 0 to the largest.
    const QRectF bar(r.right() + 12, r.top(), 12, r.height());
    for (int y = 0; y < static_cast<int>(bar.height()); ++y)
        p.fillRect(QRectF(bar.left(), bar.bottom() - y - 1, bar.width(), 1),
                   QColor::fromRgba(ScaleColour(y / bar.height())));
    p.drawText(QRectF(bar.right() + 2, bar.top() - 7, 40, 14), Qt::AlignLeft, Short(kMax_));
    p.drawText(QRectF(bar.right() + 2, bar.bottom() - 7, 40, 14), Qt::AlignLeft, "0");
    // The best band white, the envelope band in use black.
    auto outline = [&](double lo, double hi, double level, const QColor& c) {
        for (size_t row = 0; row < k_.rows.size(); ++row)
            if (std::fabs(k_.rows[row].level - level) < 1e-9) {
                const QRectF cell = CellRect(row, 0);
                const double x0 = r.left() + lo / nyquist_ * r.width();
                const double x1 = r.left() + hi / nyquist_ * r.width();
                p.setPen(QPen(c, 2.0));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(x0, cell.top(), x1 - x0, cell.height()));
            }
    };
    outline(best.lo, best.hi, best.level, Qt::white);
    const EnvelopeBand& e = spectrum_->Envelope();
    if (e.On()) {
        // The band in use, dashed across every level.
        p.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
        const double x0 = r.left() + e.lo / nyquist_ * r.width();
        const double x1 = r.left() + e.hi / nyquist_ * r.width();
        p.drawLine(QPointF(x0, r.top()), QPointF(x0, r.bottom()));
        p.drawLine(QPointF(x1, r.top()), QPointF(x1, r.bottom()));
    }
}

void KurtogramView::mousePressEvent(QMouseEvent* e) {
    const korvex::KurtogramBand b = BandAt(e->position());
    if (b.level < 0 || e->button() != Qt::LeftButton) return;
    EnvelopeBand band = spectrum_->Envelope();
    band.lo = b.lo;
    band.hi = b.hi;
    spectrum_->SetEnvelope(band);
    update();
}

}  // namespace workbench
