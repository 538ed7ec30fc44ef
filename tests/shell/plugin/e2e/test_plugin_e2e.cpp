// The whole loop as a person goes through it, offscreen: the workbench loads
// the registered plug-in, the main dialog is confirmed with the calculate
// button, the calculation runs under the progress window, the results show
// in a graph window, the report window follows the cursor and writes
// entries, the add-point command fills a report, and the settings of one
// start are there at the next. Once with the plug-in's own texts, once with
// the English library beside it.
//
// The plug-in's windows live in its library; they are found here through
// Qt's own classes and the control ids of their templates.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mainwindow.h"
#include "platform/registry.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

// Control ids of the plug-in's templates.
constexpr int kOk = 1, kCalc = 1039, kResultEdit = 1014, kProgStatus = 1049, kList = 1010,
              kReportButton = 1039, kReportFile = 1057, kOpenReport = 1071;

struct Language {
    const char* tag;
    bool english;
    const char* buttons[4];
    const char* calc;
    const char* done;       // the progress window's last status line
    const char* reportTip;  // caption prefix of the report window after a cursor move
};

const Language kRussian = {"ru",
                           false,
                           {"Vantrel\nVantrel", "Отчет\nПоказать таблицу с отчетом",
                            "Добавить точку в отчет\nДобавить точку в отчет",
                            "Тренд по сводке\nПоказать тренд полосы по сводной таблице замеров"},
                           "Расчет",
                           "Расчет закончен",
                           "Отчет, время: "};
const Language kEnglish = {"en",
                           true,
                           {"Vantrel\nVantrel", "Report\nShow the report table",
                            "Add a point to the report\nAdd a point to the report",
                            "Trend from summary\nShow a band's trend from a summary of recordings"},
                           "Calculate",
                           "Calculation finished",
                           "Report, time: "};

// A control of a plug-in window by its template id: host's own children
// first, then anywhere below it.
QWidget* Control(QWidget* host, int id) {
    if (!host) return nullptr;
    for (QObject* o : host->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->property("ctrlId").toInt() == id) return w;
    for (QWidget* w : host->findChildren<QWidget*>())
        if (w->property("ctrlId").toInt() == id) return w;
    return nullptr;
}
template <class T>
T* Ctl(QWidget* host, int id) {
    return qobject_cast<T*>(Control(host, id));
}

// Calls step on the modal dialog that shows next (other than notThis) from
// inside its loop, every 20 ms until step returns true. A dialog that is not
// done within the time limit is rejected, so a failing test cannot hang.
// Parent of the pollers; a test ends by deleting the ones still waiting.
QObject* Pollers() {
    static QObject* p = new QObject(qApp);
    return p;
}

void OnModal(std::function<bool(QDialog*)> step, QDialog* notThis = nullptr, int limitMs = 60000) {
    auto* timer = new QTimer(Pollers());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (clock->elapsed() > limitMs) {
            ADD_FAILURE() << "a modal window was not done in time";
            timer->deleteLater();
            timer->stop();
            if (d) d->reject();
            return;
        }
        if (!d || d == notThis) return;
        if (step(d)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

void Click(QWidget* host, int id) {
    auto* b = Ctl<QAbstractButton>(host, id);
    ASSERT_TRUE(b) << "no button " << id;
    b->click();
}

// The visible report window: a dialog that is not modal with a report-file edit.
QDialog* ReportWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w);
            d && d->isVisible() && !d->isModal() && Control(d, kReportFile))
            return d;
    return nullptr;
}

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

