// The report window, the automatic-report dialog and the two report
// commands over a finished calculation on the stand-in host.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "platform/text.h"
#include "report_rig.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/msgbox.h"
#include "ui/reportautodlg.h"
#include "ui/reportcmds.h"
#include "ui/reportdlg.h"
#include "ui/res/ids.h"
#include "ui_util.h"

using namespace res;
namespace fs = std::filesystem;

namespace {

// Message boxes, file dialogs, the automatic-report dialog and the desktop's
// "open" recorded and answered.
struct Seams {
    Seams() {
        oldBox = ui::SetMessageBoxHook([this](const ui::MbRequest& r) {
            boxes.push_back(r);
            return ui::MbOk;
        });
        oldFile = ui::SetFileDialogHook([this](const ui::FileRequest& r) {
            files.push_back(r);
            return chosen;
        });
        oldModal = CReportAutoDlg::SetModalHook([this](CReportAutoDlg& d) {
            ++dialogs;
            return modal ? modal(d) : int(QDialog::Rejected);
        });
        oldOpen = reportcmds::SetOpenFileHook([this](const std::string& path) {
            opened.push_back(path);
            return true;
        });
    }
    ~Seams() {
        ui::SetMessageBoxHook(oldBox);
        ui::SetFileDialogHook(oldFile);
        CReportAutoDlg::SetModalHook(oldModal);
        reportcmds::SetOpenFileHook(oldOpen);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const ui::MbRequest& r : boxes) out.push_back(r.text);
        return out;
    }

    std::vector<ui::MbRequest> boxes;
    std::vector<ui::FileRequest> files;
    std::optional<std::string> chosen;
    std::function<int(CReportAutoDlg&)> modal;
    int dialogs = 0;
    std::vector<std::string> opened;
    ui::MessageBoxHook oldBox;
    ui::FileDialogHook oldFile;
    CReportAutoDlg::ModalHook oldModal;
    reportcmds::OpenFileHook oldOpen;
};

std::string Cell(const QTableWidget* list, int row, int column) {
    const QTableWidgetItem* item = list->item(row, column);
    return item ? ui::StdStr(item->text()) : std::string();
}

std::string Rtf(const std::string& path) {
    return plat::Cp1251ToUtf8(testutil::ReadBytes(path));
}

QString Title(int templateId) {
    return ui::QStr(res::Dialog(templateId)->caption);
}

class ReportWindow : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rig.ok); }
    std::unique_ptr<CReportDlg> Window() {
        auto w = std::make_unique<CReportDlg>(rig.app, &rig.cfg);
        w->Table().SetDateLocale("C");
        return w;
    }
    // Two enabled bands of the first measuring channel on one frequency.
    void MakeCoincidence() {
        for (const std::string& name : rig.cfg.channelNames) {
            CfgChannel* ch = rig.cfg.Channel(name);
            if (!ch || !ch->check || ch->type != CfgChannelMeasuring) continue;
            std::vector<CCfgProcBandFix*> fixed;
            for (auto& [id, opt] : ch->signalOpts) {
                CCfgProcItem* item = rig.cfg.FindItemById(id);
                if (opt.bEnabled && item && item->enabled && item->type == CfgItemFixedBand)
                    fixed.push_back(static_cast<CCfgProcBandFix*>(item));
            }
            if (fixed.size() < 2) continue;
            fixed[1]->bandStart = fixed[0]->bandStart;
            fixed[1]->bandStop = fixed[0]->bandStop;
            pair = {fixed[0]->name, fixed[1]->name};
            return;
        }
    }
    uitest::ReportRig rig;
    Seams seams;
    std::pair<std::string, std::string> pair;
};

