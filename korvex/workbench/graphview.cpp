#include "korvex/workbench/graphview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "korvex/workbench/graphwindow.h"
#include "korvex/workbench/mime.h"
#include "korvex/workbench/texts.h"

namespace workbench {

namespace {

constexpr double kLeft = 62, kTop = 6, kRight = 10, kBottom = 22;

// A tick step of 1, 2 or 5 times a power of ten giving about n ticks.
double NiceStep(double range, int n) {
    if (!(range > 0) || !std::isfinite(range)) return 1.0;
    const double raw = range / n;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / mag;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * mag;
}

QString Number(double v, double step) {
    if (std::fabs(v) < step * 1e-6) v = 0;  // no "-1.2e-17" at the origin
    return QString::number(v, 'g', 6);
}

}  // namespace

QColor TraceColor(size_t index) {
    static const QColor colors[] = {QColor(31, 119, 180), QColor(214, 39, 40),
                                    QColor(44, 160, 44),  QColor(148, 103, 189),
                                    QColor(255, 127, 14), QColor(23, 190, 207)};
    return colors[index % std::size(colors)];
}

GraphView::GraphView(korvex::Host& host, int graphId, GraphWindow* owner)
    : QWidget(owner), host_(host), graphId_(graphId), owner_(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMinimumHeight(80);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRectF GraphView::PlotRect() const {
    return QRectF(kLeft, kTop, std::max(1.0, width() - kLeft - kRight),
                  std::max(1.0, height() - kTop - kBottom));
}

void GraphView::SetSignals(const std::vector<int>& ids) {
    if (ids == ids_) return;
    ids_ = ids;
    std::vector<Trace> next;
    for (int id : ids) {
        auto old = std::find_if(traces_.begin(), traces_.end(),
                                [&](const Trace& t) { return t.id == id; });
        if (old != traces_.end()) {
            next.push_back(std::move(*old));
            continue;
        }
        Trace t;
        t.id = id;
        t.signal = host_.Graphs().SignalById(id);
        if (t.signal) next.push_back(std::move(t));
    }
    traces_ = std::move(next);
    Invalidate();
}

void GraphView::Invalidate() {
    dirty_ = true;
    update();
}

bool GraphView::DataExtent(double& lo, double& hi) const {
    bool any = false;
    korvex::Lock lock = host_.LockTree();
    auto xs = owner_->XSignalObj();
    for (const Trace& t : traces_) {
        const auto& y = t.signal->SamplesLocked();
        if (y.empty()) continue;
        double a, b;
        if (xs) {
            const auto& xv = xs->SamplesLocked();
            auto [mn, mx] = std::minmax_element(xv.begin(), xv.end());
            if (mn == xv.end()) continue;
            a = *mn;
            b = *mx;
        } else {
            a = t.signal->StartXLocked();
            b = a + t.signal->StepXLocked() * static_cast<double>(y.size() - 1);
            if (a > b) std::swap(a, b);
        }
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    }
    return any;
}

double GraphView::XOfPixel(double px) const {
    const QRectF r = PlotRect();
    return owner_->Lo() + (px - r.left()) / r.width() * (owner_->Hi() - owner_->Lo());
}

double GraphView::PixelOfX(double x) const {
    const QRectF r = PlotRect();
    return r.left() + (x - owner_->Lo()) / (owner_->Hi() - owner_->Lo()) * r.width();
}

void GraphView::PrepareTraces() {
    const uint64_t stamp = host_.UpdateCount();
    korvex::Lock lock = host_.LockTree();
    for (Trace& t : traces_) {
        const auto& y = t.signal->SamplesLocked();
        if (t.builtAt != stamp || t.envelope.Size() != y.size()) {
            t.envelope.Build(y);
            t.builtAt = stamp;
        }
    }
}

void GraphView::YRange(double& lo, double& hi) const {
    if (!autoY_) {
        lo = yLo_;
        hi = yHi_;
        return;
    }
    korvex::MinMax m{INFINITY, -INFINITY};
    const bool time = owner_->XSignal() == 0;
    for (const Trace& t : traces_) {
        const auto& y = t.signal->SamplesLocked();
        size_t from = 0, to = y.size();
        if (time && t.signal->StepXLocked() > 0) {
            const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
            const double a = std::floor((owner_->Lo() - x0) / dx);
            const double b = std::ceil((owner_->Hi() - x0) / dx) + 1;
            from = static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(y.size())));
            to = static_cast<size_t>(std::clamp(b, 0.0, static_cast<double>(y.size())));
        }
        const korvex::MinMax r = t.envelope.Range(y, from, to);
        if (r.Empty()) continue;
        m.min = std::min(m.min, r.min);
        m.max = std::max(m.max, r.max);
    }
    if (m.Empty()) {
        lo = 0;
        hi = 1;
    } else if (m.max - m.min < 1e-300) {
        lo = m.min - 1;
        hi = m.max + 1;
    } else {
        const double pad = (m.max - m.min) * 0.05;
        lo = m.min - pad;
        hi = m.max + pad;
    }
}

