// The host's graph service: windows, graphs, their signals, the active ones and cursors.

#include "korvex/graphs.h"

#include <algorithm>
#include <exception>

namespace korvex {

using plat::DispResult;
using plat::InvokeKind;
using plat::SetResult;
using plat::Variant;

GraphService::Graph* GraphService::FindGraph(int id) {
    for (Graph& g : graphs_)
        if (g.id == id) return &g;
    return nullptr;
}
const GraphService::Graph* GraphService::FindGraph(int id) const {
    return const_cast<GraphService*>(this)->FindGraph(id);
}
GraphService::Window* GraphService::FindWindow(int id) {
    for (Window& w : windows_)
        if (w.id == id) return &w;
    return nullptr;
}
const GraphService::Window* GraphService::FindWindow(int id) const {
    return const_cast<GraphService*>(this)->FindWindow(id);
}

int GraphService::NewWindow() {
    Lock lock(core_->mutex);
    Window w;
    w.id = nextWindow_++;
    windows_.push_back(w);
    activeWindow_ = w.id;
    Changed();
    return w.id;
}

int GraphService::AddGraph(int window) {
    Lock lock(core_->mutex);
    Window* w = FindWindow(window);
    if (!w) return 0;
    Graph g;
    g.id = nextGraph_++;
    g.window = window;
    graphs_.push_back(std::move(g));
    w->graphs.push_back(graphs_.back().id);
    if (w->activeGraph == 0) w->activeGraph = graphs_.back().id;
    Changed();
    return graphs_.back().id;
}

bool GraphService::AddSignal(int graph, int signalId) {
    Lock lock(core_->mutex);
    Graph* g = FindGraph(graph);
    if (!g) return false;
    for (const auto& s : g->signals)
        if (s->Id() == signalId) return true;  // shown once
    plat::ObjPtr<SignalObj> s = SignalById(signalId);
    if (!s) return false;
    g->signals.push_back(std::move(s));
    Changed();
    return true;
}

bool GraphService::SetCursor(int graph, double x) {
    Lock lock(core_->mutex);
    Graph* g = FindGraph(graph);
    if (!g) return false;
    g->cursorX = x;
    Changed();
    return true;
}

bool GraphService::SetActive(int window, int graph) {
    Lock lock(core_->mutex);
    Window* w = FindWindow(window);
    if (!w) return false;
    if (graph != 0) {
        if (std::find(w->graphs.begin(), w->graphs.end(), graph) == w->graphs.end()) return false;
        w->activeGraph = graph;
    }
    activeWindow_ = window;
    Changed();
    return true;
}

int GraphService::ActiveWindow() const {
    Lock lock(core_->mutex);
    return activeWindow_;
}

int GraphService::WindowOfGraph(int graph) const {
    Lock lock(core_->mutex);
    const Graph* g = FindGraph(graph);
    return g ? g->window : 0;
}

plat::ObjPtr<SignalObj> GraphService::SignalById(int id) const {
    Lock lock(core_->mutex);
    for (const Graph& g : graphs_)
        for (const auto& s : g.signals)
            if (s->Id() == id) return s;
    if (core_->root) return core_->root->FindSignalByIdLocked(id);
    return {};
}

std::vector<GraphService::WindowInfo> GraphService::Windows() const {
    Lock lock(core_->mutex);
    std::vector<WindowInfo> out;
    for (const Window& w : windows_) {
        WindowInfo wi;
        wi.id = w.id;
        wi.activeGraph = w.activeGraph;
        for (int gid : w.graphs) {
            const Graph* g = FindGraph(gid);
            if (!g) continue;
            GraphInfo gi;
            gi.id = g->id;
            gi.cursorX = g->cursorX;
            gi.refreshCount = g->refreshCount;
            for (const auto& s : g->signals) {
                gi.signalIds.push_back(s->Id());
                gi.signalNames.push_back(s->NameLocked());
            }
            wi.graphs.push_back(std::move(gi));
        }
        out.push_back(std::move(wi));
    }
    return out;
}

bool GraphService::RemoveWindow(int window) {
    Lock lock(core_->mutex);
    auto w = std::find_if(windows_.begin(), windows_.end(),
                          [&](const Window& x) { return x.id == window; });
    if (w == windows_.end()) return false;
    std::erase_if(graphs_, [&](const Graph& g) { return g.window == window; });
    windows_.erase(w);
    if (activeWindow_ == window) activeWindow_ = windows_.empty() ? 0 : windows_.back().id;
    Changed();
    return true;
}

bool GraphService::RemoveSignal(int graph, int signalId) {
    Lock lock(core_->mutex);
    Graph* g = FindGraph(graph);
    if (!g) return false;
    const auto n = std::erase_if(g->signals, [&](const auto& s) { return s->Id() == signalId; });
    if (n == 0) return false;
    Changed();
    return true;
}

void GraphService::SetObserver(std::function<void()> observer) {
    Lock lock(core_->mutex);
    observer_ = std::move(observer);
}

void GraphService::Changed() {
    revision_.fetch_add(1, std::memory_order_relaxed);
    if (observer_) observer_();
}

DispResult GraphService::Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                                Variant* result) {
    if (kind != InvokeKind::Method) return DispResult::MemberNotFound;
    try {
        Lock lock(core_->mutex);
        return CallLocked(dispId, args, result);
    } catch (const std::exception&) {
        return DispResult::Failed;
    }
}