class PluginInWorkbench : public ::testing::TestWithParam<const Language*> {
  protected:
    void SetUp() override {
        const Language& lang = *GetParam();
        data_ = dir_.path() / "data";
        ::setenv("VANTREL_DATA_DIR", data_.c_str(), 1);
        const std::string demo = (dir_.path() / "demo").string();
        ASSERT_EQ(std::system(("'" + std::string(VANTREL_CLI) +
                               "' demo --quiet --duration 20 --out '" + demo + "' > /dev/null")
                                  .c_str()),
                  0);
        sample_ = demo + "/sample/gearbox.quor";
        library_ = VANTREL_PLUGIN;
        if (lang.english) {
            // A copy with the English library beside it.
            const fs::path folder = dir_.path() / "en";
            fs::create_directories(folder);
            fs::copy_file(VANTREL_PLUGIN, folder / "libplgVantrel.so");
            fs::copy_file(VANTREL_LANG_ENU, folder / "plgVantrel_ENU.so");
            library_ = (folder / "libplgVantrel.so").string();
        }
        ASSERT_EQ(std::system(("'" + std::string(KVX_REGSVR) + "' -s '" + library_ + "'").c_str()),
                  0);
        // The demo configuration names its section files relative to its
        // own folder, as shipped, and the workbench runs from elsewhere.
        ASSERT_FALSE(fs::exists("shafts.json"));
        // First start: the settings name the demo configuration and data file.
        fs::create_directories(data_);
        testutil::WriteBytes((data_ / "plgVantrel.cfg").string(),
                             "[general]\r\ncfgFile=" + demo +
                                 "/config/gearbox.cfg\r\nsrcFileKorvex=gearbox\r\n"
                                 "srcFileDir=" +
                                 sample_ + "\r\n");
    }
    void TearDown() override {
        qDeleteAll(Pollers()->children());
        ::unsetenv("VANTREL_DATA_DIR");
    }

    std::unique_ptr<workbench::MainWindow> Start() {
        auto w = std::make_unique<workbench::MainWindow>();
        w->resize(1280, 800);
        w->LoadPlugins(plat::reg::DefaultRegistryPath());
        EXPECT_TRUE(w->OpenFile(QString::fromStdString(sample_)));
        w->show();
        w->activateWindow();
        Settle();
        return w;
    }
    static QAction* Button(workbench::MainWindow& w, int index) {
        const auto actions = w.PluginBar()->actions();
        return index < actions.size() ? actions[index] : nullptr;
    }
    std::string ReportText() const { return testutil::ReadBytes((data_ / "Report.rtf").string()); }
    // Saves what a person sees when VANTREL_SHOTS_DIR names a folder: the
    // workbench with the report window over its lower right corner.
    static void Shot(workbench::MainWindow& w, QDialog* report, const std::string& name) {
        const char* dir = std::getenv("VANTREL_SHOTS_DIR");
        if (!dir || !*dir) return;
        QImage image = w.grab().toImage();
        if (report) {
            const QImage r = report->grab().toImage();
            QPainter p(&image);
            const QPoint at(image.width() - r.width() - 16, image.height() - r.height() - 40);
            p.fillRect(QRect(at - QPoint(1, 1), r.size() + QSize(2, 2)), Qt::darkGray);
            p.drawImage(at, r);
        }
        image.save(QString::fromStdString(std::string(dir) + "/" + name), "PNG");
    }

    testutil::TempDir dir_{"plugin-e2e"};
    fs::path data_;
    std::string sample_, library_;
};

}  // namespace

