#pragma once
// The workbench's main window: the host's signal tree in a dock, graph
// windows in the middle, a log dock and the plug-ins' toolbar. It owns the
// host and the loaded plug-ins. The graph windows mirror the host's graph
// service, whatever changed it (the user, a plug-in); the tree follows the
// host's tree and UpdateViews.

#include <QMainWindow>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "korvex/formats/readers.h"
#include "korvex/host.h"
#include "korvex/plugins.h"
#include "apps/workbench/viewparams.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QToolBar;
class QTreeWidget;
class QMenu;

namespace workbench {

class GraphWindow;
class SpectralView;

// A signal the parameter dialog offers as the speed.
struct SpeedChoice {
    int id = 0;
    QString label;
};

// Modal file dialogs, message boxes and the parameter dialog of a spectrum
// or map graph, replaced in tests.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual QStringList OpenFiles(QWidget* parent);
    virtual QString SaveFile(QWidget* parent, const QString& filter);
    virtual void Error(QWidget* parent, const QString& text);
    // Edits spec in place; false when cancelled (paramdialog.cpp).
    virtual bool EditSpectral(QWidget* parent, ViewSpec& spec,
                              const std::vector<SpeedChoice>& speeds);
    // A CSV or text file: the import dialog's choices; false when cancelled.
    virtual bool ImportText(QWidget* parent, const QString& path, korvex::ReadOptions& options);
    // A file that gives no sample rate: the rate; false when cancelled.
    virtual bool AskRate(QWidget* parent, const QString& message, double& rate);
    // The "Обороты по спектру" operator: the signal to follow (one of
    // signals) and the operator's keys, edited in place; false when
    // cancelled (speeddialog.cpp).
    virtual bool EditSpeedFromSpectrum(QWidget* parent, int& signalId, korvex::OperatorParams& keys,
                                       const std::vector<SpeedChoice>& signals);
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(std::unique_ptr<Dialogs> dialogs = nullptr);
    ~MainWindow() override;

    korvex::Host& Host() { return *host_; }
    // Loads the registered plug-ins (registry file of the data folder).
    void LoadPlugins(const std::string& registryPath);
    // Shuts the plug-ins down and releases them (also done on close).
    void UnloadPlugins();
    bool OpenFile(const QString& path);
    // Where and from what size recordings of other formats are copied to be
    // read from the disk (ReadOptions::cacheDir, cacheMinBytes).
    void SetCopyOptions(const std::string& dir, uint64_t minBytes) {
        readDefaults_.cacheDir = dir;
        readDefaults_.cacheMinBytes = minBytes;
    }
    QStringList Log() const;
    void AddLog(const QString& line);
    QStringList RecentFiles() const { return recent_; }

    // Opens a graph window with one graph; returns the service window.
    int NewGraphWindow();
    GraphWindow* WindowOf(int windowId) const;
    GraphWindow* ActiveGraphWindow() const;
    // Adds a signal of the tree to the active graph, opening a window first
    // when none is open.
    bool ShowSignal(int signalId);
    // Mirrors the graph service now (otherwise done shortly after a change).
    void SyncGraphs();
    // Rebuilds the tree and toolbar when the host changed.
    void Poll();
    QTreeWidget* Tree() const { return tree_; }
    QToolBar* PluginBar() const { return pluginBar_; }
    QToolBar* GraphBar() const { return graphBar_; }
    // The active graph window as PNG; ExportGraphPng one graph of it.
    bool ExportActivePng(const QString& path);
    bool ExportGraphPng(int graph, const QString& path);
    bool ExportActiveCsv(const QString& path);
    // The selected signal of the tree, or 0.
    int SelectedSignal() const;

    // A spectrum or map graph of a signal, added to the active graph window
    // (a new one when none is open); its graph id, 0 when the signal is
    // unknown.
    int AddSpectralGraph(int signalId, const ViewSpec& spec);
    SpectralView* SpectralViewOf(int graph) const;
    // The spectrum and map graphs' specs by graph id; a graph window builds
    // such a graph from its spec.
    std::map<int, ViewSpec>& Specs() { return specs_; }
    // Graph menu: a spectrum graph of the selected signal (a second
    // selected signal in rpm or Hz is its speed), a map after its dialog.
    bool NewSpectrumOfSelection();
    bool NewMapOfSelection();
    // The parameter dialog of a spectrum or map graph, applied when taken.
    bool EditSpectralParams(int graph);
    // A graph of the RMS and phase of an order against time, from the
    // signal, speed and parameters of the order map mapGraph; 0 when that
    // is no map.
    int AddOrderCut(int mapGraph, double order);
    // One graph's data as CSV: a time graph's signals, a spectrum's lines,
    // a map's cells.
    bool ExportGraphCsv(int graph, const QString& path);
    // Double-clicking "Обороты по спектру" in the tree: its dialog, then the
    // speed of the chosen signal filed beside it (mainwindow_speed.cpp).
    // False when cancelled or failed (the error shown).
    bool RunSpeedFromSpectrum();

  protected:
    void closeEvent(QCloseEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;

  private:
    void BuildMenus();
    void RebuildTree();
    void RebuildPluginBar();
    void UpdateRecentMenu();
    void LoadRecent();
    void SaveRecent() const;
    void OpenDialog();
    void ExportPngDialog();
    void ExportCsvDialog();
    void AddGraphToActive();
    void UpdateGraphActions();
    bool SavePng(QWidget* what, const QString& path);
    void ExportGraphDialog(int graph);
    QMdiSubWindow* AddWindow(int windowId);
    // The signals anywhere in the tree whose unit is wanted.
    std::vector<SpeedChoice> SignalChoices(
        const std::function<bool(const std::string& unit)>& wanted) const;
    std::vector<SpeedChoice> SpeedChoices() const;
    int ActiveGraph() const;
    std::vector<SpeedChoice> VibrationChoices() const;

    plat::ObjPtr<korvex::Host> host_;
    std::unique_ptr<korvex::PluginManager> plugins_;
    std::unique_ptr<Dialogs> dialogs_;
    korvex::ReadOptions readDefaults_;
    bool loading_ = false;
    QMdiArea* mdi_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QToolBar* pluginBar_ = nullptr;
    QToolBar* graphBar_ = nullptr;
    QAction* cursorBAction_ = nullptr;
    QAction* legendAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    std::map<int, QMdiSubWindow*> windows_;
    std::map<int, ViewSpec> specs_;
    QStringList recent_;
    std::set<QString> knownFolders_;
    std::atomic<bool> syncPending_{false};
    bool syncing_ = false;
    uint64_t seenChanges_ = UINT64_MAX, seenUpdates_ = UINT64_MAX;
    size_t seenButtons_ = SIZE_MAX;
    int speedSource_ = 0;  // the signal the speed operator followed last
};

}  // namespace workbench
