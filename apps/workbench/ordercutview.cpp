// An order's RMS and phase against time, stacked, on the window's time axis.

#include "apps/workbench/ordercutview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/overlays.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/texts.h"
#include "platform/profile.h"

namespace workbench {

namespace {

constexpr double kHeader = 18, kAxis = 80, kBottom = 22, kRight = 24, kGap = 22;
const QColor kRms(31, 119, 180), kPhase(214, 39, 40), kCursor(200, 0, 0);

QString Num(double v) {
    return QString::fromStdString(FormatNumber(v));
}

}  // namespace

OrderCutView::OrderCutView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec)
    : SpectralView(host, graphId, owner, std::move(spec)) {
    setMinimumHeight(220);
}

Margins OrderCutView::WantedMargins() const {
    return {kAxis, kRight};
}

QRectF OrderCutView::PlotRect() const {
    const Margins m = owner_->PlotMargins();
    const double top = kHeader + 4;
    return QRectF(m.left, top, std::max(1.0, width() - m.left - m.right),
                  std::max(1.0, height() - top - kBottom));
}

QRectF OrderCutView::RmsRect() const {
    const QRectF r = PlotRect();
    return QRectF(r.left(), r.top(), r.width(), std::max(1.0, (r.height() - kGap) * 0.55));
}

QRectF OrderCutView::PhaseRect() const {
    const QRectF r = PlotRect(), a = RmsRect();
    return QRectF(r.left(), a.bottom() + kGap, r.width(),
                  std::max(1.0, r.bottom() - a.bottom() - kGap));
}

bool OrderCutView::TimeExtent(double& lo, double& hi) const {
    if (cut_.time.empty()) return false;
    lo = cut_.time.front();
    hi = cut_.time.back();
    return hi > lo;
}

double OrderCutView::TimeLo() const {
    double lo = 0, hi = 1;
    return owner_->SharesTimeRange() || !TimeExtent(lo, hi) ? owner_->Lo() : lo;
}

double OrderCutView::TimeHi() const {
    double lo = 0, hi = 1;
    return owner_->SharesTimeRange() || !TimeExtent(lo, hi) ? owner_->Hi() : hi;
}

double OrderCutView::PixelOfTime(double t) const {
    const QRectF r = PlotRect();
    return r.left() + (t - TimeLo()) / (TimeHi() - TimeLo()) * r.width();
}

double OrderCutView::RmsPixel(double v) const {
    const QRectF r = RmsRect();
    return r.bottom() - v / rmsHi_ * r.height();
}

QString OrderCutView::Message() const {
    if (!signalId_) return wbtext::kNoSignal;
    return QString::fromStdString(cut_.error);
}

void OrderCutView::DataChanged() {
    cut_ = {};
    auto s = SignalObj();
    auto speed = SpeedObj();
    if (s && !speed) cut_.error = tr("An order cut needs a speed signal.").toStdString();
    if (s && speed) {
        double toHz = 1.0;
        {
            korvex::Lock lock = host_.LockTree();
            toHz = HertzPerUnit(speed->UnitLocked());
        }
        cut_ = ComputeOrderCut(korvex::SignalSnapshot::Of(*s), korvex::SignalSnapshot::Of(*speed),
                               toHz, spec_.map.params, spec_.cutOrder);
    }
    double top = 0;
    for (double v : cut_.rms)
        if (std::isfinite(v)) top = std::max(top, v);
    rmsHi_ = top > 0 ? top * 1.35 : 1.0;  // room for the cursor's readout
    Invalidate();
}

// A curve through the finite points, broken where a value is missing.
static QPainterPath CurvePath(const std::vector<double>& t, const std::vector<double>& v,
                              const std::function<QPointF(double, double)>& at) {
    QPainterPath path;
    bool open = false;
    for (size_t k = 0; k < t.size() && k < v.size(); ++k) {
        if (!std::isfinite(v[k])) {
            open = false;
            continue;
        }
        const QPointF p = at(t[k], v[k]);
        if (open)
            path.lineTo(p);
        else
            path.moveTo(p);
        open = true;
    }
    return path;
}