TEST_P(PluginInWorkbench, CalculatesShowsReportsAndKeepsItsSettings) {
    const Language& lang = *GetParam();
    auto w = Start();
    ASSERT_EQ(w->PluginBar()->actions().size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(
            Button(*w, i)->text().toStdString() + "\n" + Button(*w, i)->toolTip().toStdString(),
            lang.buttons[i]);

    // Main command: a result name typed on the general page, then the
    // calculate button; the progress window is closed once it says done.
    bool sawDialog = false, sawDone = false;
    OnModal([&](QDialog* main) {
        auto* calc = Ctl<QAbstractButton>(main, kCalc);
        if (!calc) return false;
        sawDialog = true;
        EXPECT_EQ(calc->text().toStdString(), lang.calc);
        if (auto* result = Ctl<QLineEdit>(main, kResultEdit)) result->setText("e2e-result");
        OnModal(
            [&](QDialog* progress) {
                auto* status = Ctl<QLabel>(progress, kProgStatus);
                if (!status || status->text().toStdString() != lang.done) return false;
                sawDone = true;
                Click(progress, kOk);
                return true;
            },
            main);
        calc->click();
        return true;
    });
    Button(*w, 0)->trigger();
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(sawDone);
    w->SyncGraphs();
    Settle();

    // The result graphs: one window, a graph per graph number used.
    const auto windows = w->Host().Graphs().Windows();
    ASSERT_EQ(windows.size(), 1u);
    const auto& graphs = windows[0].graphs;
    ASSERT_EQ(graphs.size(), 4u);
    auto on = [&](size_t graph, const std::string& name) {
        const auto& n = graphs[graph].signalNames;
        return std::find(n.begin(), n.end(), name) != n.end();
    };
    EXPECT_TRUE(on(0, "Acc1"));                  // channel, number 1
    EXPECT_TRUE(on(1, "Acc1.Вход 1x"));          // band, number 2
    EXPECT_TRUE(on(2, "Acc1.Зубцовая 23x"));     // number 3
    EXPECT_TRUE(on(3, "Acc1.Наружное кольцо"));  // number 4
    EXPECT_FALSE(on(1, "Acc1.Выход 2x"));        // not shown
    workbench::GraphWindow* gw = w->WindowOf(windows[0].id);
    ASSERT_TRUE(gw);
    gw->Autoscale();

    // Report button: the window shows; a cursor move fills its table.
    Button(*w, 1)->trigger();
    Settle();
    QDialog* report = ReportWindow();
    ASSERT_TRUE(report);
    gw->MoveCursor(10.7, graphs[0].id);
    Settle();
    auto* list = Ctl<QTableWidget>(report, kList);
    ASSERT_TRUE(list);
    ASSERT_GT(list->rowCount(), 0);
    int levels = 0;
    for (int r = 0; r < list->rowCount(); ++r)
        if (list->item(r, 3) && !list->item(r, 3)->text().isEmpty()) ++levels;
    EXPECT_GT(levels, 10);
    EXPECT_EQ(report->windowTitle().toStdString().rfind(lang.reportTip, 0), 0u)
        << report->windowTitle().toStdString();
    Shot(*w, report, std::string("plugin-") + lang.tag + ".png");

    // "Отчет" appends an entry to the report file.
    const size_t before = ReportText().size();
    Click(report, kReportButton);
    const size_t afterOne = ReportText().size();
    EXPECT_GT(afterOne, before);

    // The button hides the window, and shows it again.
    Button(*w, 1)->trigger();
    EXPECT_FALSE(report->isVisible());
    Button(*w, 1)->trigger();
    EXPECT_TRUE(report->isVisible());

    // Add point: the automatic-report dialog is confirmed with its first
    // program, the fill appends one entry per steady mode, a box says so.
    bool sawAuto = false, sawBox = false;
    OnModal([&](QDialog* autoDlg) {
        sawAuto = true;
        OnModal(
            [&](QDialog* box) {
                sawBox = qobject_cast<QMessageBox*>(box) != nullptr;
                box->accept();
                return true;
            },
            autoDlg);
        // The report file is not opened with the desktop here.
        if (auto* open = Ctl<QAbstractButton>(autoDlg, kOpenReport)) open->setChecked(false);
        Click(autoDlg, kOk);
        return true;
    });
    Button(*w, 2)->trigger();
    EXPECT_TRUE(sawAuto);
    EXPECT_TRUE(sawBox);
    EXPECT_GT(ReportText().size(), afterOne + 100);

    // Shut-down saves the settings; the next start has them.
    w->UnloadPlugins();
    w.reset();
    const std::string settings = testutil::ReadBytes((data_ / "plgVantrel.cfg").string());
    EXPECT_NE(settings.find("e2e-result"), std::string::npos);
    EXPECT_NE(settings.find("[reportDlg]"), std::string::npos);

    w = Start();
    std::string shownResult;
    OnModal([&](QDialog* main) {
        if (auto* result = Ctl<QLineEdit>(main, kResultEdit))
            shownResult = result->text().toStdString();
        main->reject();
        return true;
    });
    Button(*w, 0)->trigger();
    EXPECT_EQ(shownResult, "e2e-result");
    w->UnloadPlugins();
}

INSTANTIATE_TEST_SUITE_P(Languages, PluginInWorkbench, ::testing::Values(&kRussian, &kEnglish),
                         [](const auto& info) { return std::string(info.param->tag); });

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