void GraphView::DrawTimeTrace(QPainter& p, const Trace& t, const QRectF& r, double yLo,
                              double yHi) {
    const auto& y = t.signal->SamplesLocked();
    const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
    if (y.empty() || !(dx > 0)) return;
    const double lo = owner_->Lo(), hi = owner_->Hi();
    const double yScale = r.height() / (yHi - yLo);
    auto py = [&](double v) { return r.bottom() - (v - yLo) * yScale; };
    const int columns = std::max(1, static_cast<int>(r.width()));
    const double perColumn = (hi - lo) / dx / columns;

    if (perColumn > 2.0) {
        // Many samples per pixel: one stroke from minimum to maximum per
        // column, joined to the previous column so the curve stays whole.
        std::vector<korvex::MinMax> cols(static_cast<size_t>(columns));
        t.envelope.Columns(y, (lo - x0) / dx, perColumn, cols);
        std::vector<QLineF> lines;
        lines.reserve(cols.size());
        korvex::MinMax prev{1, 0};
        for (size_t c = 0; c < cols.size(); ++c) {
            korvex::MinMax m = cols[c];
            if (m.Empty()) {
                prev = m;
                continue;
            }
            if (!prev.Empty()) {
                if (prev.max < m.min) m.min = prev.max;
                if (prev.min > m.max) m.max = prev.min;
            }
            prev = cols[c];
            const double x = r.left() + static_cast<double>(c) + 0.5;
            double a = py(m.max), b = py(m.min);
            if (b - a < 1.0) b = a + 1.0;
            lines.emplace_back(x, a, x, b);
        }
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        return;
    }
    const double n = static_cast<double>(y.size());
    const size_t i0 = static_cast<size_t>(std::clamp(std::floor((lo - x0) / dx) - 1, 0.0, n));
    const size_t i1 = static_cast<size_t>(std::clamp(std::ceil((hi - x0) / dx) + 2, 0.0, n));
    const double xScale = r.width() / (hi - lo);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(i1 - i0));
    for (size_t i = i0; i < i1; ++i) {
        if (std::isnan(y[i])) {
            p.drawPolyline(line);
            line.clear();
            continue;
        }
        line.append(QPointF(r.left() + (x0 + dx * static_cast<double>(i) - lo) * xScale, py(y[i])));
    }
    p.drawPolyline(line);
}

void GraphView::DrawAgainstSignal(QPainter& p, const Trace& t, const korvex::SignalObj& xs,
                                  const QRectF& r, double yLo, double yHi) {
    const auto& y = t.signal->SamplesLocked();
    const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
    const auto& xv = xs.SamplesLocked();
    const double lo = owner_->Lo(), hi = owner_->Hi();
    const size_t stride = std::max<size_t>(1, y.size() / (4 * static_cast<size_t>(r.width() + 1)));
    QPolygonF line;
    for (size_t i = 0; i < y.size(); i += stride) {
        const double tt = x0 + dx * static_cast<double>(i);
        const double x = korvex::SampleAt(xv, xs.StartXLocked(), xs.StepXLocked(), tt);
        line.append(QPointF(r.left() + (x - lo) / (hi - lo) * r.width(),
                            r.bottom() - (y[i] - yLo) / (yHi - yLo) * r.height()));
    }
    p.drawPolyline(line);
}

