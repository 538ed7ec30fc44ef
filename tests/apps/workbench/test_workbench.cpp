// The workbench offscreen: files, graphs, cursors, plug-ins, operators, command line.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <cmath>
#include <cstdlib>

#include "korvex/formats/formats.h"
#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/startup.h"
#include "platform/registry.h"
#include "test_util.h"

using namespace workbench;

namespace {

class FakeDialogs : public Dialogs {
  public:
    QStringList OpenFiles(QWidget*) override { return open; }
    QString SaveFile(QWidget*, const QString&) override { return save; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    bool EditSpeedFromSpectrum(QWidget*, int&, korvex::OperatorParams& keys,
                               const std::vector<SpeedChoice>& signals) override {
        speedChoices = signals.size();
        if (speedKeys.empty()) return false;  // cancelled
        return keys.Parse(speedKeys);
    }
    std::string speedKeys;
    size_t speedChoices = 0;
    QStringList open;
    QString save;
    QStringList errors;
};

// A data set of two signals written as a host data file.
std::string WriteSample(const testutil::TempDir& dir) {
    auto host = korvex::CreateHost();
    auto add = [&](const char* name, const char* unit, double step, size_t n, double slope) {
        auto s = host->NewSignal();
        korvex::SignalData d;
        d.name = name;
        d.unit = unit;
        d.stepX = step;
        for (size_t i = 0; i < n; ++i) d.samples.push_back(slope * static_cast<double>(i));
        s->Assign(d);
        host->AddSignal("/Signals/set", name, s);
    };
    add("Acc1", "m/s^2", 0.001, 2000, 0.01);  // 2 s
    add("Speed", "rpm", 0.1, 21, 100.0);      // 0 to 2000 rpm over 2 s
    const std::string path = dir.Path("set.quor");
    EXPECT_TRUE(host->ExportFolder("/Signals/set", korvex::ExportFormat::Quor, path));
    return path;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& name) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == name) return *it;
    return nullptr;
}

// A data set of one signal "Long", 10 kHz, of n values of f(1e-3 i).
korvex::DataSet LongSignal(size_t n, double (*f)(double)) {
    korvex::DataSet ds;
    ds.signals.emplace_back();
    korvex::SignalData& d = ds.signals.back();
    d.name = "Long";
    d.stepX = 1e-4;
    for (size_t i = 0; i < n; ++i) d.samples.push_back(f(1e-3 * static_cast<double>(i)));
    return ds;
}

int SignalId(MainWindow& w, const char* path) {
    auto s = w.Host().FindSignal(path);
    return s ? s->Id() : 0;
}

plat::Variant CallGraphs(MainWindow& w, int id, std::vector<plat::Variant> args) {
    plat::Variant r;
    w.Host().Graphs().Invoke(id, plat::InvokeKind::Method, args, &r);
    return r;
}

class Workbench : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1);
        auto d = std::make_unique<FakeDialogs>();
        dialogs_ = d.get();
        w_ = std::make_unique<MainWindow>(std::move(d));
        w_->resize(1000, 700);
        w_->show();
        sample_ = WriteSample(dir_);
    }
    void TearDown() override {
        w_.reset();
        ::unsetenv("VANTREL_DATA_DIR");
    }
    // The window's first graph, laid out and painted.
    GraphView* ShowInNewWindow(int signalId) {
        EXPECT_TRUE(w_->ShowSignal(signalId));
        QApplication::processEvents();
        GraphWindow* gw = w_->ActiveGraphWindow();
        EXPECT_TRUE(gw);
        GraphView* v = gw ? gw->ActiveView() : nullptr;
        if (v) v->repaint();
        return v;
    }
    // Records what the host sends to an attached plug-in.
    std::vector<uint32_t>& Listen() {
        plat::Variant id;
        plat::Invoke(&w_->Host(), 68, plat::InvokeKind::Method, &id, "listener");
        w_->Host().AttachPlugin(id.AsInt32(),
                                [this](uint32_t code, plat::Variant*) { codes_.push_back(code); });
        return codes_;
    }

    testutil::TempDir dir_{"workbench"};
    FakeDialogs* dialogs_ = nullptr;
    std::unique_ptr<MainWindow> w_;
    std::string sample_;
    std::vector<uint32_t> codes_;
};

}  // namespace

