// Rules of the report window, the report page and the automatic-report
// dialog that need no widgets.

#include <gtest/gtest.h>

#include "test_util.h"
#include "ui/res/ids.h"
#include "ui/rules/reportrules.h"

using namespace reportrules;

TEST(ReportRules, ColumnWidthsOutsideTheRangeBecomeAFifth) {
    // (520 - 20) / 5 = 100; (523 - 20) / 5 = 100.6 rounds to 101.
    std::array<int32_t, 5> w = {0, 20, 1000, 5000, 19};
    EXPECT_TRUE(ValidateColumnWidths(w, 520));
    EXPECT_EQ(w, (std::array<int32_t, 5>{100, 20, 1000, 100, 100}));
    w = {0, 1001, 50, 50, 50};
    ValidateColumnWidths(w, 523);
    EXPECT_EQ(w, (std::array<int32_t, 5>{101, 101, 50, 50, 50}));
    std::array<int32_t, 5> good = {20, 30, 40, 50, 1000};
    EXPECT_FALSE(ValidateColumnWidths(good, 520));
    EXPECT_EQ(good, (std::array<int32_t, 5>{20, 30, 40, 50, 1000}));
}

TEST(ReportRules, ResizeMovesEachControlItsOwnWay) {
    EXPECT_EQ(Moved({10, 20, 110, 70}, 5, 7, 3, -2), (Box{15, 27, 118, 75}));
    const std::vector<ControlMove> m = ReportWindowMoves(30, -12);
    ASSERT_EQ(m.size(), 4u);
    auto find = [&](int id) {
        for (const ControlMove& c : m)
            if (c.id == id) return std::array<int, 4>{c.dx, c.dy, c.dw, c.dh};
        return std::array<int, 4>{-99, -99, -99, -99};
    };
    using A = std::array<int, 4>;
    EXPECT_EQ(find(res::IDC_LIST), (A{0, 0, 30, -12}));
    EXPECT_EQ(find(res::IDC_REPORT_BUTTON), (A{0, -12, 0, 0}));
    EXPECT_EQ(find(res::IDC_REPORT_FILE), (A{0, -12, 30, 0}));
    EXPECT_EQ(find(res::IDC_BROWSE), (A{30, -12, 0, 0}));
}

TEST(ReportRules, FreeNamesIgnoreCaseAndFillGaps) {
    EXPECT_EQ(FreeName("Программа %d", {}), "Программа 1");
    EXPECT_EQ(FreeName("Программа %d", {"Программа 2"}), "Программа 1");
    EXPECT_EQ(FreeName("Режим %d", {"Режим 1", "режим 2"}), "Режим 3");
    EXPECT_EQ(FreeName("Режим %d", {"РЕЖИМ 1", "Другой"}), "Режим 2");
}

TEST(ReportRules, NumbersAndModeButtons) {
    {
        testutil::CommaNumericLocale comma;  // what a desktop session may set
        EXPECT_EQ(Number("1200.5"), 1200.5);
        EXPECT_EQ(Number("1200,5"), 1200.5);
        EXPECT_EQ(Number("0,75 Hz"), 0.75);
    }
    EXPECT_EQ(Number("12.5abc"), 12.5);
    EXPECT_EQ(Number("x"), 0.0);
    EXPECT_EQ(NonNegative(Number("-5")), 0.0);
    EXPECT_EQ(NonNegative(3.0), 3.0);
    auto b = ModeButtonsFor(0, 1);  // one mode: neither move
    EXPECT_TRUE(b.remove);
    EXPECT_FALSE(b.up || b.down);
    b = ModeButtonsFor(0, 3);
    EXPECT_TRUE(!b.up && b.down);
    b = ModeButtonsFor(2, 3);
    EXPECT_TRUE(b.up && !b.down);
    b = ModeButtonsFor(-1, 3);
    EXPECT_FALSE(b.remove || b.up || b.down);
}

TEST(ReportRules, HeaderChannelsAddOnlyWhatIsMissing) {
    std::vector<std::string> list = {"Speed", "temp"};
    EXPECT_FALSE(AddHeaderChannel(list, "TEMP"));
    EXPECT_FALSE(AddHeaderChannel(list, ""));
    EXPECT_TRUE(AddHeaderChannel(list, "Load"));
    EXPECT_TRUE(AddAllHeaderChannels(list, {"Acc", "Temp", "Speed", "Tacho"}));
    EXPECT_EQ(list, (std::vector<std::string>{"Speed", "temp", "Load", "Acc", "Tacho"}));
    EXPECT_FALSE(AddAllHeaderChannels(list, {"acc"}));
}

TEST(ReportRules, PrefixLookupAndTheAutomaticReportFile) {
    const std::vector<std::string> e = {"Разгон", "Режимы", "режимы 2"};
    EXPECT_EQ(FindPrefix(e, "РЕЖ"), 1);
    EXPECT_EQ(FindPrefix(e, "режимы 2"), 2);
    EXPECT_EQ(FindPrefix(e, "Выбег"), -1);
    EXPECT_EQ(FindPrefix(e, ""), -1);

    ReportSettings rs;
    rs.reportFile = "/r/main.rtf";
    EXPECT_EQ(AutoReportFile(rs), "/r/main.rtf");
    rs.autoFile = "/r/auto.rtf";
    EXPECT_EQ(AutoReportFile(rs), "/r/auto.rtf");
    rs.autoFile.clear();
    rs.reportFile.clear();
    EXPECT_EQ(AutoReportFile(rs), rs.ReportFilePath());
}
