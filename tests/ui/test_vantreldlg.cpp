// The main dialog over the demo configuration and a short demo data set in
// the stand-in host: its pages, layout, title and every menu command, with
// the file dialogs, message boxes and the defaults dialog behind their hooks.

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "apps/samplegen/gearbox.h"
#include "config/cfgfile.h"
#include "korvex/host.h"
#include "platform/profile.h"
#include "shell/host.h"
#include "test_util.h"
#include "ui/defaultoptdlg.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/freqspage.h"
#include "ui/generalpage.h"
#include "ui/msgbox.h"
#include "ui/procpage.h"
#include "ui/res/ids.h"
#include "ui/vantreldlg.h"
#include "ui_util.h"

using namespace res;
namespace fs = std::filesystem;

namespace {

// The demo configuration (sections made absolute, as the settings file holds
// them) and a one-second gearbox sample written beside it.
class Demo {
  public:
    Demo() : dir_("maindlg") {
        for (const auto& e : fs::directory_iterator(fs::path(VANTREL_SOURCE_DIR) / "data/demo"))
            fs::copy_file(e.path(), dir_.path() / e.path().filename());
        plat::ProfileFile ini;
        EXPECT_TRUE(ini.Load(Path("gearbox.cfg")));
        const int n = std::atoi(ini.GetString("test", "nSections").c_str());
        for (int i = 0; i < n; ++i) {
            const std::string key = "section" + std::to_string(i);
            ini.WriteString("test", key, Path(ini.GetString("test", key)));
        }
        EXPECT_TRUE(ini.Save(Path("gearbox.cfg")));
        samplegen::GearboxScheme scheme;
        scheme.duration = 1.0;
        EXPECT_TRUE(samplegen::WriteGearboxSample(scheme, Path("gearbox.quor")).ok);
        EXPECT_TRUE(ReadConfig(cfg, Path("gearbox.cfg")));
        cfg.cfgFile = Path("gearbox.cfg");
        cfg.settingsPath = Path("plgVantrel.cfg");
    }
    std::string Path(const std::string& name) const { return dir_.Path(name); }

    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    CCfgProc cfg;

  private:
    testutil::TempDir dir_;
};

// File dialogs answered from a list; every request is kept.
class Files {
  public:
    explicit Files(std::vector<std::optional<std::string>> answers) : answers_(std::move(answers)) {
        old_ = ui::SetFileDialogHook([this](const ui::FileRequest& r) {
            requests.push_back(r);
            if (answers_.empty()) return std::optional<std::string>();
            std::optional<std::string> a = answers_.front();
            answers_.erase(answers_.begin());
            return a;
        });
    }
    ~Files() { ui::SetFileDialogHook(old_); }
    std::vector<ui::FileRequest> requests;