TEST_F(Workbench, SpeedFromSpectrumRunsFromTheOperatorTree) {
    // Order 2 of a shaft running up from 20 to 30 Hz.
    korvex::SignalData d;
    d.unit = "m/s^2";
    d.stepX = 1.0 / 4096;
    double phase = 0;
    for (int i = 0; i < 4096 * 8; ++i) {
        phase += 2 * M_PI * 2 * (20.0 + 1.25 * i * d.stepX) * d.stepX;
        d.samples.push_back(std::sin(phase));
    }
    auto s = w_->Host().NewSignal();
    s->Assign(d);
    ASSERT_TRUE(w_->Host().AddSignal("/Signals/set", "acc", s));
    w_->Poll();
    QTreeWidgetItem* op = FindItem(w_->Tree(), "Обороты по спектру");
    ASSERT_TRUE(op);

    dialogs_->speedKeys = "order=2, startTime=4, startSpeed=25, numPoints=2048";
    Q_EMIT w_->Tree()->itemDoubleClicked(op, 0);
    EXPECT_EQ(dialogs_->speedChoices, 1u);
    const auto speed = w_->Host().FindSignal("/Signals/set/acc.speed");
    ASSERT_TRUE(speed);
    EXPECT_EQ(speed->Unit(), "Hz");
    EXPECT_NEAR(speed->Samples().front(), 20.0 + 1.25 * speed->StartX(), 0.05);
    EXPECT_TRUE(w_->Log().join("\n").contains("/Signals/set/acc.speed"));
    EXPECT_TRUE(FindItem(w_->Tree(), "acc.speed"));

    // Where no line runs the user is told so and nothing is filed.
    dialogs_->speedKeys = "order=2, startTime=4, startSpeed=60, numPoints=2048";
    EXPECT_FALSE(w_->RunSpeedFromSpectrum());
    ASSERT_EQ(dialogs_->errors.size(), 1);
    EXPECT_TRUE(dialogs_->errors[0].contains("no line stands out near 120 Hz"));
    EXPECT_FALSE(w_->Host().FindSignal("/Signals/set/acc.speed (2)"));
    dialogs_->speedKeys.clear();
    EXPECT_FALSE(w_->RunSpeedFromSpectrum());
}

TEST_F(Workbench, OpensAFileIntoTheTreeAndReportsAFileItCannotRead) {
    dialogs_->open = {QString::fromStdString(sample_)};
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    QTreeWidgetItem* acc = FindItem(w_->Tree(), "Acc1");
    ASSERT_TRUE(acc);
    EXPECT_EQ(acc->text(1), "m/s^2");
    EXPECT_EQ(acc->text(2), "2000");
    EXPECT_EQ(acc->text(3), "0.001");
    EXPECT_EQ(acc->text(4), "2");
    EXPECT_EQ(acc->parent()->text(0), "set");
    EXPECT_TRUE(acc->parent()->isExpanded());
    EXPECT_TRUE(FindItem(w_->Tree(), "Тахо"));
    EXPECT_EQ(w_->RecentFiles().value(0).toStdString(), sample_);

    const std::string bad = dir_.Path("broken.quor");
    testutil::WriteBytes(bad, "not a data file");
    EXPECT_FALSE(w_->OpenFile(QString::fromStdString(bad)));
    ASSERT_EQ(dialogs_->errors.size(), 1);
    EXPECT_TRUE(dialogs_->errors[0].contains("broken.quor"));
    EXPECT_TRUE(w_->Log().last().contains("broken.quor"));
    EXPECT_EQ(w_->RecentFiles().size(), 1);

    // The recent list outlives the window.
    w_ = std::make_unique<MainWindow>(std::make_unique<FakeDialogs>());
    EXPECT_EQ(w_->RecentFiles().value(0).toStdString(), sample_);
}

