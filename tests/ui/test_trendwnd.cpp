// The trend window over a summary file: opened through the file dialog's
// hook, lists by control id, the plot's trend, a file that does not read.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "report/summary.h"
#include "test_util.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/res/ids.h"
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
