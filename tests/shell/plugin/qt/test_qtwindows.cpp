// The main dialog as the plug-in's own window factory shows it, offscreen:
// what its pages store on OK is what the dialog shows at that moment.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "config/cfgfile.h"
#include "korvex/host.h"
#include "shell/plugin/qtwindows.h"
#include "test_util.h"
#include "ui/filedlg.h"
#include "ui/res/ids.h"
#include "ui/vantreldlg.h"

namespace {

ReportProgram Program(const std::string& name, const std::string& feature) {
    ReportProgram p;
    p.name = name;
    p.featureChannel = feature;
    p.modes = {{"M", 1200.5, 0.75, 2.5}};
    return p;
}

// "Открыть конфигурацию" then OK, the report tab never shown: the opened
// file's report settings reach the configuration, not the ones shown before.
TEST(PluginWindows, OpenThenOkKeepsTheOpenedReportSettings) {
    testutil::TempDir dir("qtwindows");
    CCfgProc opened;
    opened.report.programs = {Program("P-B", "Rpm")};
    opened.report.headerChannels = {"Rpm"};
    const std::string path = dir.Path("b.cfg");
    ASSERT_TRUE(WriteConfig(opened, path));

    CCfgProc copy;
    copy.report.programs = {Program("P-A", "Speed")};
    copy.report.headerChannels = {"Speed"};
    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    const ui::FileDialogHook old = ui::SetFileDialogHook(
        [&](const ui::FileRequest&) { return std::optional<std::string>(path); });
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CVantrelDlg*>(QApplication::activeModalWidget());
        if (!dlg) return;
        driven = true;
        dlg->OnCommand(res::ID_OPEN_CONFIG);
        dlg->OnOK();
    });
    const auto windows = vantrel::MakeQtWindows();
    const vantrel::MainDialogEnd end = windows->RunMainDialog(app, copy);
    ui::SetFileDialogHook(old);
    ASSERT_TRUE(driven);
    EXPECT_TRUE(end.ok);
    ASSERT_EQ(copy.report.programs.size(), 1u);
    EXPECT_EQ(copy.report.programs[0].name, "P-B");
    EXPECT_EQ(copy.report.programs[0].featureChannel, "Rpm");
    EXPECT_EQ(copy.report.headerChannels, std::vector<std::string>{"Rpm"});
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