TEST_F(Workbench, ARecordingOnDiskShowsAtOnceAndItsOverviewFollows) {
    const std::string path = dir_.Path("long.quor");
    ASSERT_TRUE(
        korvex::WriteQuor(path, LongSignal(size_t{3} << 20, [](double x) { return std::sin(x); }))
            .ok);
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(path)));
    GraphView* v = ShowInNewWindow(SignalId(*w_, "/Signals/long/Long"));
    ASSERT_TRUE(v);
    // Drawn again as the worker reports, until the overview is in.
    for (int i = 0; i < 500 && v->PendingEnvelopes() > 0; ++i) {
        QTest::qWait(10);
        v->repaint();
    }
    EXPECT_EQ(v->PendingEnvelopes(), 0);
    double lo = 0, hi = 0;
    ASSERT_TRUE(v->DataExtent(lo, hi));
    EXPECT_NEAR(hi, 3 * 1048576 * 1e-4, 1e-3);

    // A window closed while its overview is read stops the worker.
    ShowInNewWindow(SignalId(*w_, "/Signals/long/Long"));
    w_.reset();
}

TEST_F(Workbench, ALongRecordingOfAnotherFormatOpensThroughItsCopy) {
    const std::string path = dir_.Path("long.uff");
    ASSERT_TRUE(korvex::WriteUff58(
                    path, LongSignal(size_t{1} << 17, [](double x) { return std::cos(x); }), true)
                    .ok);
    w_->SetCopyOptions(dir_.Path("copies"), 0);
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(path)));
    EXPECT_TRUE(w_->Log().join("\n").contains("Copied once into"))
        << w_->Log().join("\n").toStdString();
    QTreeWidgetItem* item = FindItem(w_->Tree(), "Long");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(2), "131072");
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(path)));
    EXPECT_TRUE(w_->Log().join("\n").contains("Read from its copy"));
}

TEST_F(Workbench, SignalDroppedFromTheTreeLandsInTheGraph) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    const int window = w_->NewGraphWindow();
    QApplication::processEvents();
    GraphView* v = w_->WindowOf(window)->ActiveView();
    ASSERT_TRUE(v);

    // What the tree hands to a drag.
    QTreeWidgetItem* item = FindItem(w_->Tree(), "Speed");
    ASSERT_TRUE(item);
    const int id = SignalId(*w_, "/Signals/set/Speed");
    QAbstractItemModel* model = w_->Tree()->model();
    const QModelIndex index = w_->Tree()->indexFromItem(item);
    EXPECT_TRUE(model->flags(index) & Qt::ItemIsDragEnabled);
    // A folder drags as its path (strips for a spectrum or map), which a
    // time graph does not take.
    const QModelIndex folder = w_->Tree()->indexFromItem(item->parent());
    EXPECT_TRUE(model->flags(folder) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> folderMime(model->mimeData({folder}));
    ASSERT_TRUE(folderMime);
    EXPECT_EQ(FolderPathsFromMime(*folderMime), QStringList{"/Signals/set"});
    EXPECT_FALSE(v->DropSignals(*folderMime));
    std::unique_ptr<QMimeData> mime(model->mimeData({index}));
    ASSERT_TRUE(mime);
    EXPECT_TRUE(v->DropSignals(*mime));
    EXPECT_FALSE(v->DropSignals(QMimeData()));
    QApplication::processEvents();
    EXPECT_EQ(v->SignalIds(), std::vector<int>{id});
    // The graph service answers what the window shows.
    EXPECT_EQ(CallGraphs(*w_, 15, {v->GraphId()}).AsInt32(), 1);
    EXPECT_EQ(CallGraphs(*w_, 19, {v->GraphId(), 0}).AsInt32(), id);
    // The window took the signal's time span.
    EXPECT_DOUBLE_EQ(w_->WindowOf(window)->Lo(), 0.0);
    EXPECT_DOUBLE_EQ(w_->WindowOf(window)->Hi(), 2.0);
}

