// The signals dialog and the general page against the stand-in host, with
// data sets loaded from files.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "korvex/formats.h"
#include "korvex/host.h"
#include "shell/host.h"
#include "test_util.h"
#include "ui/dialogs.h"
#include "ui/generalpage.h"
#include "ui/res/ids.h"
#include "ui/signalsdlg.h"

using namespace res;

namespace {

// A host with data sets loaded from .quor files, in the order given.
class Host {
  public:
    explicit Host(const std::vector<std::pair<std::string, std::vector<std::string>>>& sets)
        : dir_("signals") {
        for (const auto& [name, channels] : sets) {
            korvex::DataSet ds;
            for (const std::string& ch : channels) {
                korvex::SignalData s;
                s.name = ch;
                s.stepX = 0.001;
                s.samples = {0.0, 1.0, 0.0, -1.0};
                ds.signals.push_back(s);
            }
            const std::string path = dir_.Path(name + ".quor");
            EXPECT_TRUE(korvex::WriteQuor(path, ds).ok);
            EXPECT_TRUE(kh->LoadDataFile(path)) << kh->LastLoadMessage();
        }
    }
    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};

  private:
    testutil::TempDir dir_;
};

// Runs the signals dialog through a function instead of its modal loop.
class Modal {
  public:
    explicit Modal(std::function<int(CSignalsDlg&)> f) {
        old_ = CSignalsDlg::SetModalHook(std::move(f));
    }
    ~Modal() { CSignalsDlg::SetModalHook(old_); }

  private:
    CSignalsDlg::ModalHook old_;
};

std::vector<std::string> Rows(const QListWidget* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i) out.push_back(ui::StdStr(list->item(i)->text()));
    return out;
}

TEST(SignalsDialog, ListsTheDataSetsInHostOrder) {
    Host h({{"zeta", {"Acc", "Tacho"}}, {"alpha", {"Acc"}}});
    // A lone signal directly under "/Signals" is no data set.
    ASSERT_TRUE(h.kh->AddSignal("/Signals", "lone", h.kh->NewSignal()));
    CSignalsDlg dlg;
    dlg.SetHost(&h.app);
    dlg.Init();
    EXPECT_EQ(Rows(dlg.List()), (std::vector<std::string>{"zeta", "alpha"}));
    EXPECT_EQ(dlg.windowTitle(), "Список сигналов");
}

TEST(SignalsDialog, OkTakesTheSelectedRowOrKeepsTheCallersName) {
    Host h({{"first", {"Acc"}}, {"second", {"Acc"}}});
    CSignalsDlg dlg;
    dlg.SetHost(&h.app);
    dlg.SetSelectedName("keep");
    dlg.Init();
    ui::Ctl<QPushButton>(&dlg, IDOK)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.SelectedName(), "keep");
    dlg.List()->item(1)->setSelected(true);
    ui::Ctl<QPushButton>(&dlg, IDOK)->click();
    EXPECT_EQ(dlg.SelectedName(), "second");
    ui::Ctl<QPushButton>(&dlg, IDCANCEL)->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(SignalsDialog, AnEmptyHostGivesAnEmptyList) {
    Host h({});
    CSignalsDlg dlg;
    dlg.SetHost(&h.app);
    dlg.Init();
    EXPECT_EQ(dlg.List()->count(), 0);
    CSignalsDlg noHost;
    noHost.Init();
    EXPECT_EQ(noHost.List()->count(), 0);
}

class GeneralPage : public ::testing::Test {
  protected:
    void SetUp() override {
        cfg.srcFileKorvex = "run1";
        cfg.dstDir = "out";
        page.SetHost(&h.app);
        page.SetConfig(&cfg);
        page.Create();
    }
    QLineEdit* Src() { return ui::Ctl<QLineEdit>(&page, IDC_SRC_EDIT); }
    QLineEdit* Result() { return ui::Ctl<QLineEdit>(&page, IDC_RESULT_EDIT); }
    void Browse() { ui::Ctl<QPushButton>(&page, IDC_BROWSE)->click(); }

    Host h{{{"run1", {"Acc", "Tacho"}}, {"run2", {"Vib", "Rpm", "Acc"}}}};
    CCfgProc cfg;
    CVantrelGeneralPage page;
};

TEST_F(GeneralPage, ShowsAndAppliesTheTexts) {
    EXPECT_EQ(Src()->text(), "run1");
    EXPECT_TRUE(Src()->isReadOnly());
    EXPECT_EQ(Result()->text(), "out");
    Result()->setText("новый");
    EXPECT_EQ(cfg.dstDir, "out");  // only when the main dialog applies
    page.ShowSourceName("");
    EXPECT_EQ(Src()->text(), "run1");
    page.ShowSourceName("loaded");
    page.Apply();
    EXPECT_EQ(cfg.dstDir, "новый");
    EXPECT_EQ(cfg.srcFileKorvex, "loaded");
}

TEST_F(GeneralPage, ChosenDataSetBecomesTheSourceAndRebuildsTheChannels) {
    std::string offered;
    Modal modal([&](CSignalsDlg& dlg) {
        offered = dlg.SelectedName();
        dlg.List()->item(1)->setSelected(true);
        dlg.OnOK();
        return dlg.result();
    });
    Browse();
    EXPECT_EQ(offered, "run1");
    EXPECT_EQ(cfg.srcFileKorvex, "run2");
    EXPECT_EQ(Src()->text(), "run2");
    EXPECT_EQ(cfg.channelNames, (std::vector<std::string>{"Vib", "Rpm", "Acc"}));
    EXPECT_TRUE(cfg.channelsChanged);
}

TEST_F(GeneralPage, OkWithoutSelectionKeepsTheNameAndStillRebuilds) {
    Modal modal([](CSignalsDlg& dlg) {
        dlg.OnOK();
        return dlg.result();
    });
    Browse();
    EXPECT_EQ(cfg.srcFileKorvex, "run1");
    EXPECT_EQ(cfg.channelNames, (std::vector<std::string>{"Acc", "Tacho"}));
    EXPECT_TRUE(cfg.channelsChanged);
}

TEST_F(GeneralPage, CancelChangesNothing) {
    Modal modal([](CSignalsDlg& dlg) {
        dlg.List()->item(1)->setSelected(true);
        dlg.reject();
        return dlg.result();
    });
    Browse();
    EXPECT_EQ(cfg.srcFileKorvex, "run1");
    EXPECT_TRUE(cfg.channelNames.empty());
    EXPECT_FALSE(cfg.channelsChanged);
}

}  // namespace
