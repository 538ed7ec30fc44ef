// korvex-workbench: the stand-in measurement host as a desktop program.
//
//   korvex-workbench [--registry FILE] [--screenshot PNG] [DATAFILE...]
//
// Opens the data files, loads the plug-ins registered in the registry file
// (default: the one in the host's data folder) and shows the main window.
// With --screenshot it lays the first data set out in a graph window with
// two graphs and the cursor, saves the window as PNG and exits.

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <cstdio>

#include "korvex/workbench/graphview.h"
#include "korvex/workbench/graphwindow.h"
#include "korvex/workbench/mainwindow.h"
#include "platform/registry.h"

namespace {

// Graph 1 shows the second signal of the first data set (the first when
// there is one), graph 2 the last one; the cursor stands at 40 %.
void LayOut(workbench::MainWindow& w) {
    korvex::Host& host = w.Host();
    auto signals = host.FindFolder("/Signals");
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
    workbench::GraphWindow* gw = w.WindowOf(window);
    gw->Autoscale();
    gw->MoveCursor(gw->Lo() + 0.4 * (gw->Hi() - gw->Lo()), g1);
    if (auto* sw = qobject_cast<QMdiSubWindow*>(gw->parentWidget())) sw->showMaximized();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString screenshot;
    std::string registry = plat::reg::DefaultRegistryPath();
    QStringList files;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--screenshot" && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (args[i] == "--registry" && i + 1 < args.size()) {
            registry = args[++i].toStdString();
        } else if (args[i].startsWith("--")) {
            std::fprintf(stderr,
                         "usage: korvex-workbench [--registry FILE] [--screenshot PNG] "
                         "[DATAFILE...]\n");
            return 1;
        } else {
            files << args[i];
        }
    }
    workbench::MainWindow w;
    w.resize(1400, 900);
    w.LoadPlugins(registry);
    for (const QString& f : files) w.OpenFile(f);
    w.show();
    if (screenshot.isEmpty()) return app.exec();

    LayOut(w);
    for (int i = 0; i < 5; ++i) app.processEvents();
    const bool ok = w.grab().save(screenshot, "PNG");
    w.UnloadPlugins();
    if (!ok) std::fprintf(stderr, "cannot write %s\n", screenshot.toLocal8Bit().constData());
    return ok ? 0 : 2;
}