void OrderCutView::RenderBase(QPainter& p) {
    p.fillRect(rect(), Qt::white);
    if (const QString msg = Message(); !msg.isEmpty()) {
        DrawMessage(p, msg);
        return;
    }
    const QRectF a = RmsRect(), b = PhaseRect();
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(Qt::black);
    QString name;
    if (auto s = SignalObj()) {
        korvex::Lock lock = host_.LockTree();
        name = QString::fromStdString(s->NameLocked());
    }
    const QString head =
        tr("%1   order %2   %3 revolutions a spectrum").arg(name, Num(cut_.order)).arg(cut_.revs);
    p.drawText(QRectF(kAxis, 2, width() - kAxis - 4, kHeader), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(f).elidedText(head, Qt::ElideRight, width() - kAxis - 4));
    const double lo = TimeLo(), hi = TimeHi();
    DrawAxes(p, a, lo, hi, 0, rmsHi_, "",
             tr("RMS [%1]").arg(QString::fromStdString(UnitText(cut_.unit))));
    DrawAxes(p, b, lo, hi, -180, 180, tr("t [s]"), tr("phase [°]"));
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(a);
    p.setPen(QPen(kRms, 1.5));
    p.drawPath(CurvePath(cut_.time, cut_.rms,
                         [&](double t, double v) { return QPointF(PixelOfTime(t), RmsPixel(v)); }));
    p.setClipRect(b);
    p.setPen(Qt::NoPen);
    p.setBrush(kPhase);
    for (size_t k = 0; k < cut_.time.size() && k < cut_.phase.size(); ++k)
        if (std::isfinite(cut_.phase[k]))
            p.drawEllipse(QPointF(PixelOfTime(cut_.time[k]),
                                  b.bottom() - (cut_.phase[k] + 180) / 360 * b.height()),
                          1.6, 1.6);
    p.restore();
}

void OrderCutView::PaintTop(QPainter& p) {
    if (!Message().isEmpty() || cut_.time.empty()) return;
    const QRectF r = PlotRect();
    const double t = owner_->CursorTime();
    const double x = PixelOfTime(t);
    if (x < r.left() || x > r.right()) return;
    p.setPen(QPen(kCursor, 1.0));
    p.drawLine(QPointF(x, RmsRect().top()), QPointF(x, RmsRect().bottom()));
    p.drawLine(QPointF(x, PhaseRect().top()), QPointF(x, PhaseRect().bottom()));
    const size_t k = NearestIndex(cut_.time, t);
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    const QString text = tr("t %1 s   RMS %2   phase %3°")
                             .arg(Num(cut_.time[k]), Num(cut_.rms[k]), Num(cut_.phase[k]));
    const double w = QFontMetricsF(f).horizontalAdvance(text) + 8;
    DrawLabel(p, RmsRect(), QPointF(RmsRect().right() - w - 2, RmsRect().top() + 2), text, kCursor);
}

void OrderCutView::mousePressEvent(QMouseEvent* e) {
    setFocus();
    if (e->button() != Qt::LeftButton || cut_.time.empty()) return;
    const QRectF r = PlotRect();
    const double t = TimeLo() + (e->position().x() - r.left()) / r.width() * (TimeHi() - TimeLo());
    if (std::isfinite(t)) owner_->MoveCursor(t, graphId_);
}

void OrderCutView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addAction(wbtext::kExportThisCsv, this, [this] { Q_EMIT ExportCsvRequested(graphId_); });
    menu.addAction(wbtext::kExportThisGraph, this,
                   [this] { Q_EMIT owner_->ExportGraphRequested(graphId_); });
    menu.exec(e->globalPos());
}

bool OrderCutView::WriteCsv(const std::string& path, std::string& message) const {
    if (!cut_.error.empty() || cut_.time.empty()) {
        message = cut_.error.empty() ? "no order cut" : cut_.error;
        return false;
    }
    std::string text = "time [s],RMS [" + cut_.unit + "],phase [deg]\n";
    for (size_t k = 0; k < cut_.time.size(); ++k)
        text += FormatNumber(cut_.time[k]) + ',' + FormatNumber(cut_.rms[k]) + ',' +
                FormatNumber(cut_.phase[k]) + '\n';
    if (!plat::WriteFileAtomic(path, text, &message)) {
        if (message.empty()) message = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace workbench
