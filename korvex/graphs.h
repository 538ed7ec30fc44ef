#pragma once
// The host's graph service as a model: graph windows, the graphs in each, the
// signals shown on each graph, the active window and graph and a cursor
// abscissa per graph. A window opens empty; the first graph added to a window
// becomes its active graph, the newest window becomes the active window.
// Window and graph handles are positive and never reused; 0 means none.
//
// A graph holds the signals it shows, so a signal id on a graph stays
// resolvable while the graph lives, even when the tree no longer files it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "korvex/objects.h"
#include "platform/dispatch.h"

namespace korvex {

class GraphService final : public plat::IDispatchObject {
  public:
    explicit GraphService(CorePtr core) : core_(std::move(core)) {}

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    // C++ side (each takes the host lock).
    int NewWindow();
    int AddGraph(int window);  // the new graph, 0 when the window is unknown
    bool AddSignal(int graph, int signalId);
    // Puts the cursor of a graph at x; false for an unknown graph.
    bool SetCursor(int graph, double x);
    // Makes a window active and, when graph is not 0, that graph of it.
    bool SetActive(int window, int graph);
    int ActiveWindow() const;
    int WindowOfGraph(int graph) const;  // 0 when unknown
    // A signal the host knows by id: on a graph or filed in the tree.
    plat::ObjPtr<SignalObj> SignalById(int id) const;

    struct GraphInfo {
        int id = 0;
        double cursorX = 0.0;
        int refreshCount = 0;  // RefreshGraph calls so far
        std::vector<int> signalIds;
        std::vector<std::string> signalNames;
    };
    struct WindowInfo {
        int id = 0;
        int activeGraph = 0;
        std::vector<GraphInfo> graphs;
    };
    std::vector<WindowInfo> Windows() const;  // a snapshot for views

    // Views: closing a window drops its graphs; a signal leaves one graph.
    bool RemoveWindow(int window);
    bool RemoveSignal(int graph, int signalId);
    // Called after every change of windows, graphs, their signals, the
    // active window or graph, a cursor or a refresh, with the host lock
    // held: the observer only notes the change or posts it to its thread.
    void SetObserver(std::function<void()> observer);
    // Changes so far.
    uint64_t Revision() const { return revision_.load(std::memory_order_relaxed); }

  private:
    struct Graph {
        int id = 0;
        int window = 0;
        double cursorX = 0.0;
        int refreshCount = 0;
        std::vector<plat::ObjPtr<SignalObj>> signals;
    };
    struct Window {
        int id = 0;
        int activeGraph = 0;
        std::vector<int> graphs;
    };

    Graph* FindGraph(int id);
    const Graph* FindGraph(int id) const;
    Window* FindWindow(int id);
    const Window* FindWindow(int id) const;
    plat::DispResult CallLocked(int dispId, std::span<plat::Variant> args, plat::Variant* result);

    void Changed();

    const CorePtr core_;
    std::function<void()> observer_;
    std::atomic<uint64_t> revision_{0};
    std::vector<Window> windows_;
    std::vector<Graph> graphs_;
    int activeWindow_ = 0;
    int nextWindow_ = 1;
    int nextGraph_ = 1;
};

}  // namespace korvex
