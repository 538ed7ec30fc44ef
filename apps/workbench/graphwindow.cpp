// A graph window: graphs synced with the service, shared range and margins, cursors A, B.

#include "apps/workbench/graphwindow.h"

#include <algorithm>
#include <cmath>

#include "apps/workbench/graphlayout.h"
#include "apps/workbench/graphview.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/ordercutview.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/spectrumview.h"
#include "apps/workbench/texts.h"
#include "korvex/dsp/envelope.h"

namespace workbench {

GraphWindow::GraphWindow(korvex::Host& host, int windowId, QWidget* parent,
                         const std::map<int, ViewSpec>* specs)
    : QWidget(parent),
      host_(host),
      windowId_(windowId),
      layout_(new QVBoxLayout(this)),
      specs_(specs) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(1);
    setWindowTitle(QString(wbtext::kWindowTitle).arg(windowId));
    setMinimumSize(320, 200);
    readout_ = new QLabel(this);
    readout_->setObjectName("readout");
    readout_->setContentsMargins(8, 2, 8, 3);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout_->addWidget(readout_);
    readout_->hide();
}

GraphView* GraphWindow::ViewOf(int graph) const {
    for (GraphView* v : views_)
        if (v->GraphId() == graph) return v;
    return nullptr;
}

GraphView* GraphWindow::ActiveView() const {
    if (GraphView* v = ViewOf(activeGraph_)) return v;
    return views_.empty() ? nullptr : views_.front();
}

SpectralView* GraphWindow::SpectralOf(int graph) const {
    for (SpectralView* v : spectral_)
        if (v->GraphId() == graph) return v;
    return nullptr;
}

QWidget* GraphWindow::WidgetOf(int graph) const {
    if (GraphView* v = ViewOf(graph)) return v;
    return SpectralOf(graph);
}

void GraphWindow::Sync(const korvex::GraphService::WindowInfo& info) {
    std::vector<GraphView*> next;
    std::vector<SpectralView*> nextSpectral;
    std::vector<QWidget*> order;
    bool rows = false;
    for (const auto& g : info.graphs) {
        auto spec = specs_ ? specs_->find(g.id) : std::map<int, ViewSpec>::const_iterator();
        if (specs_ && spec != specs_->end() && spec->second.kind != ViewKind::Time) {
            SpectralView* v = SpectralOf(g.id);
            if (!v) {
                if (spec->second.kind == ViewKind::Map)
                    v = new MapView(host_, g.id, this, spec->second);
                else if (spec->second.kind == ViewKind::OrderCut)
                    v = new OrderCutView(host_, g.id, this, spec->second);
                else
                    v = new SpectrumView(host_, g.id, this, spec->second);
                connect(v, &SpectralView::ParamsRequested, this, &GraphWindow::ParamsRequested);
                connect(v, &SpectralView::ExportCsvRequested, this,
                        &GraphWindow::ExportCsvRequested);
                connect(v, &SpectralView::OrderCutRequested, this, &GraphWindow::OrderCutRequested);
            }
            v->SetSignals(g.signalIds);
            nextSpectral.push_back(v);
            order.push_back(v);
            continue;
        }
        GraphView* v = ViewOf(g.id);
        if (!v) v = new GraphView(host_, g.id, this);
        rows = v->SetSignals(g.signalIds) || rows;
        next.push_back(v);
        order.push_back(v);
    }
    for (GraphView* v : views_)
        if (std::find(next.begin(), next.end(), v) == next.end()) delete v;
    for (SpectralView* v : spectral_)
        if (std::find(nextSpectral.begin(), nextSpectral.end(), v) == nextSpectral.end()) delete v;
    // Laid out again only when the graphs changed, not on every cursor move.
    if (next != views_ || nextSpectral != spectral_) {
        views_ = next;
        spectral_ = nextSpectral;
        for (size_t i = 0; i < order.size(); ++i) {
            layout_->removeWidget(order[i]);
            layout_->insertWidget(static_cast<int>(i), order[i], 1);
            order[i]->show();
        }
        rows = true;
    }
    if (rows) {
        UpdateLegendWidth();
        UpdateMargins();
    }
    activeGraph_ = info.activeGraph;

    // The window has one cursor: the active graph's.
    double cursor = cursor_;
    for (const auto& g : info.graphs)
        if (g.id == activeGraph_) cursor = g.cursorX;
    if (cursor != cursor_) {
        cursor_ = cursor;
        for (GraphView* v : views_) v->update();
        for (SpectralView* v : spectral_) v->CursorMoved();
        UpdateReadout();
    }
    if (!ranged_) Autoscale();
}

void GraphWindow::SetRange(double lo, double hi) {
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi)) return;
    lo_ = lo;
    hi_ = hi;
    ranged_ = true;
    autoRange_ = false;
    InvalidateAll();
}

bool GraphWindow::SharesTimeRange() const {
    if (xSignal_ != 0) return false;
    if (!views_.empty()) return true;
    double lo, hi;
    int maps = 0;
    for (const SpectralView* v : spectral_) maps += v->TimeExtent(lo, hi) ? 1 : 0;
    return maps > 1;
}

void GraphWindow::Autoscale() {
    bool any = false;
    double lo = 0, hi = 1;
    for (GraphView* v : views_) {
        double a, b;
        if (!v->DataExtent(a, b)) continue;
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    }
    // Maps against time count too, so maps alone still share one range.
    for (const SpectralView* v : spectral_) {
        double a, b;
        if (!v->TimeExtent(a, b)) continue;
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    }
    if (!any) return;
    if (!(hi > lo)) {
        lo -= 0.5;
        hi += 0.5;
    }
    for (GraphView* v : views_) v->AutoscaleY();
    SetRange(lo, hi);
    autoRange_ = true;
}