TEST_F(ReportWindow, FollowsTheCursorWithCoincidences) {
    MakeCoincidence();
    ASSERT_FALSE(pair.first.empty()) << "the demo base has two fixed bands on a channel";
    ASSERT_TRUE(rig.Calculate());
    auto w = Window();
    w->show();
    QTableWidget* list = w->List();
    ASSERT_GT(list->rowCount(), 1);
    EXPECT_EQ(list->columnCount(), 5);
    EXPECT_EQ(ui::StdStr(list->horizontalHeaderItem(4)->text()), "Совпадения");
    EXPECT_EQ(w->windowTitle(), Title(IDD_REPORT));  // no graph yet
    EXPECT_FALSE(ui::Ctl<QPushButton>(w.get(), IDC_REPORT_BUTTON)->isEnabled());

    const int g = rig.ShowGraph();
    ASSERT_NE(g, 0);
    ASSERT_TRUE(rig.kh->MoveCursor(g, 1.5));
    reportcmds::OnCursorEvent(w.get());
    EXPECT_EQ(ui::StdStr(w->windowTitle()), "Отчет, время: 1.5 сек.");
    EXPECT_TRUE(ui::Ctl<QPushButton>(w.get(), IDC_REPORT_BUTTON)->isEnabled());
    const std::string group = pair.first + "," + pair.second;
    int grouped = 0, levels = 0;
    for (int r = 0; r < list->rowCount(); ++r) {
        if (Cell(list, r, 1).empty()) continue;  // a channel row
        EXPECT_FALSE(Cell(list, r, 2).empty()) << Cell(list, r, 1);
        if (!Cell(list, r, 3).empty()) ++levels;
        if (Cell(list, r, 4) == group) ++grouped;
    }
    EXPECT_GE(grouped, 2);  // both bands, on each channel that measures both
    EXPECT_EQ(grouped % 2, 0);
    EXPECT_GT(levels, 2);

    // Hidden and shown again, the window binds anew and shows values at once.
    w->hide();
    w->show();
    EXPECT_EQ(ui::StdStr(w->windowTitle()), "Отчет, время: 1.5 сек.");
    EXPECT_FALSE(Cell(list, 1, 3).empty());
    // A hidden window does not follow the cursor.
    w->hide();
    ASSERT_TRUE(rig.kh->MoveCursor(g, 2.5));
    reportcmds::OnCursorEvent(w.get());
    EXPECT_EQ(w->Table().LastCursorTime(), 1.5);
}

TEST_F(ReportWindow, ReportButtonWritesAnEntryOrSaysWhy) {
    auto w = Window();
    w->show();
    auto* button = ui::Ctl<QPushButton>(w.get(), IDC_REPORT_BUTTON);
    auto* file = ui::Ctl<QLineEdit>(w.get(), IDC_REPORT_FILE);
    EXPECT_EQ(ui::StdStr(file->text()), rig.cfg.report.reportFile);
    w->OnReport();  // no calculation: nothing bound
    ASSERT_EQ(seams.boxes.size(), 1u);
    EXPECT_EQ(seams.boxes[0].text, res::Str(IDS_REPORT_NEED_DATA));
    EXPECT_EQ(seams.boxes[0].caption, "Ошибка!");
    EXPECT_EQ(seams.boxes[0].icon, ui::MbIcon::Error);

    ASSERT_TRUE(rig.Calculate());
    ASSERT_TRUE(rig.kh->MoveCursor(rig.ShowGraph(), 2.0));
    w->RefreshAtCursor();
    const std::string typed = rig.Path("typed.rtf");
    file->setText(ui::QStr(typed));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(seams.boxes.size(), 1u);
    EXPECT_EQ(rig.cfg.report.reportFile, typed);
    const std::string doc = Rtf(typed);
    EXPECT_NE(doc.find("(2.0 секунда)"), std::string::npos);
    EXPECT_NE(doc.find("\nSpeed\n = "), std::string::npos);
    EXPECT_EQ(doc.find("Режим"), std::string::npos);

    file->setText(ui::QStr(rig.Path("missing/r.rtf")));
    w->OnReport();
    ASSERT_EQ(seams.boxes.size(), 2u);
    EXPECT_EQ(seams.boxes[1].text, "Ошибка записи в файл отчета");
}

