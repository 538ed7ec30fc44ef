// The trend window over a summary file: opened through the file dialog's
// hook, lists by control id, the plot's trend, a file that does not read;
// the trend picture's words in either language.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "drawn_text.h"
#include "report/summary.h"
#include "test_util.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/res/en/english.h"
#include "ui/res/ids.h"
#include "ui/trendplot.h"
#include "ui/trendwnd.h"
#include "ui_util.h"

using namespace res;

namespace {

SummaryRow Row(const std::string& set, const std::string& channel, const std::string& item,
               const std::string& mode, double max) {
    SummaryRow r;
    r.file = set + ".quor";
    r.dataSet = set;
    r.startTime = "2026-0" + set.substr(1) + "-01 08:00:00.000";
    r.channel = channel;
    r.item = item;
    r.unit = "mm/s";
    r.mode = mode;
    r.from = 0;
    r.to = 10;
    r.min = max / 2;
    r.mean = r.last = r.max = max;
    return r;
}

}  // namespace

TEST(TrendWindow, OpensASummaryAndFollowsTheListsKeepingChoicesThatExist) {
    testutil::TempDir dir("trend-window");
    const std::string path = dir.Path("ALL.csv");
    std::vector<SummaryRow> rows;
    for (const char* set : {"m1", "m2"}) {
        rows.push_back(Row(set, "Acc1", "10-1000 Гц", kSummaryWholeRecording, set[1] - '0'));
        rows.push_back(Row(set, "Acc1", "10-1000 Гц", "1200 об/мин", 1.5));
        rows.push_back(Row(set, "Acc1", "Вход 1x", kSummaryWholeRecording, 0.5));
        rows.push_back(Row(set, "Acc2", "10-1000 Гц", kSummaryWholeRecording, 3));
    }
    std::string error;
    ASSERT_TRUE(WriteSummary(path, rows, error)) << error;
    testutil::WriteBytes(dir.Path("bad.csv"), "not a summary\n");

    std::optional<std::string> answer = path;
    const auto oldFiles = ui::SetFileDialogHook([&](const ui::FileRequest&) { return answer; });
    uitest::Boxes boxes;
    CTrendWnd w;
    ASSERT_TRUE(w.OnOpen());
    auto* channel = ui::Ctl<QComboBox>(&w, IDC_TREND_CHANNEL);
    auto* item = ui::Ctl<QComboBox>(&w, IDC_TREND_ITEM);
    auto* mode = ui::Ctl<QComboBox>(&w, IDC_TREND_MODE);
    auto* value = ui::Ctl<QComboBox>(&w, IDC_TREND_VALUE);
    ASSERT_TRUE(channel && item && mode && value);
    EXPECT_EQ(ui::Ctl<QLineEdit>(&w, IDC_TREND_FILE)->text().toStdString(), path);
    EXPECT_EQ(channel->count(), 2);
    EXPECT_EQ(item->count(), 2);
    EXPECT_EQ(mode->currentText(), ui::Text(IDS_TREND_WHOLE));
    ASSERT_EQ(w.Shown().points.size(), 2u);
    EXPECT_EQ(w.Shown().points[1].value, 2.0);

    mode->setCurrentIndex(1);
    value->setCurrentIndex(2);  // minimum
    EXPECT_EQ(w.Choices().query.mode, "1200 об/мин");
    EXPECT_EQ(w.Shown().points[0].value, 0.75);
    channel->setCurrentIndex(1);  // Acc2 has the band but not the mode
    EXPECT_EQ(w.Choices().query.item, "10-1000 Гц");
    EXPECT_EQ(w.Choices().query.mode, kSummaryWholeRecording);
    EXPECT_EQ(item->count(), 1);
    EXPECT_EQ(w.Shown().points[0].value, 1.5);
    EXPECT_FALSE(w.grab().isNull());

    // A file that does not read is named to the user; the summary shown stays.
    answer = dir.Path("bad.csv");
    ui::Ctl<QPushButton>(&w, IDC_TREND_OPEN)->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_NE(boxes.seen[0].text.find("bad.csv"), std::string::npos) << boxes.seen[0].text;
    EXPECT_EQ(w.Shown().points.size(), 2u);
    answer.reset();
    EXPECT_FALSE(w.OnOpen());
    ui::SetFileDialogHook(oldFiles);
}

// The picture of vantrel-trend and of the window in either language: the
// legend, the zones and the title's mode and value in the module's words,
// nothing left in the other language (the channel, band and unit are data).
TEST(TrendPicture, SpeaksTheLanguageOfItsModule) {
    Trend trend;
    trend.unit = "mm/s";
    trend.query.channel = "Acc1";
    trend.query.item = "Band";
    trend.machineClass = MachineClass::Group2Rigid;
    for (int i = 0; i < 3; ++i) {
        TrendPoint p;
        p.dataSet = "m" + std::to_string(i);
        p.date = 45000 + i;
        p.value = 1.0 + i;
        p.alert = 2.5;
        p.danger = 4.0;
        p.zone = Zone::B;
        p.state = LimitState::Ok;
        trend.points.push_back(p);
    }
    const res::TableModule english = res::EnglishModule();
    for (const res::Module* m : {&res::OwnModule(), static_cast<const res::Module*>(&english)}) {
        const bool ru = m == &res::OwnModule();
        testutil::TextRecorder r({1100, 620});
        QPainter g(&r);
        trendplot::PaintTrend(g, trend, 1100, 620, trendplot::ModuleTexts(*m, trend.query));
        g.end();
        const QString all = r.texts.join(" | ");
        EXPECT_TRUE(all.contains(ru ? "авария" : "danger")) << all.toStdString();
        EXPECT_TRUE(all.contains(ru ? "Весь замер, Максимум" : "Whole recording, Maximum"))
            << all.toStdString();
        for (const QString& t : r.texts)
            EXPECT_FALSE(ru ? testutil::HasForeignLatin(t, {"Acc", "Band", "mm", "ISO"})
                            : testutil::HasCyrillic(t))
                << t.toStdString();
    }
}