void GraphWindow::ZoomAround(double x, double factor) {
    SetRange(x - (x - lo_) * factor, x + (hi_ - x) * factor);
}

void GraphWindow::MoveCursor(double t, int graph) {
    if (!std::isfinite(t)) return;
    // Every graph of the window shares the cursor; the host then makes the
    // graph active and tells the plug-ins.
    for (GraphView* v : views_) host_.Graphs().SetCursor(v->GraphId(), t);
    for (SpectralView* v : spectral_) host_.Graphs().SetCursor(v->GraphId(), t);
    host_.MoveCursor(graph, t);
    cursor_ = t;
    activeGraph_ = graph;
    for (GraphView* v : views_) v->update();
    for (SpectralView* v : spectral_) v->CursorMoved();
    UpdateReadout();
    Q_EMIT CursorMoved(t);
}

void GraphWindow::SetCursorBOn(bool on) {
    if (on == cursorBOn_) return;
    if (on) {
        const double x = XOfTime(cursor_), step = (hi_ - lo_) * 0.1;
        const double xb = x + step <= hi_ ? x + step : x - step;
        cursorB_ = TimeOfX(std::clamp(xb, lo_, hi_));
    }
    cursorBOn_ = on;
    readout_->setVisible(on);
    UpdateLegendWidth();
    for (GraphView* v : views_) v->update();
    UpdateReadout();
    Q_EMIT ViewStateChanged();
}

void GraphWindow::MoveCursorB(double t) {
    if (!std::isfinite(t)) return;
    if (!cursorBOn_) SetCursorBOn(true);
    cursorB_ = t;
    for (GraphView* v : views_) v->update();
    UpdateReadout();
}

QString GraphWindow::ReadoutText() const {
    const std::optional<double> b = cursorBOn_ ? std::optional<double>(cursorB_) : std::nullopt;
    return QString::fromStdString(
        TimesLine(ReadCursors({}, cursor_, b), tr("s").toStdString(), tr("Hz").toStdString()));
}

void GraphWindow::UpdateReadout() {
    if (cursorBOn_) readout_->setText(ReadoutText());
}

void GraphWindow::SetLegendShown(bool shown) {
    if (shown == legendShown_) return;
    legendShown_ = shown;
    UpdateLegendWidth();
    Q_EMIT ViewStateChanged();
}

void GraphWindow::UpdateLegendWidth() {
    double widest = 0;
    for (GraphView* v : views_) widest = std::max(widest, v->WantedLegendWidth());
    const double w = SharedLegendWidth(widest, width(), legendShown_);
    if (w == legendWidth_) return;
    legendWidth_ = w;
    InvalidateAll();
    UpdateMargins();
}

void GraphWindow::NoteAxisWidth(const GraphView* from) {
    UpdateMargins(from);
}

void GraphWindow::UpdateMargins(const QWidget* from) {
    std::vector<Margins> wanted;
    for (GraphView* v : views_)
        wanted.push_back(
            {v->AxisWanted() > 0 ? v->AxisWanted() : 40.0, LegendMargin(legendWidth_)});
    for (SpectralView* v : spectral_) wanted.push_back(v->WantedMargins());
    if (wanted.empty()) return;
    const Margins m = CommonMargins(wanted);
    if (m == margins_) return;
    margins_ = m;
    for (GraphView* v : views_)
        if (v != from) v->Invalidate();
    for (SpectralView* v : spectral_)
        if (v != from) v->Invalidate();
}

void GraphWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    UpdateLegendWidth();
}

double GraphWindow::CursorStep() const {
    double step = 0;
    GraphView* v = ActiveView();
    if (v && !v->SignalIds().empty())
        if (auto s = host_.Graphs().SignalById(v->SignalIds().front()))
            step = std::fabs(s->StepX());
    if (xSignal_ == 0 && v) step = std::max(step, (hi_ - lo_) / v->PlotRect().width());
    return step > 0 ? step : (hi_ - lo_) / 100;
}

void GraphWindow::SetXSignal(int signalId) {
    xSignal_ = signalId;
    ranged_ = false;
    Autoscale();
    InvalidateAll();
}

plat::ObjPtr<korvex::SignalObj> GraphWindow::XSignalObj() const {
    return xSignal_ ? host_.Graphs().SignalById(xSignal_) : nullptr;
}

double GraphWindow::XOfTime(double t) const {
    auto xs = XSignalObj();
    if (!xs) return t;
    korvex::Lock lock = host_.LockTree();
    return korvex::SampleAt(xs->SamplesLocked(), xs->StartXLocked(), xs->StepXLocked(), t);
}

double GraphWindow::TimeOfX(double x) const {
    auto xs = XSignalObj();
    if (!xs) return x;
    korvex::Lock lock = host_.LockTree();
    const auto& v = xs->SamplesLocked();
    size_t best = 0;
    for (size_t i = 1; i < v.size(); ++i)
        if (std::fabs(v[i] - x) < std::fabs(v[best] - x)) best = i;
    return xs->StartXLocked() + xs->StepXLocked() * static_cast<double>(best);
}

void GraphWindow::InvalidateAll() {
    for (GraphView* v : views_) v->Invalidate();
    for (SpectralView* v : spectral_) v->Invalidate();
}

void GraphWindow::DataChanged() {
    InvalidateAll();
    for (SpectralView* v : spectral_) v->DataChanged();
}

}  // namespace workbench