void GraphView::RenderBase(QPainter& p) {
    ++baseRenders_;
    const QRectF r = PlotRect();
    p.fillRect(rect(), Qt::white);
    PrepareTraces();
    korvex::Lock lock = host_.LockTree();
    double yLo, yHi;
    YRange(yLo, yHi);
    const double lo = owner_->Lo(), hi = owner_->Hi();

    // Grid and tick labels.
    p.setPen(QColor(225, 225, 225));
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    const double xs = NiceStep(hi - lo, std::max(2, static_cast<int>(r.width() / 90)));
    const double ys = NiceStep(yHi - yLo, std::max(2, static_cast<int>(r.height() / 40)));
    for (double x = std::ceil(lo / xs) * xs; x <= hi; x += xs) {
        const double px = r.left() + (x - lo) / (hi - lo) * r.width();
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(px - 40, r.bottom() + 2, 80, kBottom - 4), Qt::AlignCenter,
                   Number(x, xs));
    }
    for (double v = std::ceil(yLo / ys) * ys; v <= yHi; v += ys) {
        const double py = r.bottom() - (v - yLo) / (yHi - yLo) * r.height();
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(0, py - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   Number(v, ys));
    }

    p.save();
    p.setClipRect(r);
    auto xsig = owner_->XSignalObj();
    for (size_t i = 0; i < traces_.size(); ++i) {
        p.setPen(QPen(TraceColor(i), 1.0));
        if (xsig)
            DrawAgainstSignal(p, traces_[i], *xsig, r, yLo, yHi);
        else
            DrawTimeTrace(p, traces_[i], r, yLo, yHi);
    }
    p.restore();
    p.setPen(Qt::gray);
    p.drawRect(r);
    // What the x axis is: time, or the signal picked for it.
    QString xName = wbtext::kXAxisTime;
    if (xsig) {
        xName = QString::fromStdString(xsig->NameLocked());
        if (const std::string u = xsig->UnitLocked(); !u.empty())
            xName += " [" + QString::fromStdString(u) + "]";
    }
    p.setPen(Qt::darkGray);
    p.drawText(QRectF(0, r.bottom() + 2, kLeft - 4, kBottom - 4), Qt::AlignRight | Qt::AlignVCenter,
               xName);
    yLo_ = yLo;
    yHi_ = yHi;
}

void GraphView::PaintCursorLayer(QPainter& p) {
    const QRectF r = PlotRect();
    const double t = owner_->CursorTime();
    const double px = PixelOfX(owner_->XOfTime(t));
    if (px >= r.left() && px <= r.right()) {
        p.setPen(QPen(QColor(200, 0, 0), 1.0));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        QFont cf = font();
        cf.setPointSizeF(8);
        p.setFont(cf);
        const QString label = QString(wbtext::kCursorLabel).arg(t, 0, 'g', 7);
        const double lw = QFontMetrics(cf).horizontalAdvance(label) + 8;
        const QRectF lr(std::min(px + 3, r.right() - lw), r.bottom() - 16, lw, 14);
        p.fillRect(lr, QColor(255, 255, 255, 210));
        p.setPen(QColor(200, 0, 0));
        p.drawText(lr, Qt::AlignCenter, label);
    }
    // Legend: every signal with its unit and its value at the cursor.
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    const QFontMetrics fm(f);
    std::vector<QString> rows;
    {
        korvex::Lock lock = host_.LockTree();
        for (const Trace& tr : traces_) {
            const korvex::SignalObj& s = *tr.signal;
            QString row = QString::fromStdString(s.NameLocked());
            if (const std::string unit = s.UnitLocked(); !unit.empty())
                row += " [" + QString::fromStdString(unit) + "]";
            const double v =
                korvex::SampleAt(s.SamplesLocked(), s.StartXLocked(), s.StepXLocked(), t);
            rows.push_back(row + " = " + QString::number(v, 'g', 6));
        }
    }
    if (rows.empty()) return;
    int w = 0;
    for (const QString& s : rows) w = std::max(w, fm.horizontalAdvance(s));
    const double lh = fm.height();
    QRectF box(r.left() + 6, r.top() + 4, w + 26, lh * static_cast<double>(rows.size()) + 6);
    p.fillRect(box, QColor(255, 255, 255, 225));
    p.setPen(QColor(180, 180, 180));
    p.drawRect(box);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double y = box.top() + 3 + lh * static_cast<double>(i);
        p.fillRect(QRectF(box.left() + 5, y + lh / 2 - 1.5, 12, 3), TraceColor(i));
        p.setPen(Qt::black);
        p.drawText(QRectF(box.left() + 21, y, w + 4, lh), Qt::AlignLeft | Qt::AlignVCenter,
                   rows[i]);
    }
}