TEST_F(Workbench, CursorMovesSendTheEventAndTheServiceAnswersThePosition) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    const int acc = SignalId(*w_, "/Signals/set/Acc1");
    GraphView* v = ShowInNewWindow(acc);
    ASSERT_TRUE(v);
    GraphWindow* gw = w_->ActiveGraphWindow();
    w_->Host().Graphs().AddGraph(gw->WindowId());
    QApplication::processEvents();
    ASSERT_EQ(gw->Views().size(), 2u);
    GraphView* lower = gw->Views()[1];
    auto& codes = Listen();

    // A click in the lower graph: the cursor goes there for both graphs.
    const QRectF r = lower->PlotRect();
    QTest::mouseClick(lower, Qt::LeftButton, {}, QPoint(static_cast<int>(r.center().x()), 30));
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0], 0x2FFFFu);
    const double x = gw->CursorTime();
    EXPECT_NEAR(x, 1.0, 2.0 / r.width());
    EXPECT_EQ(CallGraphs(*w_, 27, {}).AsInt32(), gw->WindowId());
    EXPECT_EQ(CallGraphs(*w_, 60, {gw->WindowId()}).AsInt32(), 1);
    EXPECT_EQ(CallGraphs(*w_, 28, {gw->WindowId()}).AsInt32(), lower->GraphId());
    for (GraphView* g : gw->Views()) {
        plat::Variant out;
        CallGraphs(*w_, 46, {g->GraphId(), plat::Variant::ByRef(out), false});
        EXPECT_DOUBLE_EQ(out.AsDouble(), x);
    }

    // Keys and a drag move it too, one event per move; the curves are not
    // drawn again for any of them.
    v->setFocus();
    v->repaint();
    const int renders = v->BaseRenders();
    QTest::keyClick(v, Qt::Key_Right);
    EXPECT_GT(gw->CursorTime(), x);
    EXPECT_EQ(CallGraphs(*w_, 28, {gw->WindowId()}).AsInt32(), v->GraphId());
    QTest::mousePress(v, Qt::LeftButton, {}, QPoint(100, 40));
    for (int px = 110; px < 200; px += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(px, 40), v->mapToGlobal(QPointF(px, 40)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v, &move);
        QApplication::processEvents();  // the service's change comes back posted
        v->repaint();
    }
    QTest::mouseRelease(v, Qt::LeftButton, {}, QPoint(200, 40));
    EXPECT_EQ(codes.size(), 1u + 1u + 1u + 9u);
    EXPECT_EQ(v->BaseRenders(), renders);
    plat::Variant out;
    CallGraphs(*w_, 46, {v->GraphId(), plat::Variant::ByRef(out), false});
    EXPECT_DOUBLE_EQ(out.AsDouble(), gw->CursorTime());
    EXPECT_NEAR(gw->CursorTime(), gw->Lo() + (190 - r.left()) / r.width() * (gw->Hi() - gw->Lo()),
                1e-9);

    // Zooming redraws the curves.
    QTest::keyClick(v, Qt::Key_Plus);
    v->repaint();
    EXPECT_GT(v->BaseRenders(), renders);
    EXPECT_LT(gw->Hi() - gw->Lo(), 2.0);
}

TEST_F(Workbench, WindowsMirrorTheServiceWhoeverChangesIt) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    // A plug-in builds a window through the dispatch calls.
    const int window = CallGraphs(*w_, 2, {}).AsInt32();
    CallGraphs(*w_, 4, {window});
    CallGraphs(*w_, 4, {window});
    const int g2 = CallGraphs(*w_, 17, {window, 1}).AsInt32();
    const int id = SignalId(*w_, "/Signals/set/Speed");
    CallGraphs(*w_, 7, {g2, -1, id});
    EXPECT_FALSE(w_->WindowOf(window));  // posted, not yet shown
    QApplication::processEvents();
    GraphWindow* gw = w_->WindowOf(window);
    ASSERT_TRUE(gw);
    ASSERT_EQ(gw->Views().size(), 2u);
    EXPECT_EQ(gw->Views()[1]->SignalIds(), std::vector<int>{id});

    // The service's cursor shows in the window.
    w_->Host().MoveCursor(g2, 1.5);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(gw->CursorTime(), 1.5);

    // Removing a signal and closing the window reach the service.
    w_->Host().Graphs().RemoveSignal(g2, id);
    QApplication::processEvents();
    EXPECT_TRUE(gw->Views()[1]->SignalIds().empty());
    gw->parentWidget()->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w_->WindowOf(window));
    EXPECT_EQ(CallGraphs(*w_, 60, {window}).AsInt32(), 0);
}

