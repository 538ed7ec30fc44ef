// The plug-in's window-free commands: source data loaded, result graphs built.

#include "shell/plugin/commands.h"

#include <algorithm>

#include "processing/strings.h"

namespace vantrel {

namespace {

constexpr size_t kSignalsRootLength = sizeof ordstr::kSignalsRoot - 1;

// Adds signals to the graphs of one window, made on first use.
class GraphFiller {
  public:
    explicit GraphFiller(const host::GraphService& service) : service_(service) {}

    void Add(const host::Signal& signal, int index) {
        if (!signal) return;
        if (window_ == 0) window_ = service_.NewGraphWindow();
        // A host that refuses to add graphs must not keep us asking.
        for (int tries = 0; service_.GraphCount(window_) <= index && tries <= index; ++tries)
            service_.AddGraph(window_);
        const int graph = service_.GetGraph(window_, index);
        service_.AddSignalToGraph(graph, signal.GetSignalId());
        lastGraph_ = graph;
        ++addedInPass_;
        ++added_;
    }
    // Refreshes the graph used last when this pass added anything.
    void EndPass() {
        if (addedInPass_ > 0) service_.RefreshGraph(lastGraph_);
        addedInPass_ = 0;
    }
    int window() const { return window_; }
    int added() const { return added_; }

  private:
    const host::GraphService& service_;
    int window_ = 0;
    int lastGraph_ = 0;
    int addedInPass_ = 0;
    int added_ = 0;
};

}  // namespace

bool EnsureSourceLoaded(const host::App& app, CCfgProc& cfg) {
    if (cfg.RefreshChannels(&app, cfg.srcFileKorvex)) return true;
    if (cfg.srcFileDir.empty()) return false;
    const plat::DispPtr file = app.OpenDataFile(cfg.srcFileDir);
    if (!file || app.GetObjectKind(file) == host::KindNone) return false;
    const host::Folder folder = app.GetDataFolder(file);
    if (!folder || app.GetObjectKind(folder.Disp()) != host::KindFolder) return false;
    const std::string path = folder.GetPath();
    // Only a folder below "/Signals/" names a data set.
    if (path.size() <= kSignalsRootLength ||
        path.compare(0, kSignalsRootLength, ordstr::kSignalsRoot) != 0)
        return false;
    std::string name = path.substr(kSignalsRootLength);
    while (!name.empty() && name.back() == '/') name.pop_back();
    cfg.srcFileKorvex = name;
    return cfg.RefreshChannels(&app, cfg.srcFileKorvex);
}

int GraphIndex(int32_t graphNumber) {
    return std::clamp<int32_t>(graphNumber, 1, 4) - 1;
}

host::Signal FindChannelSignal(const host::App& app, const CCfgProc& cfg,
                               const std::string& channel, int kind, int32_t itemId) {
    if (channel.empty()) return {};
    std::string path;
    if (kind == CfgChannelMeasuring || kind == CfgChannelRevolution) {
        path = ordstr::kSignalsRoot + cfg.srcFileKorvex + "/" + channel;
    } else if (kind == CfgChannelTacho) {
        if (cfg.lastResultFolder.empty()) return {};
        path = cfg.lastResultFolder + ordstr::kTachoFolder + channel + ordstr::kTachoSuffix;
    } else if (kind == 0 && itemId > 0) {
        if (cfg.lastResultFolder.empty()) return {};
        const CCfgProcItem* item = cfg.FindItemById(itemId);
        if (!item) return {};
        path = cfg.lastResultFolder + channel + "/";
        if (item->parent && item->parent->GetType() == CfgItemFolder)
            path += item->parent->name + "/";
        path += channel + "." + item->name;
    } else {
        return {};
    }
    return app.GetSignal(path);
}

GraphsBuilt BuildResultGraphs(const host::App& app, const CCfgProc& cfg) {
    const host::GraphService service = app.GetGraphService();
    GraphFiller filler(service);
    if (service) {
        for (const std::string& name : cfg.channelNames) {
            const CfgChannel* ch = cfg.Channel(name);
            if (!ch || !ch->show) continue;
            filler.Add(FindChannelSignal(app, cfg, name, ch->type, 0), GraphIndex(ch->grNum));
        }
        filler.EndPass();
        for (const std::string& name : cfg.channelNames) {
            const CfgChannel* ch = cfg.Channel(name);
            if (!ch || !ch->check) continue;
            for (const auto& [itemId, opt] : ch->signalOpts) {
                if (!opt.bEnabled || !opt.bShow) continue;
                filler.Add(FindChannelSignal(app, cfg, name, 0, itemId), GraphIndex(opt.grNum));
            }
        }
        filler.EndPass();
    }
    app.UpdateViews();
    return {filler.window(), filler.added()};
}

}  // namespace vantrel
