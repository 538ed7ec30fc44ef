// The views the command line asks for laid out, waited for, and their failures named.

#include "apps/workbench/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/spectralview.h"

namespace workbench {

std::string ShowRequestedViews(MainWindow& w, const Options& o) {
    GraphWindow* gw = nullptr;
    if (!o.graphs.empty()) {
        std::string error;
        size_t failed = 0;
        const int window = OpenGraphWindow(w.Host(), o.graphs, error, &w.Specs(), &failed);
        if (!window) return std::string(ViewOption(o.graphs[failed].kind)) + ": " + error;
        w.SyncGraphs();
        gw = w.WindowOf(window);
    } else {
        gw = w.ActiveGraphWindow();
    }
    const bool placed = o.cursor || o.cursorB || o.rangeLo;
    if (!gw) return placed ? "no graph window for --cursor, --cursor-b or --range" : "";
    if (o.rangeLo) gw->SetRange(*o.rangeLo, *o.rangeHi);
    const auto views = gw->Views();
    const auto spectral = gw->SpectralViews();
    const int first = !views.empty()      ? views.front()->GraphId()
                      : !spectral.empty() ? spectral.front()->GraphId()
                                          : 0;
    if (o.cursor && first) gw->MoveCursor(*o.cursor, first);
    if (o.cursorB) gw->MoveCursorB(*o.cursorB);
    return "";
}

bool WaitForViews(MainWindow& w, double timeoutSeconds) {
    QElapsedTimer clock;
    clock.start();
    auto running = [&] {
        for (QWidget* sw : w.findChildren<MapView*>())
            if (static_cast<MapView*>(sw)->Running()) return true;
        // Overviews of recordings on disk come in on workers too.
        for (GraphView* g : w.findChildren<GraphView*>())
            if (g->PendingEnvelopes() > 0) return true;
        return false;
    };
    // A graph starts reading its overview when it is first drawn.
    QApplication::processEvents();
    for (GraphView* g : w.findChildren<GraphView*>()) g->repaint();
    while (running()) {
        if (clock.elapsed() > timeoutSeconds * 1000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    // The finished maps are taken in by posted calls.
    QApplication::processEvents();
    return true;
}

std::string ViewFailures(MainWindow& w) {
    std::string failures;
    for (SpectralView* v : w.findChildren<SpectralView*>()) {
        if (v->Message().isEmpty()) continue;
        const ViewKind kind = v->Spec().kind;
        failures += std::string(failures.empty() ? "" : "\n") + ViewOption(kind) +
                    (kind == ViewKind::Map        ? ": the map"
                     : kind == ViewKind::OrderCut ? ": the order cut"
                                                  : ": the spectrum") +
                    " was not made: " + v->Message().toStdString();
    }
    return failures;
}

void ShowFirstDataSet(MainWindow& w) {
    korvex::Host& host = w.Host();
    auto signals = host.FindFolder(korvex::kSignalsPath);
    std::vector<int> ids;
    {
        korvex::Lock lock = host.LockTree();
        if (!signals || signals->CountLocked() == 0) return;
        auto set = plat::DynamicCast<korvex::FolderObj>(signals->EntryLocked(0).object);
        if (!set) return;
        for (size_t i = 0; i < set->CountLocked(); ++i)
            if (auto s = plat::DynamicCast<korvex::SignalObj>(set->EntryLocked(i).object))
                ids.push_back(s->Id());
    }
    if (ids.empty()) return;
    korvex::GraphService& g = host.Graphs();
    const int window = w.NewGraphWindow();
    const int g2 = g.AddGraph(window);
    const int g1 = g.Windows().back().graphs.front().id;
    g.AddSignal(g1, ids.size() > 1 ? ids[1] : ids[0]);
    g.AddSignal(g2, ids.back());
    w.SyncGraphs();
    GraphWindow* gw = w.WindowOf(window);
    gw->Autoscale();
    gw->MoveCursor(gw->Lo() + 0.4 * (gw->Hi() - gw->Lo()), g1);
}

}  // namespace workbench
