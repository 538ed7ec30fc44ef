// The workbench's main window: its menus and toolbars, the plug-ins, data
// files opened (with the recent list and drops), the log and the host tree.
// Graph windows: mainwindow_graphs.cpp; spectra and maps:
// mainwindow_spectral.cpp; the speed from a spectrum: mainwindow_speed.cpp.

#include "apps/workbench/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <fstream>
#include <set>
#include <sstream>

#include "korvex/formats/formats.h"
#include "korvex/graph_csv.h"
#include "korvex/plugin.h"
#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/importdialog.h"
#include "apps/workbench/loadjob.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/spectralview.h"
#include "apps/workbench/texts.h"
#include "platform/datafolder.h"
#include "platform/profile.h"

namespace workbench {

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kFolderRole = Qt::UserRole + 2;
constexpr int kMaxRecent = 8;

// The tree hands out the ids of the dragged signals and the paths of the
// dragged folders (whose strips a spectrum or map graph draws).
class SignalTree : public QTreeWidget {
  public:
    using QTreeWidget::QTreeWidget;

  protected:
    QStringList mimeTypes() const override { return {kSignalMime, kFolderMime}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        std::vector<int> ids;
        QStringList folders;
        for (const QTreeWidgetItem* i : items) {
            if (int id = i->data(0, kIdRole).toInt())
                ids.push_back(id);
            else if (i->data(0, kFolderRole).toBool())
                folders << i->data(0, kPathRole).toString();
        }
        if (ids.empty() && folders.isEmpty()) return nullptr;
        auto* m = new QMimeData;
        if (!ids.empty()) PutSignalIds(*m, ids);
        if (!folders.isEmpty()) PutFolderPaths(*m, folders);
        return m;
    }
};

QString RecentPath() {
    const std::string dir = plat::DataFolder();
    return dir.empty() ? QString() : QString::fromStdString(dir + "workbench-recent.txt");
}

QIcon ButtonIcon(int64_t handle) {
    const auto* bmp = reinterpret_cast<const korvex::ButtonBitmap*>(handle);
    if (!bmp || !bmp->argb || bmp->width <= 0 || bmp->height <= 0 || bmp->width > 256 ||
        bmp->height > 256)
        return {};
    QImage img(reinterpret_cast<const uchar*>(bmp->argb), bmp->width, bmp->height, bmp->width * 4,
               QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(img.copy()));
}

}  // namespace

QStringList Dialogs::OpenFiles(QWidget* parent) {
    return QFileDialog::getOpenFileNames(parent, wbtext::kOpen, {}, wbtext::kDataFilter);
}
QString Dialogs::SaveFile(QWidget* parent, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, {}, {}, filter);
}
void Dialogs::Error(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, wbtext::kError, text);
}
bool Dialogs::ImportText(QWidget* parent, const QString& path, korvex::ReadOptions& options) {
    TextImportDialog d(path, parent);
    if (d.exec() != QDialog::Accepted) return false;
    options = d.Options();
    return true;
}
bool Dialogs::AskRate(QWidget* parent, const QString& message, double& rate) {
    bool ok = false;
    rate = QInputDialog::getDouble(parent, wbtext::kAskRate, message + "\n\n" + wbtext::kRateHz,
                                   1000.0, 1e-6, 1e9, 3, &ok);
    return ok;
}

MainWindow::MainWindow(std::unique_ptr<Dialogs> dialogs)
    : host_(korvex::CreateHost()),
      plugins_(std::make_unique<korvex::PluginManager>(*host_)),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<Dialogs>()) {
    setWindowTitle(wbtext::kAppName);
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sw) {
        if (syncing_ || !sw) return;
        if (auto* gw = qobject_cast<GraphWindow*>(sw->widget()))
            host_->Graphs().SetActive(gw->WindowId(), 0);
        UpdateGraphActions();
    });

    tree_ = new SignalTree;
    tree_->setColumnCount(5);
    tree_->setHeaderLabels({wbtext::kColName, wbtext::kColUnit, wbtext::kColPoints,
                            wbtext::kColStep, wbtext::kColDuration});
    tree_->setDragEnabled(true);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->header()->setStretchLastSection(false);
    const int widths[] = {140, 50, 62, 80, 48};
    // Never narrower than the heading, whatever the language; the names give
    // up what the headings need, so the dock stays as wide.
    const QFontMetrics heading = tree_->header()->fontMetrics();
    int wider = 0;
    for (int c = 1; c < 5; ++c) {
        const int w =
            std::max(widths[c], heading.horizontalAdvance(tree_->headerItem()->text(c)) + 12);
        wider += w - widths[c];
        tree_->setColumnWidth(c, w);
    }
    tree_->setColumnWidth(0, std::max(100, widths[0] - wider));
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (int id = item->data(0, kIdRole).toInt())
            ShowSignal(id);
        else if (item->data(0, kPathRole).toString() == korvex::kSpeedFromSpectrumPath)
            RunSpeedFromSpectrum();
    });
    auto* treeDock = new QDockWidget(wbtext::kTreeDock, this);
    treeDock->setObjectName("tree");
    treeDock->setWidget(tree_);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock);

    log_ = new QPlainTextEdit;
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(2000);
    auto* logDock = new QDockWidget(wbtext::kLogDock, this);
    logDock->setObjectName("log");
    logDock->setWidget(log_);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
    resizeDocks({treeDock}, {390}, Qt::Horizontal);
    resizeDocks({logDock}, {110}, Qt::Vertical);

    pluginBar_ = addToolBar(wbtext::kPluginBar);
    pluginBar_->setObjectName("plugins");
    pluginBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    BuildMenus();
    LoadRecent();

    // The service may change on any thread; the change is posted here.
    host_->Graphs().SetObserver([this] {
        if (!syncPending_.exchange(true))
            QMetaObject::invokeMethod(this, &MainWindow::SyncGraphs, Qt::QueuedConnection);
    });
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::Poll);
    timer->start(150);
    Poll();
}