TEST_F(Workbench, TreeAndGraphsFollowWhatAPluginWrites) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    const int acc = SignalId(*w_, "/Signals/set/Acc1");
    GraphView* v = ShowInNewWindow(acc);
    ASSERT_TRUE(v);
    const int renders = v->BaseRenders();

    // A result filed by a plug-in shows in the tree on the next poll.
    auto s = w_->Host().NewSignal();
    korvex::SignalData d;
    d.samples = {1, 2, 3};
    s->Assign(d);
    ASSERT_TRUE(w_->Host().AddSignal("/Signals/Результаты/set/Acc1", "Acc1.1X", s));
    EXPECT_FALSE(FindItem(w_->Tree(), "Acc1.1X"));
    w_->Poll();
    QTreeWidgetItem* item = FindItem(w_->Tree(), "Acc1.1X");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(2), "3");

    // Samples changed in place show after UpdateViews.
    v->repaint();
    EXPECT_EQ(v->BaseRenders(), renders);
    plat::Invoke(w_->Host().FindSignal("/Signals/set/Acc1").get(), 19, plat::InvokeKind::Method,
                 nullptr, 5, 1000.0);
    plat::Invoke(&w_->Host(), 9, plat::InvokeKind::Method, nullptr);
    w_->Poll();
    v->repaint();
    EXPECT_EQ(v->BaseRenders(), renders + 1);

    // What an operator run by a plug-in repaired shows in the log.
    auto op =
        plat::DynamicCast<korvex::ProcessingOperator>(w_->Host().FindObject(korvex::kTachoPath));
    ASSERT_TRUE(op);
    korvex::SignalData pulses;
    pulses.stepX = 1e-3;
    for (int i = 0; i < 4000; ++i) pulses.samples.push_back(i % 50 < 10 && i / 50 != 30 ? 1 : 0);
    auto tacho = w_->Host().NewSignal();
    tacho->Assign(pulses);
    plat::ObjPtr<korvex::SignalObj> speed;
    ASSERT_EQ(op->Run(tacho, speed), 0);
    w_->Poll();
    EXPECT_TRUE(w_->Log().last().contains("1 missing pulse filled"))
        << w_->Log().last().toStdString();
}

TEST_F(Workbench, PlotsAgainstASignalAndExportsTheGraph) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    GraphView* v = ShowInNewWindow(SignalId(*w_, "/Signals/set/Acc1"));
    ASSERT_TRUE(v);
    GraphWindow* gw = w_->ActiveGraphWindow();
    gw->SetXSignal(SignalId(*w_, "/Signals/set/Speed"));
    EXPECT_DOUBLE_EQ(gw->Lo(), 0.0);
    EXPECT_DOUBLE_EQ(gw->Hi(), 2000.0);
    EXPECT_DOUBLE_EQ(gw->XOfTime(0.55), 550.0);
    EXPECT_NEAR(gw->TimeOfX(1234.0), 1.2, 1e-12);  // the nearest speed sample
    gw->MoveCursor(1.0, v->GraphId());
    v->repaint();

    const std::string csv = dir_.Path("graph.csv");
    ASSERT_TRUE(w_->ExportActiveCsv(QString::fromStdString(csv)));
    EXPECT_EQ(testutil::ReadBytes(csv).substr(0, 32), "x,Acc1 [m/s^2]\n0,0\n0.001,0.01\n0.");
    const std::string png = dir_.Path("graph.png");
    ASSERT_TRUE(w_->ExportActivePng(QString::fromStdString(png)));
    QImage img(QString::fromStdString(png));
    EXPECT_GT(img.width(), 300);
    EXPECT_FALSE(w_->ExportActivePng(QString::fromStdString(dir_.Path("no/such/dir/g.png"))));
    EXPECT_EQ(dialogs_->errors.size(), 1);
}

