// The main window's graph windows: made and found, kept in step with the
// host's graph service, and saved as PNG or CSV (a window or one graph).

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstdio>
#include <set>

#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/spectralview.h"
#include "apps/workbench/texts.h"
#include "korvex/graph_csv.h"
#include "platform/profile.h"

namespace workbench {

int MainWindow::NewGraphWindow() {
    korvex::GraphService& g = host_->Graphs();
    const int w = g.NewWindow();
    g.AddGraph(w);
    SyncGraphs();
    return w;
}

void MainWindow::AddGraphToActive() {
    if (GraphWindow* w = ActiveGraphWindow())
        host_->Graphs().AddGraph(w->WindowId());
    else
        NewGraphWindow();
}

GraphWindow* MainWindow::WindowOf(int windowId) const {
    auto it = windows_.find(windowId);
    return it == windows_.end() ? nullptr : qobject_cast<GraphWindow*>(it->second->widget());
}

GraphWindow* MainWindow::ActiveGraphWindow() const {
    return WindowOf(host_->Graphs().ActiveWindow());
}

bool MainWindow::ShowSignal(int signalId) {
    GraphWindow* w = ActiveGraphWindow();
    if (!w || w->Views().empty()) w = WindowOf(NewGraphWindow());
    if (!w || !w->ActiveView()) return false;
    const bool ok = host_->Graphs().AddSignal(w->ActiveView()->GraphId(), signalId);
    SyncGraphs();
    return ok;
}

// A new graph window fills the area; Graph > Tile windows lays several out.
QMdiSubWindow* MainWindow::AddWindow(int windowId) {
    auto* gw = new GraphWindow(*host_, windowId, nullptr, &specs_);
    QMdiSubWindow* sw = mdi_->addSubWindow(gw);
    sw->setAttribute(Qt::WA_DeleteOnClose);
    // A window the user closes leaves the service too.
    connect(gw, &QObject::destroyed, this, [this, windowId] {
        if (!mdi_) return;
        windows_.erase(windowId);
        host_->Graphs().RemoveWindow(windowId);
        UpdateGraphActions();
    });
    connect(gw, &GraphWindow::ViewStateChanged, this, &MainWindow::UpdateGraphActions);
    connect(gw, &GraphWindow::ExportGraphRequested, this, &MainWindow::ExportGraphDialog);
    connect(gw, &GraphWindow::ParamsRequested, this, &MainWindow::EditSpectralParams);
    connect(gw, &GraphWindow::OrderCutRequested, this, &MainWindow::AddOrderCut);
    connect(gw, &GraphWindow::ExportCsvRequested, this, [this](int graph) {
        const QString f = dialogs_->SaveFile(this, wbtext::kCsvFilter);
        if (!f.isEmpty()) ExportGraphCsv(graph, f);
    });
    sw->showMaximized();
    return sw;
}

void MainWindow::SyncGraphs() {
    syncPending_ = false;
    if (!mdi_) return;
    syncing_ = true;
    const auto infos = host_->Graphs().Windows();
    std::set<int> alive, graphs;
    for (const auto& info : infos) {
        alive.insert(info.id);
        for (const auto& g : info.graphs) graphs.insert(g.id);
        auto it = windows_.find(info.id);
        if (it == windows_.end()) it = windows_.emplace(info.id, AddWindow(info.id)).first;
        if (auto* gw = qobject_cast<GraphWindow*>(it->second->widget())) gw->Sync(info);
    }
    std::erase_if(specs_, [&](const auto& entry) { return !graphs.count(entry.first); });
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (alive.count(it->first)) {
            ++it;
            continue;
        }
        QMdiSubWindow* sw = it->second;
        it = windows_.erase(it);
        sw->close();
    }
    if (auto it = windows_.find(host_->Graphs().ActiveWindow()); it != windows_.end())
        if (mdi_->activeSubWindow() != it->second) mdi_->setActiveSubWindow(it->second);
    syncing_ = false;
    UpdateGraphActions();
}

bool MainWindow::SavePng(QWidget* what, const QString& path) {
    // Written beside the target first, so a failed save leaves an old file.
    const QString temp = path + ".part.png";
    if (!what->grab().save(temp, "PNG") ||
        std::rename(temp.toLocal8Bit(), path.toLocal8Bit()) != 0) {
        QFile::remove(temp);
        dialogs_->Error(this, QString(wbtext::kCannotWrite).arg(path));
        return false;
    }
    AddLog(QString(wbtext::kSaved).arg(path));
    return true;
}

bool MainWindow::ExportActivePng(const QString& path) {
    GraphWindow* w = ActiveGraphWindow();
    if (!w) {
        dialogs_->Error(this, wbtext::kNoGraph);
        return false;
    }
    return SavePng(w, path);
}

bool MainWindow::ExportGraphPng(int graph, const QString& path) {
    GraphWindow* w = WindowOf(host_->Graphs().WindowOfGraph(graph));
    QWidget* v = w ? w->WidgetOf(graph) : nullptr;
    if (!v) {
        dialogs_->Error(this, wbtext::kNoGraph);
        return false;
    }
    return SavePng(v, path);
}

void MainWindow::ExportGraphDialog(int graph) {
    const QString f = dialogs_->SaveFile(this, wbtext::kPngFilter);
    if (!f.isEmpty()) ExportGraphPng(graph, f);
}

bool MainWindow::ExportActiveCsv(const QString& path) {
    GraphWindow* w = ActiveGraphWindow();
    const int graph = ActiveGraph();
    if (!w || !w->WidgetOf(graph)) {
        dialogs_->Error(this, wbtext::kNoGraph);
        return false;
    }
    return ExportGraphCsv(graph, path);
}

bool MainWindow::ExportGraphCsv(int graph, const QString& path) {
    std::string message;
    const SpectralView* sv = SpectralViewOf(graph);
    const bool ok = sv ? sv->WriteCsv(path.toStdString(), message)
                       : korvex::WriteGraphCsv(*host_, graph, path.toStdString(), message);
    if (!ok) {
        dialogs_->Error(this, QString::fromStdString(message));
        return false;
    }
    AddLog(QString(wbtext::kSaved).arg(path));
    return true;
}

void MainWindow::ExportPngDialog() {
    const QString f = dialogs_->SaveFile(this, wbtext::kPngFilter);
    if (!f.isEmpty()) ExportActivePng(f);
}

void MainWindow::ExportCsvDialog() {
    const QString f = dialogs_->SaveFile(this, wbtext::kCsvFilter);
    if (!f.isEmpty()) ExportActiveCsv(f);
}

}  // namespace workbench