MainWindow::~MainWindow() {
    UnloadPlugins();
    host_->Graphs().SetObserver({});
    // The graph views hold the host; they go before it does.
    QMdiArea* mdi = std::exchange(mdi_, nullptr);
    windows_.clear();
    delete mdi;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(wbtext::kMenuFile);
    file->addAction(wbtext::kOpen, QKeySequence::Open, this, &MainWindow::OpenDialog);
    recentMenu_ = file->addMenu(wbtext::kRecent);
    file->addSeparator();
    file->addAction(wbtext::kExportPng, this, &MainWindow::ExportPngDialog);
    file->addAction(wbtext::kExportGraphPng, this, [this] {
        GraphWindow* w = ActiveGraphWindow();
        if (w && w->WidgetOf(ActiveGraph()))
            ExportGraphDialog(ActiveGraph());
        else
            dialogs_->Error(this, wbtext::kNoGraph);
    });
    file->addAction(wbtext::kExportCsv, this, &MainWindow::ExportCsvDialog);
    file->addSeparator();
    file->addAction(wbtext::kQuit, QKeySequence::Quit, this, &QWidget::close);

    QMenu* graph = menuBar()->addMenu(wbtext::kMenuGraph);
    graph->addAction(wbtext::kNewWindow, QKeySequence::New, this, [this] { NewGraphWindow(); });
    graph->addAction(wbtext::kAddGraph, this, &MainWindow::AddGraphToActive);
    QAction* spectrum = graph->addAction(wbtext::kNewSpectrum, QKeySequence(Qt::CTRL | Qt::Key_F),
                                         this, [this] { NewSpectrumOfSelection(); });
    spectrum->setIconText(wbtext::kSpectrumButton);
    QAction* map = graph->addAction(wbtext::kNewMap, QKeySequence(Qt::CTRL | Qt::Key_M), this,
                                    [this] { NewMapOfSelection(); });
    map->setIconText(wbtext::kMapButton);
    graph->addAction(wbtext::kSpectralParams, QKeySequence(Qt::CTRL | Qt::Key_P), this, [this] {
        if (!EditSpectralParams(ActiveGraph())) dialogs_->Error(this, wbtext::kNoSpectralGraph);
    });
    graph->addAction(wbtext::kAutoscale, this, [this] {
        if (GraphWindow* w = ActiveGraphWindow()) w->Autoscale();
    });
    graph->addSeparator();
    graph->addAction(wbtext::kXTime, this, [this] {
        if (GraphWindow* w = ActiveGraphWindow()) w->SetXSignal(0);
    });
    graph->addAction(wbtext::kXSignal, this, [this] {
        GraphWindow* w = ActiveGraphWindow();
        const int id = SelectedSignal();
        if (!w)
            dialogs_->Error(this, wbtext::kNoGraph);
        else if (!id)
            dialogs_->Error(this, wbtext::kNoSignalSelected);
        else
            w->SetXSignal(id);
    });
    graph->addSeparator();
    // Cursor B and the legends belong to the active window; the actions show
    // its state.
    cursorBAction_ = graph->addAction(wbtext::kCursorB, this, [this](bool on) {
        if (GraphWindow* w = ActiveGraphWindow()) w->SetCursorBOn(on);
        UpdateGraphActions();
    });
    cursorBAction_->setCheckable(true);
    cursorBAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    cursorBAction_->setToolTip(wbtext::kCursorBTip);
    legendAction_ = graph->addAction(wbtext::kLegend, this, [this](bool on) {
        if (GraphWindow* w = ActiveGraphWindow()) w->SetLegendShown(on);
        UpdateGraphActions();
    });
    legendAction_->setCheckable(true);
    legendAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    legendAction_->setToolTip(wbtext::kLegendTip);
    QAction* tile = graph->addAction(wbtext::kTile, mdi_, &QMdiArea::tileSubWindows);
    graphBar_ = addToolBar(wbtext::kGraphBar);
    graphBar_->setObjectName("graph");
    graphBar_->addActions({cursorBAction_, legendAction_, tile});
    graphBar_->addSeparator();
    graphBar_->addActions({spectrum, map});
    UpdateGraphActions();

    QMenu* view = menuBar()->addMenu(wbtext::kMenuView);
    for (QDockWidget* d : findChildren<QDockWidget*>()) view->addAction(d->toggleViewAction());
    view->addAction(pluginBar_->toggleViewAction());
    view->addAction(graphBar_->toggleViewAction());

    QMenu* help = menuBar()->addMenu(wbtext::kMenuHelp);
    help->addAction(wbtext::kAbout, this,
                    [this] { QMessageBox::about(this, wbtext::kAppName, wbtext::kAboutText); });
}