TEST_F(Workbench, RegisteredPluginGetsItsButtonsCommandsAndEvents) {
    void* probe = ::dlopen(KVX_PROBE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(probe);
    auto log = reinterpret_cast<const char* (*)()>(::dlsym(probe, "ProbeLog"));
    const size_t start = std::string(log()).size();
    const std::string cmd = std::string("'") + KVX_REGSVR + "' -s '" + KVX_PROBE_PLUGIN + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    // A second, broken registration is reported and skipped.
    ASSERT_TRUE(plat::reg::Update(plat::reg::DefaultRegistryPath(), [&](plat::reg::Registry& r) {
        r.SetString(plat::reg::Root::LocalMachine, "Software\\QUOR\\Korvex\\COMPlugins",
                    dir_.Path("gone.so"), "kvxProbe.Probe");
        return true;
    }));

    w_->LoadPlugins(plat::reg::DefaultRegistryPath());
    const QString all = w_->Log().join('\n');
    EXPECT_TRUE(all.contains("gone.so (kvxProbe.Probe): cannot be loaded")) << all.toStdString();
    EXPECT_TRUE(all.contains("1 plug-in(s) loaded"));
    const auto actions = w_->PluginBar()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Probe");
    EXPECT_EQ(actions[0]->toolTip(), "Probe the cursor");
    EXPECT_FALSE(actions[0]->icon().isNull());
    actions[0]->trigger();

    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    GraphView* v = ShowInNewWindow(SignalId(*w_, "/Signals/set/Acc1"));
    ASSERT_TRUE(v);
    QTest::mouseClick(v, Qt::LeftButton, {}, QPoint(static_cast<int>(v->PlotRect().left()), 30));
    w_->close();
    w_.reset();
    const std::string seen = std::string(log()).substr(start);
    EXPECT_NE(seen.find("button 1"), std::string::npos) << seen;
    EXPECT_NE(seen.find("execute 0x2FFFF window=1 kind=1 graph=1 signals=1 first=Acc1 x=0\n"),
              std::string::npos)
        << seen;
    EXPECT_NE(seen.find("shutdown\nreleased\n"), std::string::npos) << seen;
    ::dlclose(probe);
}

TEST_F(Workbench, CursorBMeasuresAgainstAAndStackedGraphsLineUp) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    auto big = w_->Host().NewSignal();
    korvex::SignalData d;
    d.samples = {0.0, 150000.0, 0.0};
    big->Assign(d);
    ASSERT_TRUE(w_->Host().AddSignal("/Signals/set", "Big", big));
    Options o;
    o.graphs = {{{"/Signals/set/Acc1"}}, {{"/Signals/set/Speed", "/Signals/set/Big"}}};
    o.cursor = 0.5;
    ASSERT_EQ(ShowRequestedViews(*w_, o), "");
    QApplication::processEvents();
    GraphWindow* gw = w_->ActiveGraphWindow();
    ASSERT_TRUE(gw && gw->Views().size() == 2u);
    EXPECT_TRUE(gw->parentWidget()->isMaximized());  // a new window fills the area
    GraphView* acc = gw->Views()[0];
    GraphView* speed = gw->Views()[1];
    for (GraphView* v : gw->Views()) v->repaint();
    // Labels up to "20" and up to "150000": both take the wider axis.
    EXPECT_GT(speed->AxisWanted(), acc->AxisWanted());
    EXPECT_EQ(acc->PlotRect().left(), speed->AxisWanted());
    EXPECT_EQ(speed->PlotRect().left(), speed->AxisWanted());
    EXPECT_EQ(acc->PlotRect().right(), speed->PlotRect().right());
    EXPECT_GT(acc->LegendRect().left(), acc->PlotRect().right());

    // B turns on from its key; the menu action shows it, and B stands a
    // tenth of the view right of A.
    QAction* bAction = w_->GraphBar()->actions().value(0);
    ASSERT_TRUE(bAction);
    EXPECT_FALSE(bAction->isChecked());
    QTest::keyClick(speed, Qt::Key_B);
    EXPECT_TRUE(gw->CursorBOn());
    EXPECT_TRUE(bAction->isChecked());
    EXPECT_DOUBLE_EQ(gw->CursorB(), 0.5 + 0.2);
    acc->repaint();

    // Moving B leaves A, the plug-ins and the curves alone.
    auto& codes = Listen();
    const int renders = acc->BaseRenders();
    const QRectF r = acc->PlotRect();
    const double px = r.left() + 0.75 * r.width();  // t = 1.5 s
    QTest::mouseClick(acc, Qt::LeftButton, Qt::ShiftModifier, QPoint(static_cast<int>(px), 30));
    const double tb = gw->CursorB();
    EXPECT_NEAR(tb, 1.5, 2.0 / r.width());
    QTest::keyClick(acc, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_GT(gw->CursorB(), tb);
    // A press on B's line drags B, not A.
    const double onB = r.left() + gw->CursorB() / 2.0 * r.width();
    QTest::mouseClick(acc, Qt::LeftButton, {}, QPoint(static_cast<int>(std::lround(onB)) + 2, 30));
    EXPECT_DOUBLE_EQ(gw->CursorTime(), 0.5);
    EXPECT_TRUE(codes.empty());
    acc->repaint();
    EXPECT_EQ(acc->BaseRenders(), renders);
    gw->MoveCursorB(1.5);
    EXPECT_EQ(gw->ReadoutText().toStdString(), "A 0.5 s   B 1.5 s   \u0394t 1 s   1/\u0394t 1 Hz");

    // The legend hides (its key) and the plots take the width.
    const double plotW = r.width();
    QTest::keyClick(acc, Qt::Key_L);
    EXPECT_FALSE(gw->LegendShown());
    EXPECT_EQ(gw->LegendWidth(), 0.0);
    EXPECT_GT(acc->PlotRect().width(), plotW);
    EXPECT_FALSE(w_->GraphBar()->actions().value(1)->isChecked());

    // A single graph saves as PNG of its own size.
    const std::string png = dir_.Path("speed.png");
    ASSERT_TRUE(w_->ExportGraphPng(speed->GraphId(), QString::fromStdString(png)));
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), speed->size());

    // A view that cannot be shown is named; nothing new opens.
    o.graphs = {{{"/Signals/set/Nope"}}};
    EXPECT_EQ(ShowRequestedViews(*w_, o), "--graph: no signal /Signals/set/Nope");
    EXPECT_EQ(w_->Host().Graphs().Windows().size(), 1u);
}