void GraphView::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (dirty_ || base_.size() != size() * dpr) {
        base_ = QPixmap(size() * dpr);
        base_.setDevicePixelRatio(dpr);
        QPainter bp(&base_);
        RenderBase(bp);
        dirty_ = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, base_);
    PaintCursorLayer(p);
    if (hasFocus()) {
        p.setPen(QPen(QColor(90, 140, 220), 1.0, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void GraphView::resizeEvent(QResizeEvent*) {
    dirty_ = true;
}

void GraphView::CursorToPixel(double px) {
    owner_->MoveCursor(owner_->TimeOfX(XOfPixel(px)), graphId_);
}

void GraphView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        drag_ = Drag::Cursor;
        CursorToPixel(e->position().x());
    } else if (e->button() == Qt::MiddleButton || e->button() == Qt::RightButton) {
        drag_ = Drag::Pan;
        dragStartPx_ = e->position().x();
        dragStartLo_ = owner_->Lo();
        dragStartHi_ = owner_->Hi();
    }
}

void GraphView::mouseMoveEvent(QMouseEvent* e) {
    if (drag_ == Drag::Cursor) {
        CursorToPixel(e->position().x());
    } else if (drag_ == Drag::Pan) {
        const double d =
            (e->position().x() - dragStartPx_) / PlotRect().width() * (dragStartHi_ - dragStartLo_);
        owner_->SetRange(dragStartLo_ - d, dragStartHi_ - d);
    }
}

void GraphView::mouseReleaseEvent(QMouseEvent* e) {
    // A right click without movement opens the menu instead of panning.
    if (drag_ == Drag::Pan && e->button() == Qt::RightButton &&
        std::fabs(e->position().x() - dragStartPx_) < 3) {
        drag_ = Drag::None;
        QContextMenuEvent ce(QContextMenuEvent::Mouse, e->position().toPoint(),
                             e->globalPosition().toPoint());
        contextMenuEvent(&ce);
        return;
    }
    drag_ = Drag::None;
}

void GraphView::mouseDoubleClickEvent(QMouseEvent*) {
    owner_->Autoscale();
}

void GraphView::wheelEvent(QWheelEvent* e) {
    const double factor = e->angleDelta().y() > 0 ? 0.8 : 1.25;
    if (e->modifiers() & Qt::ControlModifier) {
        const QRectF r = PlotRect();
        const double v = yLo_ + (r.bottom() - e->position().y()) / r.height() * (yHi_ - yLo_);
        yLo_ = v - (v - yLo_) * factor;
        yHi_ = v + (yHi_ - v) * factor;
        autoY_ = false;
        Invalidate();
    } else {
        owner_->ZoomAround(XOfPixel(e->position().x()), factor);
    }
    e->accept();
}

void GraphView::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const double span = owner_->Hi() - owner_->Lo();
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const double sign = e->key() == Qt::Key_Left ? -1.0 : 1.0;
            if (ctrl)
                owner_->SetRange(owner_->Lo() + sign * span * 0.1,
                                 owner_->Hi() + sign * span * 0.1);
            else
                owner_->MoveCursor(owner_->CursorTime() + sign * owner_->CursorStep(), graphId_);
            break;
        }
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            owner_->ZoomAround(owner_->XOfTime(owner_->CursorTime()), 0.8);
            break;
        case Qt::Key_Minus:
            owner_->ZoomAround(owner_->XOfTime(owner_->CursorTime()), 1.25);
            break;
        case Qt::Key_Home:
        case Qt::Key_A:
            owner_->Autoscale();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

void GraphView::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasFormat(kSignalMime)) e->acceptProposedAction();
}

bool GraphView::DropSignals(const QMimeData& mime) {
    bool any = false;
    for (int id : SignalIdsFromMime(mime)) any = host_.Graphs().AddSignal(graphId_, id) || any;
    return any;
}

void GraphView::dropEvent(QDropEvent* e) {
    if (DropSignals(*e->mimeData())) e->acceptProposedAction();
}

void GraphView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    for (const Trace& t : traces_) {
        const int id = t.id;
        menu.addAction(QString(wbtext::kRemoveSignal).arg(QString::fromStdString(t.signal->Name())),
                       this, [this, id] { host_.Graphs().RemoveSignal(graphId_, id); });
    }
    menu.addSeparator();
    menu.addAction(wbtext::kAutoscale, this, [this] { owner_->Autoscale(); });
    menu.exec(e->globalPos());
}

void GraphView::focusInEvent(QFocusEvent*) {
    host_.Graphs().SetActive(owner_->WindowId(), graphId_);
    update();
}

}  // namespace workbench
