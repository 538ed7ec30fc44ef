// The report page: programs, modes and their buttons, options and header
// channels, driven by control id.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/reportpage.h"
#include "ui/res/ids.h"

using namespace res;

namespace {

class ReportPage : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = ui::SetMessageBoxHook([this](const ui::MbRequest& r) {
            asked.push_back(r.text);
            return answer;
        });
        cfg.channelNames = {"Acc", "Speed", "Load"};
    }
    void TearDown() override { ui::SetMessageBoxHook(old_); }
    void Open() {
        page.SetConfig(&cfg);
        ASSERT_TRUE(page.Create());
        page.Activate();
    }
    void Click(int id) { QTest::mouseClick(ui::Ctl<QPushButton>(&page, id), Qt::LeftButton); }
    QLineEdit* Edit(int id) { return ui::Ctl<QLineEdit>(&page, id); }
    std::string Text(int id) { return ui::StdStr(Edit(id)->text()); }
    void Type(int id, const char* text) { Edit(id)->setText(ui::QStr(text)); }
    bool Enabled(int id) { return ui::FindControl(&page, id)->isEnabled(); }
    // A click on a mode row, as the user selects it.
    void SelectMode(int row) { page.Modes()->selectRow(row); }
    std::vector<std::string> Names(const ReportProgram& p) {
        std::vector<std::string> out;
        for (const ReportMode& m : p.modes) out.push_back(m.name);
        return out;
    }

    CCfgProc cfg;
    CVantrelReportPage page;
    std::vector<std::string> asked;
    int answer = ui::MbYes;
    ui::MessageBoxHook old_;
};

TEST_F(ReportPage, ProgramsAreNamedAndDeleted) {
    Open();
    EXPECT_FALSE(Enabled(IDC_PROGRAM_DELETE));
    EXPECT_FALSE(Enabled(IDC_MODE_ADD));
    Click(IDC_PROGRAM_ADD);
    Click(IDC_PROGRAM_ADD);
    ASSERT_EQ(cfg.report.programs.size(), 2u);
    EXPECT_EQ(cfg.report.programs[0].name, "Программа 1");
    EXPECT_EQ(cfg.report.programs[1].name, "Программа 2");
    EXPECT_EQ(page.CurrentProgram(), 1);
    EXPECT_EQ(Text(IDC_PROGRAM_NAME), "Программа 2");
    EXPECT_TRUE(Enabled(IDC_PROGRAM_DELETE) && Enabled(IDC_MODE_ADD));

    auto* programs = ui::Ctl<QComboBox>(&page, IDC_PROGRAMS);
    programs->setCurrentIndex(0);
    EXPECT_EQ(page.CurrentProgram(), 0);
    answer = ui::MbNo;
    Click(IDC_PROGRAM_DELETE);
    EXPECT_EQ(asked, std::vector<std::string>{"Удалить программу 'Программа 1'?"});
    EXPECT_EQ(cfg.report.programs.size(), 2u);
    answer = ui::MbYes;
    Click(IDC_PROGRAM_DELETE);
    ASSERT_EQ(cfg.report.programs.size(), 1u);
    EXPECT_EQ(page.CurrentProgram(), 0);
    EXPECT_EQ(Text(IDC_PROGRAM_NAME), "Программа 2");
    Click(IDC_PROGRAM_ADD);  // the freed name comes back
    EXPECT_EQ(cfg.report.programs[1].name, "Программа 1");
    EXPECT_EQ(programs->count(), 2);

    // Renaming and the feature channel by "Применить"; an empty name is ignored.
    Type(IDC_PROGRAM_NAME, "Разгон");
    ui::Ctl<QComboBox>(&page, IDC_FEATURE_CHANNEL)->setCurrentIndex(1);
    Click(IDC_PROGRAM_APPLY);
    EXPECT_EQ(cfg.report.programs[1].name, "Разгон");
    EXPECT_EQ(cfg.report.programs[1].featureChannel, "Speed");
    EXPECT_EQ(ui::StdStr(programs->itemText(1)), "Разгон");
    EXPECT_EQ(programs->currentIndex(), 1);
    Type(IDC_PROGRAM_NAME, "");
    Click(IDC_PROGRAM_APPLY);
    EXPECT_EQ(cfg.report.programs[1].name, "Разгон");

    Click(IDC_PROGRAM_DELETE);
    Click(IDC_PROGRAM_DELETE);
    EXPECT_TRUE(cfg.report.programs.empty());
    EXPECT_EQ(page.CurrentProgram(), -1);
    EXPECT_FALSE(Enabled(IDC_PROGRAM_NAME));
}

