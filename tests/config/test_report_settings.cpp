// Report settings: defaults, written forms, exact numbers and hand-written files.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/report_settings.h"
#include "platform/datafolder.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

plat::ProfileFile Ini(const std::string& text) {
    plat::ProfileFile f;
    f.Parse(plat::Utf8ToCp1251(text));
    return f;
}

ReportProgram Program(const std::string& name, const std::string& channel,
                      std::vector<ReportMode> modes) {
    return ReportProgram{name, channel, std::move(modes)};
}

}  // namespace

TEST(ReportSettingsDialogKeys, DefaultsStayWithoutTheSectionAndRectangleIsNormalised) {
    ReportSettings s;
    s.LoadDialogKeys(Ini("[general]\r\ncfgFile=\r\n"));
    EXPECT_EQ(s, ReportSettings{});
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_TRUE(s.bOpenReport);
    EXPECT_TRUE(s.dlgRect.IsEmpty());

    // Swapped borders are put in order; a zero-width rectangle stays empty.
    s.LoadDialogKeys(Ini("[REPORTDLG]\r\nDLGRECT=left=300/top=200/right=100/bottom=50\r\n"));
    EXPECT_EQ(s.dlgRect, (ReportRect{100, 50, 300, 200}));
    s.LoadDialogKeys(Ini("[reportDlg]\r\ndlgRect=left=5/top=5/right=5/bottom=9\r\n"));
    EXPECT_TRUE(s.dlgRect.IsEmpty());
    EXPECT_EQ(s.dlgRect, ReportRect{});

    // Missing widths read 0; empty values keep the fields; numbers are C prefixes.
    s.colWidth = {9, 9, 9, 9, 9};
    s.LoadDialogKeys(
        Ini("[reportDlg]\r\ndlgColWidth=c0=10/c2=30x/c4=abc\r\nfontSize=\r\nbLandscape=2\r\n"
            "bOpenReport=0\r\nrepFile=  /home/u/Отчёт.rtf \r\n"));
    EXPECT_EQ(s.colWidth, (std::array<int32_t, 5>{10, 0, 30, 0, 0}));
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_TRUE(s.bLandscape);
    EXPECT_FALSE(s.bOpenReport);
    EXPECT_EQ(s.reportFile, "/home/u/Отчёт.rtf");
}

TEST(ReportSettingsDialogKeys, WrittenFormsAndRoundTrip) {
    ReportSettings s;
    s.reportFile = "C:\\Отчеты\\r.rtf";
    s.dlgRect = {10, 20, 640, 480};
    s.colWidth = {100, 60, 60, 80, 200};
    s.fontSize = 12;
    s.bNewPage = true;
    s.bOpenReport = false;
    plat::ProfileFile ini;
    s.SaveDialogKeys(ini);
    EXPECT_EQ(ini.GetString("reportDlg", "dlgRect"), "left=10/top=20/right=640/bottom=480");
    EXPECT_EQ(ini.GetString("reportDlg", "dlgColWidth"), "c0=100/c1=60/c2=60/c3=80/c4=200");
    EXPECT_EQ(ini.GetString("reportDlg", "bNewPage"), "1");
    EXPECT_EQ(ini.GetString("reportDlg", "bLandscape"), "0");
    EXPECT_EQ(ini.GetSectionKeys("reportDlg"),
              (std::vector<std::string>{"repFile", "dlgRect", "dlgColWidth", "fontSize", "bNewPage",
                                        "bLandscape", "bOpenReport"}));
    ReportSettings back;
    back.LoadDialogKeys(ini);
    EXPECT_EQ(back, s);
}

TEST(ReportSettingsPrograms, RoundTripWithExactNumberFormats) {
    ReportSettings s;
    s.programs.push_back(
        Program("Испытание 1", "Обороты",
                {{"Холостой ход", 750.0, 25.5, 10.0}, {"Номинал", 1500.125, 2.0, 2.25}}));
    s.programs.push_back(Program("Empty", "", {{"huge", 1e300, -1e200, 1e30}}));
    s.headerChannels = {"Датчик 1", "T2"};
    s.autoProgram = "not stored";

    plat::ProfileFile ini;
    s.SavePrograms(ini);
    EXPECT_EQ(ini.GetString("report", "nPrograms"), "2");
    EXPECT_EQ(ini.GetString("report", "prog0_nPnts"), "2");
    EXPECT_EQ(ini.GetString("report", "prog0pnt1_value"), "1500.125000");
    EXPECT_EQ(ini.GetString("report", "prog0pnt1_range"), "2.000000");
    EXPECT_EQ(ini.GetString("report", "prog0pnt1_time"), "2.2");  // "%.1f"
    EXPECT_EQ(ini.GetString("report", "prog1_cnl", "missing"), "");
    EXPECT_EQ(ini.GetString("report", "cnlsInHdr"), "Датчик 1; T2");

    plat::ProfileFile disk;
    disk.Parse(ini.ToBytes());
    ReportSettings back;
    back.LoadPrograms(disk);
    EXPECT_EQ(back.headerChannels, s.headerChannels);
    ASSERT_EQ(back.programs.size(), 2u);
    EXPECT_EQ(back.programs[1], s.programs[1]);
    EXPECT_EQ(back.programs[0].modes[0], s.programs[0].modes[0]);
    EXPECT_DOUBLE_EQ(back.programs[0].modes[1].duration, 2.2);
}