TEST_F(ReportWindow, ColumnWidthsRectangleAndResize) {
    rig.cfg.report.colWidth = {0, 5000, 20, 1000, 60};
    auto w = Window();
    QTableWidget* list = w->List();
    const int fifth = static_cast<int>((list->width() - 2 * list->frameWidth() - 20) / 5.0 + 0.5);
    EXPECT_EQ(rig.cfg.report.colWidth, (std::array<int32_t, 5>{fifth, fifth, 20, 1000, 60}));
    EXPECT_EQ(list->columnWidth(1), fifth);
    EXPECT_EQ(list->columnWidth(3), 1000);

    w->show();
    uitest::Settle();
    const QRect listBefore = list->geometry();
    QWidget* button = ui::FindControl(w.get(), IDC_REPORT_BUTTON);
    QWidget* edit = ui::FindControl(w.get(), IDC_REPORT_FILE);
    QWidget* browse = ui::FindControl(w.get(), IDC_BROWSE);
    const QRect b0 = button->geometry(), e0 = edit->geometry(), d0 = browse->geometry();
    w->resize(w->width() + 80, w->height() + 40);
    uitest::Settle();
    EXPECT_EQ(list->geometry(), listBefore.adjusted(0, 0, 80, 40));
    EXPECT_EQ(button->geometry(), b0.translated(0, 40));
    EXPECT_EQ(edit->geometry(), e0.translated(0, 40).adjusted(0, 0, 80, 0));
    EXPECT_EQ(browse->geometry(), d0.translated(80, 40));
    const ReportRect r = rig.cfg.report.dlgRect;
    EXPECT_EQ(r.right - r.left, w->width());
    EXPECT_EQ(r.bottom - r.top, w->height());

    list->setColumnWidth(2, 77);
    w.reset();  // destroying the window keeps its column widths
    EXPECT_EQ(rig.cfg.report.colWidth[2], 77);

    // The next window opens with that rectangle, its controls laid out for it.
    auto again = Window();
    again->show();
    uitest::Settle();
    EXPECT_EQ(again->size(), QSize(r.right - r.left, r.bottom - r.top));
    EXPECT_EQ(again->List()->geometry(), listBefore.adjusted(0, 0, 80, 40));
    EXPECT_EQ(again->List()->columnWidth(2), 77);
}

TEST_F(ReportWindow, BrowseEscapeAndEnter) {
    auto w = Window();
    w->show();
    const std::string before = rig.cfg.report.reportFile;
    seams.chosen = rig.Path("chosen.rtf");
    QTest::mouseClick(ui::Ctl<QPushButton>(w.get(), IDC_BROWSE), Qt::LeftButton);
    ASSERT_EQ(seams.files.size(), 1u);
    EXPECT_FALSE(seams.files[0].save);
    EXPECT_EQ(seams.files[0].filter, "Файлы отчета|*.rtf||");
    EXPECT_EQ(seams.files[0].defaultExt, "rtf");
    EXPECT_EQ(seams.files[0].initial, before);
    EXPECT_EQ(rig.cfg.report.reportFile, *seams.chosen);
    EXPECT_EQ(ui::StdStr(ui::Ctl<QLineEdit>(w.get(), IDC_REPORT_FILE)->text()), *seams.chosen);
    seams.chosen.reset();
    w->OnBrowse();  // cancelled: nothing changes
    EXPECT_EQ(rig.cfg.report.reportFile, rig.Path("chosen.rtf"));

    QTest::keyClick(w.get(), Qt::Key_Return);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(seams.boxes.empty());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    w->show();
    w->close();  // hidden, not destroyed
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->IsInitialised());
}

