// A map graph's mouse and keys: the cursor put by a click, the colour
// range dragged on the bar, panning, zooming, and its menu.

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/mapview_parts.h"
#include "apps/workbench/ordercut.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/texts.h"
#include "korvex/dsp/envelope.h"

namespace workbench {

using namespace mapparts;

void MapView::mousePressEvent(QMouseEvent* e) {
    if (!map_) return;
    const QPointF pos = e->position();
    dragPx_ = pos;
    const QRectF bar = BarRect().adjusted(-4, -6, kBarText, 6);
    if (e->button() == Qt::LeftButton && bar.contains(pos)) {
        // The upper half moves the range's high end, the lower its low end.
        drag_ = pos.y() < bar.center().y() ? Drag::BarHi : Drag::BarLo;
        dragA_ = cLo_;
        dragB_ = cHi_;
    } else if (e->button() == Qt::LeftButton) {
        drag_ = Drag::Cursor;
        const double t = TimeOfX(MapAt(pos).x());
        if (std::isfinite(t)) owner_->MoveCursor(t, graphId_);
    } else if (e->button() == Qt::MiddleButton || e->button() == Qt::RightButton) {
        drag_ = Drag::Pan;
        dragA_ = ViewX0();
        dragB_ = ViewX1();
        dragC_ = vy0_;
        dragD_ = vy1_;
    }
}

void MapView::mouseMoveEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    crossOn_ = true;
    cross_ = pos;
    const QRectF b = BarRect();
    if (drag_ == Drag::BarHi || drag_ == Drag::BarLo) {
        // The bar's scale as the drag began.
        const double v = dragA_ + (b.bottom() - pos.y()) / b.height() * (dragB_ - dragA_);
        const double gap = (dragB_ - dragA_) * 0.02;
        if (drag_ == Drag::BarHi)
            SetColourRange(cLo_, std::max(v, cLo_ + gap), false);
        else
            SetColourRange(std::min(v, cHi_ - gap), cHi_, false);
    } else if (drag_ == Drag::Cursor) {
        const double t = TimeOfX(MapAt(pos).x());
        if (std::isfinite(t)) owner_->MoveCursor(t, graphId_);
    } else if (drag_ == Drag::Pan) {
        const QRectF r = PlotRect();
        const double dx = (pos.x() - dragPx_.x()) / r.width() * (dragB_ - dragA_);
        const double dy = (pos.y() - dragPx_.y()) / r.height() * (dragD_ - dragC_);
        SetView(dragA_ - dx, dragB_ - dx, dragC_ + dy, dragD_ + dy);
    }
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* e) {
    const Drag was = std::exchange(drag_, Drag::None);
    if (was == Drag::BarHi || was == Drag::BarLo) {
        SetColourRange(cLo_, cHi_, true);
    } else if (was == Drag::Pan && e->button() == Qt::RightButton &&
               QLineF(e->position(), dragPx_).length() < 3) {
        QContextMenuEvent ce(QContextMenuEvent::Mouse, e->position().toPoint(),
                             e->globalPosition().toPoint());
        contextMenuEvent(&ce);
    }
}

void MapView::mouseDoubleClickEvent(QMouseEvent* e) {
    // On the bar: the parameters, where the range is typed; else autoscale.
    if (BarRect().adjusted(-4, -6, kBarText, 6).contains(e->position()))
        Q_EMIT ParamsRequested(graphId_);
    else
        Autoscale();
}

void MapView::leaveEvent(QEvent*) {
    crossOn_ = false;
    update();
}

void MapView::wheelEvent(QWheelEvent* e) {
    if (!map_) return;
    const double k = e->angleDelta().y() > 0 ? 0.8 : 1.25;
    const QPointF m = MapAt(e->position());
    if (e->modifiers() & Qt::ControlModifier)
        SetView(ViewX0(), ViewX1(), m.y() - (m.y() - vy0_) * k, m.y() + (vy1_ - m.y()) * k);
    else
        SetView(m.x() - (m.x() - ViewX0()) * k, m.x() + (ViewX1() - m.x()) * k, vy0_, vy1_);
    e->accept();
}

void MapView::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (!map_ || map_->x.size() < 2) break;
            // One column of the map.
            const double sign = e->key() == Qt::Key_Left ? -1.0 : 1.0;
            const double dx = (map_->x.back() - map_->x.front()) / double(map_->x.size() - 1);
            const double t = owner_->CursorTime();
            const double x = spec_.map.params.x == korvex::MapAxisX::Time ? t : SpeedAt(t);
            const double next = TimeOfX(x + sign * dx);
            if (std::isfinite(next)) owner_->MoveCursor(next, graphId_);
            break;
        }
        case Qt::Key_R:
            ResetColourRange();
            break;
        case Qt::Key_Home:
        case Qt::Key_A:
            Autoscale();
            break;
        case Qt::Key_Escape:
            StopMap();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

void MapView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addAction(wbtext::kResetColours, this, [this] { ResetColourRange(); });
    menu.addAction(wbtext::kAutoscale, this, [this] { Autoscale(); });
    const auto& whole = full_ ? full_ : map_;
    if (whole && spec_.map.params.y == korvex::MapAxisY::Order && PlotRect().contains(e->pos())) {
        const double order = OrderAtClick(MapAt(e->pos()).y(), whole->dy);
        if (order > 0)
            menu.addAction(
                tr("Order cut at order %1").arg(QString::fromStdString(FormatNumber(order))), this,
                [this, order] { Q_EMIT OrderCutRequested(graphId_, order); });
    }
    menu.addSeparator();
    AddCommonActions(menu);
    menu.exec(e->globalPos());
}

}  // namespace workbench