void MainWindow::UpdateGraphActions() {
    GraphWindow* w = ActiveGraphWindow();
    cursorBAction_->setEnabled(w != nullptr);
    legendAction_->setEnabled(w != nullptr);
    cursorBAction_->setChecked(w && w->CursorBOn());
    legendAction_->setChecked(!w || w->LegendShown());
}

void MainWindow::AddLog(const QString& line) {
    log_->appendPlainText(line);
}

QStringList MainWindow::Log() const {
    return log_->toPlainText().split('\n', Qt::SkipEmptyParts);
}

void MainWindow::LoadPlugins(const std::string& registryPath) {
    plat::reg::Registry reg;
    std::string message;
    if (!reg.Load(registryPath, &message)) {
        AddLog(QString(wbtext::kRegistryUnreadable).arg(QString::fromStdString(message)));
        return;
    }
    std::vector<std::string> log;
    const int n = plugins_->LoadRegistered(reg, log);
    for (const std::string& l : log) AddLog(QString::fromStdString(l));
    AddLog(QString(wbtext::kPluginsLoaded).arg(n));
    RebuildPluginBar();
}

void MainWindow::UnloadPlugins() {
    if (!plugins_) return;
    std::vector<std::string> log;
    plugins_->UnloadAll(&log);
    if (log_)
        for (const std::string& l : log) AddLog(QString::fromStdString(l));
}

bool MainWindow::OpenFile(const QString& path) {
    if (loading_) return false;  // the window stays live while a file loads
    korvex::ReadOptions options = readDefaults_;
    options.mapSamples = true;  // a long recording is read where it lies
    if (korvex::DataFileKind(path.toStdString()) == "CSV or text" &&
        !dialogs_->ImportText(this, path, options))
        return false;
    loading_ = true;
    Loaded loaded = LoadWithProgress(this, *host_, path, options);
    if (!loaded.folder && host_->LastLoadNeedsRate() &&
        dialogs_->AskRate(this, QString::fromStdString(loaded.message), options.rate))
        loaded = LoadWithProgress(this, *host_, path, options);
    loading_ = false;
    if (loaded.stopped) {
        AddLog(QString(wbtext::kOpenStopped).arg(path));
        return false;
    }
    auto folder = loaded.folder;
    if (!folder) {
        const QString message = QString::fromStdString(loaded.message);
        AddLog(message);
        dialogs_->Error(this, message);
        return false;
    }
    AddLog(QString(wbtext::kOpened).arg(path, QString::fromStdString(folder->Path())));
    for (const std::string& note : host_->LastLoadNotes())
        AddLog(QString(wbtext::kNote).arg(QString::fromStdString(note)));
    const QString abs = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(abs);
    recent_.prepend(abs);
    while (recent_.size() > kMaxRecent) recent_.removeLast();
    SaveRecent();
    UpdateRecentMenu();
    Poll();
    return true;
}

void MainWindow::LoadRecent() {
    recent_.clear();
    std::ifstream in(RecentPath().toStdString());
    std::string line;
    while (std::getline(in, line) && recent_.size() < kMaxRecent)
        if (!line.empty()) recent_ << QString::fromStdString(line);
    UpdateRecentMenu();
}

void MainWindow::SaveRecent() const {
    const QString path = RecentPath();
    if (path.isEmpty() || !plat::EnsureDataFolder()) return;
    std::string text;
    for (const QString& f : recent_) text += f.toStdString() + "\n";
    plat::WriteFileAtomic(path.toStdString(), text);
}

