#include "korvex/workbench/startup.h"

#include "korvex/workbench/graphview.h"
#include "korvex/workbench/graphwindow.h"
#include "korvex/workbench/mainwindow.h"

namespace workbench {

std::string ShowRequestedViews(MainWindow& w, const Options& o) {
    GraphWindow* gw = nullptr;
    if (!o.graphs.empty()) {
        std::string error;
        const int window = OpenGraphWindow(w.Host(), o.graphs, error);
        if (!window) return "--graph: " + error;
        w.SyncGraphs();
        gw = w.WindowOf(window);
    } else {
        gw = w.ActiveGraphWindow();
    }
    const bool placed = o.cursor || o.cursorB || o.rangeLo;
    if (!gw) return placed ? "no graph window for --cursor, --cursor-b or --range" : "";
    if (o.rangeLo) gw->SetRange(*o.rangeLo, *o.rangeHi);
    const auto views = gw->Views();
    if (o.cursor && !views.empty()) gw->MoveCursor(*o.cursor, views.front()->GraphId());
    if (o.cursorB) gw->MoveCursorB(*o.cursorB);
    return "";
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