class ReportCommands : public ReportWindow {
  protected:
    reportcmds::Env Env() {
        reportcmds::Env e;
        e.app = &rig.app;
        e.cfg = &rig.cfg;
        e.window = &window;
        e.ensureSource = [this] { ++ensured; };
        e.saveSettings = [this] {
            saved.push_back(rig.cfg.report.autoProgram);
            return true;
        };
        return e;
    }
    // The dialog confirmed with the program at index.
    void Confirm(int index = 0) {
        seams.modal = [index](CReportAutoDlg& d) {
            ui::Ctl<QComboBox>(&d, IDC_PROGRAMS)->setCurrentIndex(index);
            d.OnOK();
            return d.result();
        };
    }
    std::unique_ptr<CReportDlg> window;
    int ensured = 0;
    std::vector<std::string> saved;
};

TEST_F(ReportCommands, ReportTogglesOneWindow) {
    reportcmds::Env env = Env();
    EXPECT_EQ(reportcmds::ShowReportTable(env), 1);
    ASSERT_TRUE(window);
    CReportDlg* first = window.get();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(reportcmds::ShowReportTable(env), 1);
    EXPECT_FALSE(first->isVisible());
    first->show();
    first->close();
    EXPECT_EQ(reportcmds::ShowReportTable(env), 1);
    EXPECT_EQ(window.get(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(ensured, 3);
}

TEST_F(ReportCommands, AddPointNeedsACalculation) {
    reportcmds::Env env = Env();
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);
    EXPECT_EQ(seams.Texts(), std::vector<std::string>{res::Str(IDS_REPORT_NEED_DATA)});
    EXPECT_EQ(seams.dialogs, 0);
    // A result folder that the host no longer has counts as none.
    rig.cfg.lastResultFolder = "/Signals/Результаты/gone/";
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);
    EXPECT_EQ(seams.dialogs, 0);
    EXPECT_FALSE(window);
}

TEST_F(ReportCommands, AddPointFillsTheReportAndOpensIt) {
    ASSERT_TRUE(rig.Calculate());
    reportcmds::Env env = Env();
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);  // cancelled
    EXPECT_TRUE(saved.empty());
    EXPECT_FALSE(window);

    rig.cfg.report.autoFile = rig.Path("auto.rtf");
    Confirm();
    EXPECT_EQ(reportcmds::AddPointToReport(env), 1);
    EXPECT_EQ(saved, std::vector<std::string>{"Ступени"});
    EXPECT_TRUE(seams.boxes.empty());
    EXPECT_EQ(seams.opened, std::vector<std::string>{rig.Path("auto.rtf")});
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    const std::string doc = Rtf(rig.Path("auto.rtf"));
    EXPECT_NE(doc.find("\nРежим\n: \t\t\nM1\\par"), std::string::npos);
    EXPECT_NE(doc.find("\nРежим\n: \t\t\nM2\\par"), std::string::npos);

    // Without opening: a message instead. The window, shown at a cursor,
    // shows its values again as soon as the fill ends.
    rig.cfg.report.bOpenReport = false;
    ASSERT_TRUE(rig.kh->MoveCursor(rig.ShowGraph(), 1.5));
    window->show();
    seams.modal = [](CReportAutoDlg& d) {
        ui::Ctl<QCheckBox>(&d, IDC_OPEN_REPORT)->setChecked(false);
        d.OnOK();
        return d.result();
    };
    EXPECT_EQ(reportcmds::AddPointToReport(env), 1);
    ASSERT_EQ(seams.boxes.size(), 1u);
    EXPECT_EQ(seams.boxes[0].text, "Автоматическое заполнение отчета успешно выполнено");
    EXPECT_EQ(seams.boxes[0].caption, "Vantrel");
    EXPECT_EQ(seams.boxes[0].icon, ui::MbIcon::Information);
    EXPECT_EQ(seams.opened.size(), 1u);
    int levels = 0;
    for (int r = 0; r < window->List()->rowCount(); ++r)
        levels += Cell(window->List(), r, 3).empty() ? 0 : 1;
    EXPECT_GT(levels, 2);
}