void MainWindow::UpdateRecentMenu() {
    recentMenu_->clear();
    for (const QString& f : recent_) recentMenu_->addAction(f, this, [this, f] { OpenFile(f); });
    if (recent_.isEmpty()) recentMenu_->addAction(wbtext::kRecentNone)->setEnabled(false);
}

void MainWindow::OpenDialog() {
    for (const QString& f : dialogs_->OpenFiles(this)) OpenFile(f);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) OpenFile(url.toLocalFile());
    e->acceptProposedAction();
}

// ---------------------------------------------------------------------------
// Tree and toolbar

void MainWindow::Poll() {
    const uint64_t changes = host_->ChangeCount(), updates = host_->UpdateCount();
    if (changes != seenChanges_ || updates != seenUpdates_) {
        RebuildTree();
        if (updates != seenUpdates_)
            for (const auto& [id, sw] : windows_)
                if (auto* gw = qobject_cast<GraphWindow*>(sw->widget())) gw->DataChanged();
        seenChanges_ = changes;
        seenUpdates_ = updates;
    }
    if (host_->Buttons().size() != seenButtons_) RebuildPluginBar();
    // Operators run on a plug-in's threads; their remarks come to the log here.
    for (const std::string& note : host_->TakeOperatorNotes())
        AddLog(QString(wbtext::kOperatorNote).arg(QString::fromStdString(note)));
}

void MainWindow::RebuildTree() {
    std::set<QString> expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->isExpanded()) expanded.insert((*it)->data(0, kPathRole).toString());
    tree_->clear();

    korvex::Lock lock = host_->LockTree();
    std::function<void(const korvex::FolderObj&, QTreeWidgetItem*)> fill =
        [&](const korvex::FolderObj& folder, QTreeWidgetItem* parent) {
            for (size_t i = 0; i < folder.CountLocked(); ++i) {
                const korvex::FolderObj::Entry e = folder.EntryLocked(i);
                auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
                item->setText(0, QString::fromStdString(e.name));
                const std::string base = folder.Path() == "/" ? "" : folder.Path();
                const QString path = QString::fromStdString(base + "/" + e.name);
                item->setData(0, kPathRole, path);
                if (e.kind == korvex::ItemFolder) {
                    auto sub = plat::DynamicCast<korvex::FolderObj>(e.object);
                    if (sub) fill(*sub, item);
                    // A folder seen for the first time opens down to the data
                    // sets; after that it keeps what the user made of it.
                    const bool known = !knownFolders_.insert(path).second;
                    item->setExpanded(known ? expanded.count(path) > 0 : path.count('/') <= 2);
                } else if (e.kind == korvex::ItemSignal) {
                    auto s = plat::DynamicCast<korvex::SignalObj>(e.object);
                    if (!s) continue;
                    const size_t n = s->SamplesLocked().size();
                    item->setData(0, kIdRole, s->Id());
                    item->setText(1, QString::fromStdString(s->UnitLocked()));
                    item->setText(2, QString::number(n));
                    item->setText(3, QString::number(s->StepXLocked(), 'g', 4));
                    item->setText(
                        4, QString::number(s->StepXLocked() * static_cast<double>(n), 'g', 6));
                    item->setFlags(item->flags() | Qt::ItemIsDragEnabled);
                } else {
                    item->setFlags(item->flags() & ~Qt::ItemIsDragEnabled);
                }
                if (e.kind == korvex::ItemFolder) {
                    item->setData(0, kFolderRole, true);
                    item->setFlags(item->flags() | Qt::ItemIsDragEnabled);
                }
            }
        };
    fill(*host_->Root(), nullptr);
}

void MainWindow::RebuildPluginBar() {
    pluginBar_->clear();
    const auto buttons = host_->Buttons();
    seenButtons_ = buttons.size();
    for (const auto& b : buttons) {
        const QString text = QString::fromStdString(b.text);
        const int cut = text.indexOf('\n');
        QAction* a = pluginBar_->addAction(ButtonIcon(b.bitmap), cut < 0 ? text : text.left(cut));
        a->setToolTip(cut < 0 ? text : text.mid(cut + 1));
        a->setObjectName(QString("command%1").arg(b.command));
        const int command = b.command;
        connect(a, &QAction::triggered, this, [this, command] { host_->PressButton(command); });
    }
}

int MainWindow::SelectedSignal() const {
    for (QTreeWidgetItem* i : tree_->selectedItems())
        if (int id = i->data(0, kIdRole).toInt()) return id;
    return 0;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    UnloadPlugins();
    e->accept();
}

}  // namespace workbench