TEST(ReportSettingsPrograms, HandWrittenFileWithGapsAndStaleKeys) {
    ReportSettings s;
    s.programs.push_back(Program("old", "x", {}));
    s.headerChannels = {"old"};
    s.LoadPrograms(
        Ini("[Report]\r\n"
            "NPROGRAMS=3\r\n"
            "prog0_name=\r\n"  // skipped, the index still advances
            "prog1_name=P1\r\n"
            "prog1_nPnts=3\r\n"
            "prog1pnt0_name=m0\r\n"
            "prog1pnt0_value=12.5abc\r\n"
            "prog1pnt2_name=m2\r\n"
            "prog1pnt2_range=-1\r\n"
            "prog1pnt3_name=beyond the count\r\n"
            "prog2_name=P2\r\n"
            "prog3_name=stale program\r\n"));
    ASSERT_EQ(s.programs.size(), 2u);
    EXPECT_EQ(s.programs[0].name, "P1");
    EXPECT_EQ(s.programs[0].featureChannel, "");
    ASSERT_EQ(s.programs[0].modes.size(), 2u);
    EXPECT_EQ(s.programs[0].modes[0], (ReportMode{"m0", 12.5, 0.0, 0.0}));
    EXPECT_EQ(s.programs[0].modes[1], (ReportMode{"m2", 0.0, -1.0, 0.0}));
    EXPECT_TRUE(s.programs[1].modes.empty());
    EXPECT_FALSE(s.programs[1].IsComplete());
    EXPECT_TRUE(s.headerChannels.empty());

    // Without "nPrograms" nothing is loaded.
    s.LoadPrograms(Ini("[report]\r\nprog0_name=P\r\ncnlsInHdr= A ;B;;\tC\r\n"));
    EXPECT_TRUE(s.programs.empty());
    EXPECT_EQ(s.headerChannels, (std::vector<std::string>{"A", "B", "C"}));

    // Saving fewer programs leaves the old keys, which are not loaded again.
    plat::ProfileFile ini;
    ReportSettings two;
    two.programs = {Program("a", "c", {}), Program("b", "c", {})};
    two.SavePrograms(ini);
    two.programs.pop_back();
    two.SavePrograms(ini);
    EXPECT_EQ(ini.GetString("report", "prog1_name"), "b");
    ReportSettings back;
    back.LoadPrograms(ini);
    EXPECT_EQ(back.programs, two.programs);
}

TEST(ReportSettingsPrograms, FindProgramIsCaseInsensitiveFirstMatch) {
    ReportSettings s;
    s.programs = {Program("", "c", {}), Program("Прогон", "a", {}), Program("ПРОГОН", "b", {})};
    ASSERT_NE(s.FindProgram("прогон"), nullptr);
    EXPECT_EQ(s.FindProgram("прогон")->featureChannel, "a");
    EXPECT_EQ(s.FindProgram(""), nullptr);
    EXPECT_EQ(s.FindProgram("прогон 2"), nullptr);
    const ReportSettings& cs = s;
    EXPECT_EQ(cs.FindProgram("ПрОгОн"), &s.programs[1]);
}

TEST(ReportSettingsPrograms, HeaderChannelText) {
    EXPECT_EQ(HeaderChannelsFromText(" A ;B;; C"), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(HeaderChannelsToText({" A ", "", "\t", "B", "C"}), "A; B; C");
    EXPECT_EQ(HeaderChannelsFromText("x;x; ;"), (std::vector<std::string>{"x", "x"}));
    EXPECT_TRUE(HeaderChannelsFromText("").empty());
    EXPECT_EQ(HeaderChannelsToText({}), "");
}

TEST(ReportSettingsFiles, PathFormsWriteAndReadTheFile) {
    const testutil::TempDir temp("report-settings");
    const fs::path& dir = temp.path();
    const std::string path = temp.Path("s.cfg");
    ReportSettings s;
    s.fontSize = 14;
    s.programs = {Program("P", "F", {{"M", 1, 2, 3}})};
    EXPECT_TRUE(s.SaveDialogKeys(path));
    EXPECT_TRUE(s.SavePrograms(path));
    ReportSettings back;
    back.LoadDialogKeys(path);
    back.LoadPrograms(path);
    EXPECT_EQ(back, s);
    EXPECT_FALSE(s.SavePrograms(dir.string()));  // a folder is no INI file

    // An empty report file means "Report.rtf" in the data folder.
    plat::SetDataFolder(dir.string());
    EXPECT_EQ(ReportSettings{}.ReportFilePath(), (dir / "Report.rtf").string());
    plat::SetDataFolder("");
    s.reportFile = "/x/y.rtf";
    EXPECT_EQ(s.ReportFilePath(), "/x/y.rtf");
}
