// korvex-workbench: the stand-in measurement host as a desktop program.
//
//   korvex-workbench [OPTION...] [DATAFILE...]     (--help lists the options)
//
// Opens the data files, loads the plug-ins registered in the registry file
// (default: the one in the host's data folder), lays out the views the
// options ask for and shows the main window. With --screenshot it saves the
// window as PNG and exits; without requested views the first data set is
// laid out in a graph window with two graphs and the cursor.
//
// Exit status: 0 done, 1 bad command line, 2 the PNG cannot be written,
// 3 a data file or a requested view cannot be shown (with --screenshot).

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "apps/common/qt_quiet.h"
#include "apps/common/version.h"
#include "apps/workbench/cmdline.h"
#include "apps/workbench/language.h"
#include "apps/workbench/mainwindow.h"
#include "apps/workbench/startup.h"
#include "platform/registry.h"

namespace {

// A run that saves a picture has nobody to answer a dialog.
class ConsoleDialogs : public workbench::Dialogs {
  public:
    QStringList OpenFiles(QWidget*) override { return {}; }
    QString SaveFile(QWidget*, const QString&) override { return {}; }
    void Error(QWidget*, const QString& text) override {
        std::fprintf(stderr, "korvex-workbench: %s\n", text.toLocal8Bit().constData());
    }
};

// --version and --help are answered before Qt starts, so that they need no
// display.
bool AnswerInfo(int argc, char** argv) {
    bool help = false;
    for (int i = 1; i < argc; ++i) help = help || std::strcmp(argv[i], "--help") == 0;
    if (!help && !appversion::AsksVersion(argc, argv)) return false;
    const std::string text = appversion::VersionText(
        "korvex-workbench",
        {appversion::FftwVersion(), appversion::MatioVersion(), appversion::QtVersion()});
    std::fputs(text.c_str(), stdout);
    if (help) std::fputs(workbench::Usage().c_str(), stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerInfo(argc, argv)) return 0;
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (const QString& a : app.arguments().mid(1)) args.push_back(a.toStdString());
    const workbench::ParseResult parsed = workbench::ParseCommandLine(args);
    if (!parsed.Ok()) {
        std::fprintf(stderr, "korvex-workbench: %s\n%s", parsed.error.c_str(),
                     workbench::Usage().c_str());
        return 2;
    }
    const workbench::Options& o = parsed.options;
    if (o.help) {
        std::fputs(workbench::Usage().c_str(), stdout);
        return 0;
    }
    workbench::InstallLanguage(workbench::ChooseLanguage(QString::fromStdString(o.lang)));
    const bool shot = !o.screenshot.empty();
    workbench::MainWindow w(shot ? std::make_unique<ConsoleDialogs>() : nullptr);
    w.resize(o.width, o.height);
    w.LoadPlugins(o.registry.empty() ? plat::reg::DefaultRegistryPath() : o.registry);
    bool opened = true;
    for (const std::string& f : o.files) opened = w.OpenFile(QString::fromStdString(f)) && opened;
    w.show();
    if (shot && o.graphs.empty()) workbench::ShowFirstDataSet(w);
    const std::string error = workbench::ShowRequestedViews(w, o);
    if (!error.empty()) {
        std::fprintf(stderr, "korvex-workbench: %s\n", error.c_str());
        w.AddLog(QString::fromStdString(error));
    }
    if (!shot) return app.exec();

    if (!workbench::WaitForViews(w, 600))
        std::fprintf(stderr, "korvex-workbench: a map was still being computed\n");
    // The graphs agree on their axis widths over a few paints.
    for (int i = 0; i < 5; ++i) app.processEvents();
    const std::string failed = workbench::ViewFailures(w);
    if (!failed.empty()) std::fprintf(stderr, "korvex-workbench: %s\n", failed.c_str());
    const bool ok = w.grab().save(QString::fromStdString(o.screenshot), "PNG");
    w.UnloadPlugins();
    if (!ok) std::fprintf(stderr, "korvex-workbench: cannot write %s\n", o.screenshot.c_str());
    if (!ok) return 4;
    return opened && error.empty() && failed.empty() ? 0 : 3;
}