  private:
    std::vector<std::optional<std::string>> answers_;
    ui::FileDialogHook old_;
};

using uitest::Boxes;

// The dialog filled as the plug-in fills it, shown.
struct Main {
    explicit Main(Demo& demo) {
        dlg.SetHost(&demo.app);
        dlg.Config() = demo.cfg;
        dlg.show();
        uitest::Settle();
    }
    std::string Title() const { return ui::StdStr(dlg.windowTitle()); }
    CVantrelDlg dlg;
};

TEST(VantrelDlg, PagesMenuAndLayout) {
    Demo demo;
    demo.cfg.cfgFile.clear();
    Main m(demo);
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: ---");
    QTabWidget* tabs = m.dlg.Tabs();
    ASSERT_EQ(tabs->count(), 4);
    const char* texts[] = {"Общие", "База частот", "Настройка расчета", "Отчет"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ui::StdStr(tabs->tabText(i)), texts[i]);
    EXPECT_EQ(tabs->widget(0), m.dlg.GeneralPage());
    EXPECT_EQ(tabs->widget(1), m.dlg.FreqsPage());
    EXPECT_EQ(tabs->widget(2), m.dlg.ProcPage());

    // The pages are larger than the placeholder: the tab control sits on its
    // corner, "OK" and "Отмена" move by the growth, "Расчет" only down.
    CVantrelDlg bare;
    const QWidget* frame = ui::FindControl(&m.dlg, IDC_PLACEHOLDER);
    EXPECT_EQ(tabs->pos(), frame->pos());
    const int dx = tabs->width() - frame->width(), dy = tabs->height() - frame->height();
    EXPECT_GT(dx, 0);
    EXPECT_GT(dy, 0);
    for (int id : {IDOK, IDCANCEL})
        EXPECT_EQ(ui::FindControl(&m.dlg, id)->pos(),
                  ui::FindControl(&bare, id)->pos() + QPoint(dx, dy));
    EXPECT_EQ(ui::FindControl(&m.dlg, IDC_CALC)->pos(),
              ui::FindControl(&bare, IDC_CALC)->pos() + QPoint(0, dy));
    EXPECT_EQ(m.dlg.size(), bare.size() + QSize(dx, dy));
    EXPECT_GE(tabs->y(), m.dlg.MenuBar()->height());
    for (int id : {IDOK, IDCANCEL, IDC_CALC}) {
        const QRect b = ui::FindControl(&m.dlg, id)->geometry();
        EXPECT_GE(b.top(), tabs->geometry().bottom()) << id;
        EXPECT_LE(b.bottom(), m.dlg.height()) << id;
    }

    // The menu: two popups, the commands by id, separators where they belong.
    const QList<QAction*> popups = m.dlg.MenuBar()->actions();
    ASSERT_EQ(popups.size(), 2);
    EXPECT_EQ(ui::StdStr(popups[0]->text()), "Файл");
    EXPECT_EQ(ui::StdStr(popups[1]->text()), "Настройки по умолчанию");
    QStringList file;
    for (QAction* a : popups[0]->menu()->actions())
        file << (a->isSeparator() ? QString("-") : a->objectName());
    EXPECT_EQ(file.join(","), "m32775,-,m32782,m32771,m32772,m32773,-,m32776");
    EXPECT_EQ(ui::StdStr(m.dlg.Action(ID_DEFAULTS_FFT)->text()), "Автоспектр");
    EXPECT_EQ(ui::StdStr(m.dlg.Action(ID_DEFAULTS_TAHO)->text()), "Тахо");
}

TEST(VantrelDlg, LoadDataFileTakesTheHostFolderAsSource) {
    Demo demo;
    Main m(demo);
    {
        Files files({demo.Path("missing.quor")});
        m.dlg.Action(ID_LOAD_DATA)->trigger();
        ASSERT_EQ(files.requests.size(), 1u);
        EXPECT_FALSE(files.requests[0].save);
        EXPECT_EQ(files.requests[0].filter, "Файлы QUOR|*.quor||");
        EXPECT_EQ(files.requests[0].defaultExt, "quor");
    }
    EXPECT_EQ(m.dlg.Config().srcFileKorvex, demo.cfg.srcFileKorvex);  // the host refused it
    EXPECT_EQ(m.dlg.Config().channelNames, demo.cfg.channelNames);

    Files files({demo.Path("gearbox.quor")});
    m.dlg.OnCommand(ID_LOAD_DATA);
    const CCfgProc& cfg = m.dlg.Config();
    EXPECT_EQ(cfg.srcFileKorvex, "gearbox");
    EXPECT_EQ(cfg.srcFileDir, demo.Path("gearbox.quor"));
    EXPECT_EQ(cfg.channelNames.size(), 4u);
    EXPECT_EQ(ui::Ctl<QLineEdit>(m.dlg.GeneralPage(), IDC_SRC_EDIT)->text(), "gearbox");
    // The processing page lists the new channels when shown.
    m.dlg.Tabs()->setCurrentIndex(2);
    EXPECT_EQ(m.dlg.ProcPage()->Channels()->count(), 4);
}

// A data set loaded, then OK without a visit to the report tab: the program
// keeps its feature channel by name, not by its place in the list.
TEST(VantrelDlg, ANewDataSetKeepsTheFeatureChannelByName) {
    Demo demo;
    {
        Files files({demo.Path("gearbox.quor")});
        Main probe(demo);
        probe.dlg.OnCommand(ID_LOAD_DATA);
        demo.cfg.channelNames = probe.dlg.Config().channelNames;
    }
    const std::vector<std::string> names = demo.cfg.channelNames;
    ASSERT_GE(names.size(), 3u);
    demo.cfg.channelNames.insert(demo.cfg.channelNames.begin(), "Zzz");
    demo.cfg.report.programs.assign(1, ReportProgram{});
    demo.cfg.report.programs[0].name = "P";
    demo.cfg.report.programs[0].featureChannel = names[1];
    Main m(demo);
    Files files({demo.Path("gearbox.quor")});
    m.dlg.OnCommand(ID_LOAD_DATA);
    ASSERT_EQ(m.dlg.Config().channelNames, names);
    m.dlg.OnOK();
    EXPECT_EQ(m.dlg.Config().report.programs[0].featureChannel, names[1]);
}

// Edit on the processing page, save, start anew, open the saved file again.
TEST(VantrelDlg, EditSaveNewOpen) {
    Demo demo;
    Main m(demo);
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: " + demo.Path("gearbox.cfg"));
    {
        Files files({demo.Path("gearbox.quor")});
        m.dlg.OnCommand(ID_LOAD_DATA);
    }
    m.dlg.Tabs()->setCurrentIndex(2);
    QListWidget* list = m.dlg.ProcPage()->Channels();
    ASSERT_GT(list->count(), 0);
    const std::string first = ui::StdStr(list->item(0)->text());
    const bool was = m.dlg.Config().Channel(first)->check;
    list->item(0)->setCheckState(was ? Qt::Unchecked : Qt::Checked);
    EXPECT_EQ(m.dlg.Config().Channel(first)->check, !was);

    const std::string saved = demo.Path("edited.cfg");
    {
        Files files({saved});
        m.dlg.OnCommand(ID_SAVE_CONFIG_AS);
        ASSERT_EQ(files.requests.size(), 1u);
        const ui::FileRequest& r = files.requests[0];
        EXPECT_TRUE(r.save);
        EXPECT_FALSE(r.confirmOverwrite);
        EXPECT_EQ(r.filter, "Файлы конфигурации|*.cfg||");
        EXPECT_EQ(r.defaultExt, "cfg");
        EXPECT_EQ(r.initial, demo.Path("gearbox.cfg"));
    }
    EXPECT_EQ(m.dlg.Config().cfgFile, saved);
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: " + saved);

    {
        Boxes no(ui::MbNo);
        m.dlg.OnCommand(ID_NEW_CONFIG);
        ASSERT_EQ(no.seen.size(), 1u);
        EXPECT_EQ(no.seen[0].caption, "Внимание!");
        EXPECT_EQ(no.seen[0].buttons, ui::MbButtons::YesNo);
        EXPECT_EQ(no.seen[0].text.rfind("Создать новую конфигурацию?", 0), 0u);
    }
    EXPECT_EQ(m.dlg.Config().cfgFile, saved);
    EXPECT_EQ(m.dlg.Config().sections.size(), 4u);
    {
        Boxes yes(ui::MbYes);
        m.dlg.OnCommand(ID_NEW_CONFIG);
    }
    EXPECT_TRUE(m.dlg.Config().sections.empty());
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: ---");
    EXPECT_EQ(m.dlg.ProcPage()->Tree()->topLevelItemCount(), 0);  // reloaded at once

    {
        Files files({saved});
        m.dlg.OnCommand(ID_OPEN_CONFIG);
        EXPECT_FALSE(files.requests.at(0).save);
        EXPECT_TRUE(files.requests.at(0).initial.empty());
    }
    EXPECT_EQ(m.dlg.Config().cfgFile, saved);
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: " + saved);
    EXPECT_EQ(m.dlg.Config().sections.size(), 4u);
    EXPECT_EQ(m.dlg.Config().Channel(first)->check, !was);
    EXPECT_EQ(m.dlg.ProcPage()->Tree()->topLevelItemCount(), 4);  // the shown page re-read it
    EXPECT_EQ(list->item(0)->checkState(), !was ? Qt::Checked : Qt::Unchecked);
    m.dlg.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(m.dlg.FreqsPage()->Tree()->topLevelItemCount(), 4);
}

TEST(VantrelDlg, FailedOpenAndSaveAsKeepTheName) {
    Demo demo;
    Main m(demo);
    const std::string before = m.Title();
    Files files({demo.Path(""), demo.Path("no/such/folder/x.cfg"), std::nullopt});
    m.dlg.OnCommand(ID_OPEN_CONFIG);  // a folder is no readable file
    m.dlg.OnCommand(ID_SAVE_CONFIG_AS);
    m.dlg.OnCommand(ID_SAVE_CONFIG_AS);  // cancelled
    EXPECT_EQ(files.requests.size(), 3u);
    EXPECT_EQ(m.Title(), before);
    EXPECT_EQ(m.dlg.Config().cfgFile, demo.Path("gearbox.cfg"));
    EXPECT_EQ(m.dlg.Config().sections.size(), 4u);
}

// Save writes the copy as it stands: a panel edit not yet committed is not
// in the file, OK commits it. With no configuration file the settings file
// is written and the title stays.
TEST(VantrelDlg, SaveWritesTheCopyAsItStandsAndOkCommitsPanels) {
    Demo demo;
    demo.cfg.cfgFile.clear();
    Main m(demo);
    {
        Files files({demo.Path("gearbox.quor")});
        m.dlg.OnCommand(ID_LOAD_DATA);
    }
    m.dlg.Tabs()->setCurrentIndex(2);
    QListWidget* list = m.dlg.ProcPage()->Channels();
    list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    uitest::Settle();
    const std::string first = ui::StdStr(list->item(0)->text());
    auto* grnum = ui::Ctl<QLineEdit>(m.dlg.ProcPage()->SignalPanel(), IDC_GRNUM);
    ASSERT_NE(grnum, nullptr);
    const int old = m.dlg.Config().Channel(first)->grNum;
    const int edited = old == 3 ? 4 : 3;
    grnum->setText(QString::number(edited));

    m.dlg.OnCommand(ID_SAVE_CONFIG);
    EXPECT_EQ(m.Title(), "Vantrel. Файл конфигурации: ---");
    CCfgProc written;
    ASSERT_TRUE(ReadConfig(written, demo.Path("plgVantrel.cfg")));
    ASSERT_NE(written.Channel(first), nullptr);
    EXPECT_EQ(written.Channel(first)->grNum, old);
    EXPECT_EQ(written.sections.size(), 4u);

    m.dlg.OnOK();
    EXPECT_EQ(m.dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(m.dlg.CalculationRequested());
    EXPECT_EQ(m.dlg.Config().Channel(first)->grNum, edited);
}

TEST(VantrelDlg, CalculateCancelAndTheButtons) {
    Demo demo;
    {
        Main m(demo);
        ui::Ctl<QPushButton>(&m.dlg, IDC_CALC)->click();
        EXPECT_EQ(m.dlg.result(), QDialog::Accepted);
        EXPECT_TRUE(m.dlg.CalculationRequested());
    }
    {
        Main m(demo);
        ui::Ctl<QLineEdit>(m.dlg.GeneralPage(), IDC_RESULT_EDIT)->setText("changed");
        ui::Ctl<QPushButton>(&m.dlg, IDCANCEL)->click();
        EXPECT_EQ(m.dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(m.dlg.CalculationRequested());
        EXPECT_EQ(m.dlg.Config().dstDir, demo.cfg.dstDir);  // nothing stored
    }
    {
        Main m(demo);
        ui::Ctl<QLineEdit>(m.dlg.GeneralPage(), IDC_RESULT_EDIT)->setText("changed");
        ui::Ctl<QPushButton>(&m.dlg, IDOK)->click();
        EXPECT_EQ(m.dlg.result(), QDialog::Accepted);
        EXPECT_EQ(m.dlg.Config().dstDir, "changed");
    }
    EXPECT_FALSE(CVantrelDlg().OnCommand(12345));
}

TEST(VantrelDlg, AboutAndDefaults) {
    Demo demo;
    Main m(demo);
    {
        Boxes boxes(ui::MbOk);
        m.dlg.OnCommand(ID_ABOUT);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].caption, "О программе");
        EXPECT_EQ(boxes.seen[0].icon, ui::MbIcon::Information);
        EXPECT_EQ(boxes.seen[0].text.rfind("Плагин \"Vantrel\", вер. 0.1.0.0\n", 0), 0u)
            << boxes.seen[0].text;
    }
    std::vector<std::string> titles;
    std::vector<int> modes;
    CVantrelDlg::ModalHook old = CVantrelDlg::SetModalHook([&](QDialog& d) {
        titles.push_back(ui::StdStr(d.windowTitle()));
        modes.push_back(static_cast<CDefaultOptDlg&>(d).Mode());
        EXPECT_EQ(d.parentWidget(), &m.dlg);
        d.reject();
        return 0;
    });
    m.dlg.Action(ID_DEFAULTS_FFT)->trigger();
    m.dlg.Action(ID_DEFAULTS_TAHO)->trigger();
    CVantrelDlg::SetModalHook(old);
    EXPECT_EQ(modes, (std::vector<int>{1, 2}));
    EXPECT_EQ(titles, (std::vector<std::string>{"Настройки по умолчанию: АвтоСпектр",
                                                "Настройки по умолчанию: Тахо"}));
}

TEST(VantrelDlg, ReportPageFromItsFactory) {
    Demo demo;
    std::vector<std::string> calls;
    CVantrelDlg::PageFactory old =
        CVantrelDlg::SetReportPageFactory([&](const host::App* app, CCfgProc* cfg) {
            EXPECT_EQ(app, &demo.app);
            EXPECT_NE(cfg, nullptr);
            CVantrelDlg::ExtraPage p;
            p.widget = new QWidget;
            p.activate = [&] { calls.push_back("activate"); };
            p.store = [&] { calls.push_back("store"); };
            p.reload = [&] { calls.push_back("reload"); };
            return p;
        });
    {
        Main m(demo);
        m.dlg.Tabs()->setCurrentIndex(3);
        EXPECT_EQ(m.dlg.Tabs()->currentWidget(), m.dlg.ReportPage());
        Boxes yes(ui::MbYes);
        m.dlg.OnCommand(ID_NEW_CONFIG);
        m.dlg.OnOK();
    }
    CVantrelDlg::SetReportPageFactory(old);
    EXPECT_EQ(calls, (std::vector<std::string>{"activate", "reload", "store"}));
}

}  // namespace