TEST_F(ReportPage, ModesAreEditedStoredAndMoved) {
    ReportProgram p;
    p.name = "Ступени";
    p.featureChannel = "speed";  // found whatever its case
    p.modes = {{"Режим 1", 50, 2, 3}, {"режим 2", 80, 1, 1}};
    cfg.report.programs = {p};
    Open();
    EXPECT_EQ(ui::Ctl<QComboBox>(&page, IDC_FEATURE_CHANNEL)->currentIndex(), 1);
    EXPECT_EQ(page.CurrentMode(), 0);
    EXPECT_EQ(Text(IDC_MODE_VALUE), "50.000000");
    EXPECT_EQ(Text(IDC_MODE_DURATION), "3.0");
    EXPECT_FALSE(Enabled(IDC_MODE_UP));
    EXPECT_TRUE(Enabled(IDC_MODE_DOWN));

    // A negative range typed, then another mode selected: stored as 0.
    Type(IDC_MODE_RANGE, "-5");
    Type(IDC_MODE_VALUE, "51.5");
    Type(IDC_MODE_DURATION, "2,5");  // a comma-decimal keyboard's number
    SelectMode(1);
    EXPECT_EQ(page.CurrentMode(), 1);
    EXPECT_EQ(cfg.report.programs[0].modes[0].range, 0.0);
    EXPECT_EQ(cfg.report.programs[0].modes[0].value, 51.5);
    EXPECT_EQ(cfg.report.programs[0].modes[0].duration, 2.5);
    EXPECT_EQ(cfg.report.programs[0].modes[1].value, 80);
    cfg.report.programs[0].modes[1].value = 1.0 / 3;  // shown rounded, kept whole
    page.ShowMode(1);
    SelectMode(0);
    EXPECT_EQ(cfg.report.programs[0].modes[1].value, 1.0 / 3);
    SelectMode(1);
    EXPECT_TRUE(Enabled(IDC_MODE_UP));
    EXPECT_FALSE(Enabled(IDC_MODE_DOWN));
    SelectMode(0);
    EXPECT_EQ(Text(IDC_MODE_RANGE), "0.000000");

    Click(IDC_MODE_ADD);  // "Режим 1" and "режим 2" are taken
    const ReportProgram& q = cfg.report.programs[0];
    EXPECT_EQ(Names(q), (std::vector<std::string>{"Режим 1", "режим 2", "Режим 3"}));
    EXPECT_EQ(page.CurrentMode(), 2);
    EXPECT_EQ(Text(IDC_MODE_VALUE), "0.000000");

    Type(IDC_MODE_NAME, "Верх");
    Click(IDC_MODE_UP);
    EXPECT_EQ(page.CurrentMode(), 1);
    EXPECT_EQ(Text(IDC_MODE_NAME), "Верх");  // the edits follow the moved mode
    Click(IDC_PROGRAM_APPLY);
    EXPECT_EQ(Names(q), (std::vector<std::string>{"Режим 1", "Верх", "режим 2"}));
    EXPECT_EQ(ui::StdStr(page.Modes()->item(1, 0)->text()), "Верх");
    EXPECT_EQ(page.Modes()->currentRow(), 1);

    Click(IDC_MODE_DELETE);
    EXPECT_EQ(asked.back(), "Удалить режим 'Верх'?");
    EXPECT_EQ(Names(q), (std::vector<std::string>{"Режим 1", "режим 2"}));
    EXPECT_EQ(page.CurrentMode(), 1);
    EXPECT_EQ(Text(IDC_MODE_NAME), "режим 2");
    Click(IDC_MODE_DELETE);
    Click(IDC_MODE_DELETE);
    EXPECT_TRUE(q.modes.empty());
    EXPECT_EQ(page.CurrentMode(), -1);
    EXPECT_EQ(Text(IDC_MODE_NAME), "");
    EXPECT_FALSE(Enabled(IDC_MODE_DELETE) || Enabled(IDC_MODE_UP) || Enabled(IDC_MODE_VALUE));
}

