// A graph's mouse, keys, drops and menu: cursors A and B put and dragged,
// panning and zooming the window's range, signals dropped from the tree.

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/texts.h"

namespace workbench {

void GraphView::CursorToPixel(double px) {
    owner_->MoveCursor(owner_->TimeOfX(XOfPixel(px)), graphId_);
}

void GraphView::mousePressEvent(QMouseEvent* e) {
    const double px = e->position().x();
    if (e->button() == Qt::LeftButton) {
        // Shift puts cursor B; a press on B's line takes it along.
        const bool onB = owner_->CursorBOn() &&
                         std::fabs(px - PixelOfX(owner_->XOfTime(owner_->CursorB()))) <= 4;
        drag_ = onB || (e->modifiers() & Qt::ShiftModifier) ? Drag::CursorB : Drag::Cursor;
        if (drag_ == Drag::CursorB)
            owner_->MoveCursorB(owner_->TimeOfX(XOfPixel(px)));
        else
            CursorToPixel(px);
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
    } else if (drag_ == Drag::CursorB) {
        owner_->MoveCursorB(owner_->TimeOfX(XOfPixel(e->position().x())));
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
    if (LegendRect().contains(e->position())) {
        ScrollLegend(e->angleDelta().y() > 0 ? -2 : 2);
        e->accept();
        return;
    }
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
            else if (e->modifiers() & Qt::ShiftModifier)
                owner_->MoveCursorB(owner_->CursorB() + sign * owner_->CursorStep());
            else
                owner_->MoveCursor(owner_->CursorTime() + sign * owner_->CursorStep(), graphId_);
            break;
        }
        case Qt::Key_B:
            owner_->SetCursorBOn(!owner_->CursorBOn());
            break;
        case Qt::Key_L:
            owner_->SetLegendShown(!owner_->LegendShown());
            break;
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
    QAction* b =
        menu.addAction(wbtext::kCursorB, this, [this](bool on) { owner_->SetCursorBOn(on); });
    b->setCheckable(true);
    b->setChecked(owner_->CursorBOn());
    QAction* legend =
        menu.addAction(wbtext::kLegend, this, [this](bool on) { owner_->SetLegendShown(on); });
    legend->setCheckable(true);
    legend->setChecked(owner_->LegendShown());
    menu.addSeparator();
    menu.addAction(wbtext::kExportThisGraph, this,
                   [this] { Q_EMIT owner_->ExportGraphRequested(graphId_); });
    menu.exec(e->globalPos());
}

void GraphView::focusInEvent(QFocusEvent*) {
    host_.Graphs().SetActive(owner_->WindowId(), graphId_);
    update();
}

}  // namespace workbench