DispResult GraphService::CallLocked(int dispId, std::span<Variant> args, Variant* result) {
    // Expected argument count of each member; -1 for unknown members.
    auto argCount = [](int id) {
        switch (id) {
            case 2:   // NewGraphWindow()
            case 27:  // ActiveWindow()
                return 0;
            case 13:  // GraphCount(window)
            case 4:   // AddGraph(window)
            case 26:  // RefreshGraph(graph)
            case 60:  // WindowType(window)
            case 28:  // ActiveGraph(window)
            case 15:  // GraphSignalCount(graph)
            case 20:  // SignalById(id)
                return 1;
            case 17:  // GetGraph(window, index)
            case 19:  // GraphSignalId(graph, index)
                return 2;
            case 7:   // AddSignalToGraph(graph, position, id)
            case 46:  // GetCursorX(graph, &x, flag)
                return 3;
            default:
                return -1;
        }
    };
    const int want = argCount(dispId);
    if (want < 0) return DispResult::MemberNotFound;
    if (static_cast<int>(args.size()) != want) return DispResult::BadArgCount;

    switch (dispId) {
        case 2:
            SetResult(result, NewWindow());
            return DispResult::Ok;
        case 27:
            SetResult(result, activeWindow_);
            return DispResult::Ok;
        case 46: {  // the cursor abscissa, written through the reference
            int32_t graph = 0;
            if (!args[0].ToInt32(graph)) return DispResult::TypeMismatch;
            if (!args[1].RefTarget()) return DispResult::TypeMismatch;
            const Graph* g = FindGraph(graph);
            if (!g) return DispResult::Failed;
            args[1].SetRef(Variant(g->cursorX));
            SetResult(result, g->cursorX);
            return DispResult::Ok;
        }
        default:
            break;
    }

    int32_t a[3] = {0, 0, 0};
    for (int i = 0; i < want; ++i)
        if (!args[static_cast<size_t>(i)].ToInt32(a[i])) return DispResult::TypeMismatch;

    switch (dispId) {
        case 13: {
            const Window* w = FindWindow(a[0]);
            if (!w) return DispResult::Failed;
            SetResult(result, static_cast<int32_t>(w->graphs.size()));
            return DispResult::Ok;
        }
        case 4: {
            int g = AddGraph(a[0]);
            if (g == 0) return DispResult::Failed;
            SetResult(result, g);
            return DispResult::Ok;
        }
        case 17: {
            const Window* w = FindWindow(a[0]);
            if (!w || a[1] < 0 || static_cast<size_t>(a[1]) >= w->graphs.size())
                return DispResult::Failed;
            SetResult(result, w->graphs[static_cast<size_t>(a[1])]);
            return DispResult::Ok;
        }
        case 7: {
            // Position -1 appends; the model keeps signals in the order added.
            if (!AddSignal(a[0], a[2])) return DispResult::Failed;
            return DispResult::Ok;
        }
        case 26: {
            Graph* g = FindGraph(a[0]);
            if (!g) return DispResult::Failed;
            ++g->refreshCount;
            Changed();
            return DispResult::Ok;
        }
        case 60:
            SetResult(result, FindWindow(a[0]) ? 1 : 0);
            return DispResult::Ok;
        case 28: {
            const Window* w = FindWindow(a[0]);
            SetResult(result, w ? w->activeGraph : 0);
            return DispResult::Ok;
        }
        case 15: {
            const Graph* g = FindGraph(a[0]);
            if (!g) return DispResult::Failed;
            SetResult(result, static_cast<int32_t>(g->signals.size()));
            return DispResult::Ok;
        }
        case 19: {
            const Graph* g = FindGraph(a[0]);
            if (!g || a[1] < 0 || static_cast<size_t>(a[1]) >= g->signals.size())
                return DispResult::Failed;
            SetResult(result, g->signals[static_cast<size_t>(a[1])]->Id());
            return DispResult::Ok;
        }
        case 20: {
            // An unknown id is a lookup that finds nothing: an empty result.
            plat::ObjPtr<SignalObj> s = SignalById(a[0]);
            if (s)
                SetResult(result, std::move(s));
            else if (result)
                *result = Variant();
            return DispResult::Ok;
        }
        default:
            return DispResult::MemberNotFound;
    }
}

}  // namespace korvex