TEST_F(Workbench, LongLegendScrollsWithTheWheel) {
    ASSERT_TRUE(w_->OpenFile(QString::fromStdString(sample_)));
    const int window = w_->NewGraphWindow();
    QApplication::processEvents();
    GraphView* v = w_->WindowOf(window)->ActiveView();
    ASSERT_TRUE(v);
    for (int i = 0; i < 40; ++i) {
        auto s = w_->Host().NewSignal();
        korvex::SignalData d;
        d.samples = {1.0 * i, 2.0 * i};
        s->Assign(d);
        ASSERT_TRUE(w_->Host().AddSignal("/Signals/many", "s" + std::to_string(i), s));
        w_->Host().Graphs().AddSignal(v->GraphId(), s->Id());
    }
    w_->SyncGraphs();
    v->repaint();
    const QPointF over = v->LegendRect().center();
    auto wheel = [&](int delta) {
        QWheelEvent e(over, v->mapToGlobal(over), {}, QPoint(0, delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(v, &e);
    };
    const double lo = w_->WindowOf(window)->Lo(), hi = w_->WindowOf(window)->Hi();
    wheel(-120);
    EXPECT_EQ(v->LegendFirst(), 2);
    for (int i = 0; i < 30; ++i) wheel(-120);
    const int last = v->LegendFirst();
    EXPECT_LT(last, 40);  // stops with the last row at the bottom
    wheel(-120);
    EXPECT_EQ(v->LegendFirst(), last);
    EXPECT_EQ(w_->WindowOf(window)->Lo(), lo);  // no zoom while over the legend
    EXPECT_EQ(w_->WindowOf(window)->Hi(), hi);
}

TEST_F(Workbench, CommandLineRendersTheRequestedViewOffscreen) {
    const std::string png = dir_.Path("view.png"), err = dir_.Path("err.txt");
    const std::string run = std::string("'") + KVX_WORKBENCH + "' --size 900x600 --screenshot '" +
                            png + "' --graph /Signals/set/Acc1 --graph /Signals/set/Speed" +
                            " --cursor 0.5 --cursor-b 1.5 '" + sample_ + "' 2>'" + err + "'";
    ASSERT_EQ(std::system(run.c_str()), 0) << testutil::ReadBytes(err);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(900, 600));

    const std::string bad = std::string("'") + KVX_WORKBENCH + "' --screenshot '" + png +
                            "' --graph /Signals/set/Nope '" + sample_ + "' 2>'" + err + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 3);
    EXPECT_NE(testutil::ReadBytes(err).find("no signal /Signals/set/Nope"), std::string::npos);
    const std::string usage = std::string("'") + KVX_WORKBENCH + "' --cursor 1,5 2>'" + err + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(usage.c_str())), 2);
    EXPECT_NE(testutil::ReadBytes(err).find("--cursor 1,5: not a number"), std::string::npos);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