TEST_F(ReportPage, SwitchingProgramsKeepsWhatWasTyped) {
    ReportProgram a, b;
    a.name = "A";
    a.modes = {{"M", 1, 1, 1}};
    b.name = "B";
    cfg.report.programs = {a, b};
    Open();
    Type(IDC_MODE_VALUE, "7");
    Type(IDC_PROGRAM_NAME, "A2");
    ui::Ctl<QComboBox>(&page, IDC_PROGRAMS)->setCurrentIndex(1);
    EXPECT_EQ(page.CurrentProgram(), 1);
    EXPECT_EQ(cfg.report.programs[0].modes[0].value, 7.0);
    EXPECT_EQ(cfg.report.programs[0].name, "A2");
    EXPECT_EQ(page.CurrentMode(), -1);
    EXPECT_EQ(ui::Ctl<QComboBox>(&page, IDC_PROGRAMS)->currentIndex(), 1);
}

// No data set, or one without the channel: nothing is selected in the list,
// and applying keeps the stored channel.
TEST_F(ReportPage, AFeatureChannelNotInTheListIsKept) {
    cfg.channelNames.clear();
    ReportProgram p;
    p.name = "P";
    p.featureChannel = "Speed";
    cfg.report.programs = {p};
    Open();
    page.Apply();
    EXPECT_EQ(cfg.report.programs[0].featureChannel, "Speed");
    // Another data set loaded: both channel lists hold its channels.
    cfg.channelNames = {"Rpm"};
    page.Activate();
    for (int id : {IDC_FEATURE_CHANNEL, IDC_HEADER_CHANNEL}) {
        const QComboBox* list = ui::Ctl<QComboBox>(&page, id);
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->itemText(0), "Rpm");
    }
}

TEST_F(ReportPage, OptionsAndHeaderChannelsAreStored) {
    cfg.report.fontSize = 12;
    cfg.report.bLandscape = true;
    cfg.report.headerChannels = {"speed"};
    Open();
    EXPECT_EQ(Text(IDC_FONT_SIZE), "12");
    EXPECT_TRUE(ui::Ctl<QCheckBox>(&page, IDC_LANDSCAPE)->isChecked());
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "speed");
    EXPECT_FALSE(ui::Ctl<QPushButton>(&page, IDC_MODE_ADD)->icon().isNull());

    auto* channel = ui::Ctl<QComboBox>(&page, IDC_HEADER_CHANNEL);
    Click(IDC_HEADER_ADD);  // nothing selected
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "speed");
    channel->setCurrentIndex(1);
    Click(IDC_HEADER_ADD);  // already there, whatever the case
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "speed");
    channel->setCurrentIndex(2);
    Click(IDC_HEADER_ADD);
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "speed; Load");
    Click(IDC_HEADER_ADD_ALL);
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "speed; Load; Acc");

    Type(IDC_FONT_SIZE, "40");  // clamped to the range
    ui::Ctl<QCheckBox>(&page, IDC_NEW_PAGE)->setChecked(true);
    page.Apply();
    EXPECT_EQ(cfg.report.fontSize, 24);
    EXPECT_TRUE(cfg.report.bNewPage);
    EXPECT_EQ(cfg.report.headerChannels, (std::vector<std::string>{"speed", "Load", "Acc"}));

    // A configuration replaced under the page is shown anew.
    cfg = CCfgProc();
    cfg.report.programs = {ReportProgram{"Новая", "", {}}};
    page.Reload();
    EXPECT_EQ(Text(IDC_PROGRAM_NAME), "Новая");
    EXPECT_EQ(Text(IDC_FONT_SIZE), "10");
    EXPECT_EQ(Text(IDC_HEADER_CHANNELS), "");
    EXPECT_EQ(ui::Ctl<QComboBox>(&page, IDC_PROGRAMS)->count(), 1);
}

TEST(ReportPageAlone, WithoutAConfigurationNothingIsEditable) {
    CVantrelReportPage page;
    ASSERT_TRUE(page.Create());
    for (int id : {IDC_PROGRAMS, IDC_PROGRAM_ADD, IDC_HEADER_CHANNELS, IDC_HEADER_CHANNEL,
                   IDC_MODE_ADD, IDC_PROGRAM_NAME})
        EXPECT_FALSE(ui::FindControl(&page, id)->isEnabled()) << id;
    EXPECT_EQ(page.windowTitle(), "Отчет");
    page.Apply();  // no configuration: nothing to store, nothing breaks
}

}  // namespace