TEST_F(ReportCommands, AddPointFailuresEachHaveTheirMessage) {
    ASSERT_TRUE(rig.Calculate());
    reportcmds::Env env = Env();
    ReportProgram empty;
    empty.name = "Пустая";
    empty.featureChannel = samplegen::kSpeedName;
    rig.cfg.report.programs.push_back(empty);
    ReportProgram absent = rig.cfg.report.programs[0];
    absent.name = "Нет канала";
    absent.featureChannel = "Absent";
    rig.cfg.report.programs.push_back(absent);

    Confirm(-1);  // no program selected
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);
    Confirm(1);
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);
    Confirm(2);
    EXPECT_EQ(reportcmds::AddPointToReport(env), 0);
    EXPECT_EQ(seams.Texts(), (std::vector<std::string>{res::Str(IDS_REPORT_NO_PROGRAM),
                                                       res::Str(IDS_REPORT_NO_MODES),
                                                       res::Str(IDS_REPORT_AUTO_FAILED)}));
    for (const ui::MbRequest& r : seams.boxes) EXPECT_EQ(r.caption, "Ошибка!");
    // The choices were saved every time, also when the fill failed.
    EXPECT_EQ(saved, (std::vector<std::string>{"", "Пустая", "Нет канала"}));
    EXPECT_TRUE(seams.opened.empty());
}

TEST_F(ReportWindow, AutomaticReportDialog) {
    rig.cfg.lastResultFolder = "/Signals/Результаты/x/";
    ReportProgram second = rig.cfg.report.programs[0];
    second.name = "Выбег";
    rig.cfg.report.programs.push_back(second);
    rig.cfg.report.autoProgram = "выб";
    rig.cfg.report.bOpenReport = false;
    {
        CReportAutoDlg d(&rig.cfg);
        d.Init();
        EXPECT_EQ(d.windowTitle(), "Автоматический отчет");
        EXPECT_EQ(ui::Ctl<QComboBox>(&d, IDC_PROGRAMS)->currentIndex(), 1);
        EXPECT_EQ(ui::StdStr(ui::Ctl<QLineEdit>(&d, IDC_AUTO_MEASUREMENT)->text()),
                  rig.cfg.srcFileKorvex);
        EXPECT_EQ(ui::StdStr(ui::Ctl<QLineEdit>(&d, IDC_AUTO_RESULT)->text()),
                  "/Signals/Результаты/x/");
        EXPECT_EQ(ui::StdStr(ui::Ctl<QLineEdit>(&d, IDC_AUTO_FILE)->text()),
                  rig.cfg.report.reportFile);
        EXPECT_FALSE(ui::Ctl<QCheckBox>(&d, IDC_OPEN_REPORT)->isChecked());
        EXPECT_TRUE(ui::Ctl<QPushButton>(&d, IDOK)->isEnabled());
        // "..." takes the file at once, even when the dialog is cancelled.
        seams.chosen = rig.Path("picked.rtf");
        d.OnBrowse();
        d.reject();
        EXPECT_EQ(rig.cfg.report.autoFile, rig.Path("picked.rtf"));
        EXPECT_EQ(rig.cfg.report.autoProgram, "выб");
    }
    rig.cfg.report.programs.clear();
    rig.cfg.report.autoFile.clear();
    rig.cfg.report.reportFile.clear();
    CReportAutoDlg d(&rig.cfg);
    d.Init();
    EXPECT_FALSE(ui::Ctl<QPushButton>(&d, IDOK)->isEnabled());
    EXPECT_EQ(ui::Ctl<QComboBox>(&d, IDC_PROGRAMS)->currentIndex(), -1);
    EXPECT_EQ(ui::StdStr(ui::Ctl<QLineEdit>(&d, IDC_AUTO_FILE)->text()),
              rig.cfg.report.ReportFilePath());
}

}  // namespace
