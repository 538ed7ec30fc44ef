// The main window's spectrum and map graphs: opening them from the tree's
// selection, their parameter dialog, and finding them.

#include <QTreeWidget>
#include <functional>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/overlays.h"
#include "apps/workbench/spectralview.h"
#include "apps/workbench/texts.h"

namespace workbench {

namespace {

bool IsSpeedUnit(const std::string& unit) {
    return unit == "rpm" || unit == "Hz" || unit == "1/min";
}

}  // namespace

int MainWindow::ActiveGraph() const {
    const int window = host_->Graphs().ActiveWindow();
    for (const auto& w : host_->Graphs().Windows())
        if (w.id == window) return w.activeGraph;
    return 0;
}

SpectralView* MainWindow::SpectralViewOf(int graph) const {
    GraphWindow* w = WindowOf(host_->Graphs().WindowOfGraph(graph));
    return w ? w->SpectralOf(graph) : nullptr;
}

int MainWindow::AddSpectralGraph(int signalId, const ViewSpec& spec) {
    if (!host_->Graphs().SignalById(signalId)) return 0;
    GraphWindow* w = ActiveGraphWindow();
    korvex::GraphService& g = host_->Graphs();
    int graph = 0;
    if (!w) {
        // A new window's first graph becomes this one.
        const int window = g.NewWindow();
        graph = g.AddGraph(window);
    } else {
        graph = g.AddGraph(w->WindowId());
    }
    specs_[graph] = spec;
    g.AddSignal(graph, signalId);
    SyncGraphs();
    return graph;
}

std::vector<SpeedChoice> MainWindow::SignalChoices(
    const std::function<bool(const std::string& unit)>& wanted) const {
    std::vector<SpeedChoice> out;
    korvex::Lock lock = host_->LockTree();
    std::function<void(const korvex::FolderObj&)> walk = [&](const korvex::FolderObj& f) {
        for (size_t i = 0; i < f.CountLocked(); ++i) {
            const korvex::FolderObj::Entry e = f.EntryLocked(i);
            if (auto s = plat::DynamicCast<korvex::SignalObj>(e.object)) {
                if (wanted(s->UnitLocked()))
                    out.push_back({s->Id(), QString::fromStdString(f.Path() + "/" + e.name)});
            } else if (auto sub = plat::DynamicCast<korvex::FolderObj>(e.object)) {
                walk(*sub);
            }
        }
    };
    walk(*host_->Root());
    return out;
}

std::vector<SpeedChoice> MainWindow::SpeedChoices() const {
    return SignalChoices(IsSpeedUnit);
}

// The first selected signal that is not a speed, and the first speed; a
// speed alone is the signal asked for.
static void Selection(QTreeWidget* tree, korvex::Host& host, int& signal, int& speed) {
    signal = speed = 0;
    for (QTreeWidgetItem* i : tree->selectedItems()) {
        const int id = i->data(0, Qt::UserRole).toInt();
        auto s = id ? host.Graphs().SignalById(id) : nullptr;
        if (!s) continue;
        int& slot = IsSpeedUnit(s->Unit()) ? speed : signal;
        if (!slot) slot = id;
    }
    if (!signal) std::swap(signal, speed);
}

bool MainWindow::NewSpectrumOfSelection() {
    int signal, speed;
    Selection(tree_, *host_, signal, speed);
    if (!signal) {
        dialogs_->Error(this, wbtext::kNoSignalSelected);
        return false;
    }
    ViewSpec spec;
    spec.kind = ViewKind::Spectrum;
    spec.speedId = speed;
    return AddSpectralGraph(signal, spec) != 0;
}

bool MainWindow::NewMapOfSelection() {
    int signal, speed;
    Selection(tree_, *host_, signal, speed);
    if (!signal) {
        dialogs_->Error(this, wbtext::kNoSignalSelected);
        return false;
    }
    ViewSpec spec;
    spec.kind = ViewKind::Map;
    spec.speedId = speed;
    if (!dialogs_->EditSpectral(this, spec, SpeedChoices())) return false;
    return AddSpectralGraph(signal, spec) != 0;
}

int MainWindow::AddOrderCut(int mapGraph, double order) {
    SpectralView* v = SpectralViewOf(mapGraph);
    if (!v || v->Spec().kind != ViewKind::Map || !(order > 0)) return 0;
    ViewSpec spec = v->Spec();
    spec.kind = ViewKind::OrderCut;
    spec.cutOrder = order;
    spec.overlaySignals.clear();
    spec.overlayFolders.clear();
    return AddSpectralGraph(v->SignalId(), spec);
}

bool MainWindow::EditSpectralParams(int graph) {
    SpectralView* v = SpectralViewOf(graph);
    auto it = specs_.find(graph);
    if (!v || it == specs_.end()) return false;
    ViewSpec spec = v->Spec();
    if (!dialogs_->EditSpectral(this, spec, SpeedChoices())) return true;
    it->second = spec;
    v->SetSpec(spec);
    return true;
}

}  // namespace workbench
