// Summary tables: exact round trips, statistics over measured points, merges, trends.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "report/modes.h"
#include "report/summary.h"
#include "report/trend.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

SummaryRow Row(const std::string& dataSet, const std::string& start, const std::string& channel,
               const std::string& item, double max) {
    SummaryRow r;
    r.file = "/data/" + dataSet + ".quor";
    r.dataSet = dataSet;
    r.startTime = start;
    r.channel = channel;
    r.item = item;
    r.unit = "mm/s";
    r.mode = kSummaryWholeRecording;
    r.from = 0.5;
    r.to = 59.5;
    r.min = r.mean = r.last = r.max = max;
    return r;
}

TEST(Summary, TextReadsBackExactly) {
    SummaryRow odd = Row("Насос, \"3\"", "2026-01-05 08:00:00.000", "Acc1", "10-1000 Гц", 0.1);
    odd.folder = "a\nb";
    odd.alert = 1.0 / 3.0;
    odd.machineClass = MachineClass::Group1Flexible;
    JudgeRow(odd, true);
    SummaryRow failed;
    failed.file = "/data/bad.quor";
    failed.error = "data file \"/data/bad.quor\" not found";
    const std::vector<SummaryRow> rows{odd, failed};
    std::vector<SummaryRow> back;
    std::string error;
    ASSERT_TRUE(ParseSummary(SummaryText(rows), "x.csv", back, error)) << error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(SummaryText(back), SummaryText(rows));
    EXPECT_EQ(back[0].alert, odd.alert);
    EXPECT_EQ(back[0].zone, Zone::A);
    EXPECT_TRUE(std::isnan(back[1].max));

    back.clear();
    EXPECT_FALSE(ParseSummary("time_s,value\n1,2\n", "x.csv", back, error));
    EXPECT_NE(error.find("not a summary table"), std::string::npos);
    std::string text = SummaryText(rows);
    text.insert(text.find("0.1,"), "x");  // "x0.1" is no number
    EXPECT_FALSE(ParseSummary(text, "x.csv", back, error));
    EXPECT_EQ(error, "x.csv, line 2: not a summary row");
}

TEST(Summary, SpanStatisticsSkipUnmeasuredPoints) {
    SummaryRow r;
    r.from = 1.0;
    r.to = 3.0;
    SummariseSpan({9.0, 2.0, NAN, 4.0, 6.0, 9.0}, 0.0, 1.0, r);
    EXPECT_EQ(r.min, 2.0);
    EXPECT_EQ(r.max, 4.0);
    EXPECT_EQ(r.mean, 3.0);
    EXPECT_EQ(r.last, 4.0);
}

TEST(Summary, SteadySpansRunFromFirstToLastSampleInRange) {
    const std::vector<ReportMode> modes{{"low", 10, 1, 2}, {"high", 20, 1, 1.5}};
    const double v[] = {10, 10.5, 11, 9.5, 15, 20, 20, NAN, 20, 20, 20, 10, 10};
    size_t i = 0;
    const std::vector<ModeSpan> spans = SteadySpans(modes, [&](double& t, double& x) {
        if (i >= std::size(v)) return false;
        t = static_cast<double>(i);
        x = v[i++];
        return true;
    });
    ASSERT_EQ(spans.size(), 2u);  // "high" 5-6 is too short, the last "low" too
    EXPECT_EQ(spans[0].mode, &modes[0]);
    EXPECT_EQ(spans[0].from, 0.0);
    EXPECT_EQ(spans[0].to, 3.0);
    EXPECT_EQ(spans[1].mode, &modes[1]);
    EXPECT_EQ(spans[1].from, 8.0);
    EXPECT_EQ(spans[1].to, 10.0);
}

// Folders are searched for summaries; failed recordings and files that do
// not read are logged, the rest sorted by data set, channel, item and time.
TEST(Summary, MergeSortsAndLogsFailures) {
    testutil::TempDir dir("summary");
    const fs::path a = dir.path() / "a", b = dir.path() / "b" / "deep";
    fs::create_directories(a);
    fs::create_directories(b);
    std::string error;
    ASSERT_TRUE(WriteSummary((a / "summary.csv").string(),
                             {Row("pump", "2026-02-01 00:00:00.000", "Acc2", "x", 1),
                              Row("pump", "2026-02-01 00:00:00.000", "Acc1", "x", 2)},
                             error));
    SummaryRow failed;
    failed.file = "/data/broken.quor";
    failed.error = "cannot read it";
    ASSERT_TRUE(WriteSummary((b / "one.csv").string(),
                             {Row("fan", "2026-01-01 00:00:00.000", "Acc1", "x", 3), failed},
                             error));
    testutil::WriteBytes((a / "levels.csv").string(), "time_s,value\n0,1\n");  // not a summary
    testutil::WriteBytes((dir.path() / "torn.csv").string(), SummaryHeader() + "\n\"open\n");

    MergeResult m;
    const std::string all = (dir.path() / "ALL.csv").string();
    testutil::WriteBytes(all, SummaryText({Row("old", "", "Acc1", "x", 1)}));  // not merged again
    ASSERT_TRUE(
        MergeSummaries({dir.path().string(), (dir.path() / "missing.csv").string()}, all, m, error))
        << error;
    EXPECT_EQ(m.files, 2u);
    EXPECT_EQ(m.failed, 3u);
    std::vector<SummaryRow> rows;
    ASSERT_TRUE(ReadSummary(all, rows, error)) << error;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].dataSet, "fan");
    EXPECT_EQ(rows[1].channel, "Acc1");
    EXPECT_EQ(rows[2].channel, "Acc2");
    ASSERT_EQ(m.log.size(), 3u);
    EXPECT_NE(m.log[0].find("failed: /data/broken.quor: cannot read it"), std::string::npos);
    EXPECT_NE(m.log[1].find("torn.csv, line 2"), std::string::npos) << m.log[1];
    EXPECT_NE(m.log[2].find("missing.csv: cannot be read"), std::string::npos) << m.log[2];
}

TEST(Summary, TrendJudgesEachPointByDate) {
    std::vector<SummaryRow> rows{Row("m3", "2026-03-01 00:00:00.000", "Acc1", "v", 4.6),
                                 Row("m1", "2026-01-01 00:00:00.000", "Acc1", "v", 1.0),
                                 Row("m2", "2026-02-01 00:00:00.000", "Acc1", "v", 2.9),
                                 Row("m2", "2026-02-01 00:00:00.000", "Acc1", "other", 9)};
    for (SummaryRow& r : rows) {
        r.machineClass = MachineClass::Group2Rigid;
        r.danger = 4.0;
        JudgeRow(r, true);
    }
    Trend t;
    std::string error;
    ASSERT_TRUE(MakeTrend(rows, {"Acc1", "v"}, t, error)) << error;
    ASSERT_EQ(t.points.size(), 3u);
    EXPECT_TRUE(t.dated);
    EXPECT_EQ(t.points[0].dataSet, "m1");
    EXPECT_EQ(t.points[0].zone, Zone::A);
    EXPECT_EQ(t.points[1].zone, Zone::C);
    EXPECT_EQ(t.points[1].state, LimitState::Alert);
    EXPECT_EQ(t.points[2].zone, Zone::D);
    EXPECT_EQ(t.points[2].state, LimitState::Danger);
    EXPECT_EQ(TrendCsv(t).substr(TrendCsv(t).find('\n') + 1, 43),
              "m1,2026-01-01 00:00:00.000,0.5,1,,4,A,ok\nm2");
    EXPECT_FALSE(MakeTrend(rows, {"Acc1", "nothing"}, t, error));
    EXPECT_FALSE(MakeTrend(rows, {"Acc1", "v", kSummaryWholeRecording, "median"}, t, error));

    // Start times as run writes them, or edited: the fraction is of a
    // second; anything else is no date rather than a wrong one.
    const double noon = DateFromText("2026-01-01 12:00:00.000");
    EXPECT_NEAR((DateFromText("2026-01-01 12:00:00.5") - noon) * 86400, 0.5, 1e-4);
    EXPECT_DOUBLE_EQ(DateFromText("2026-01-01 12:00:00"), noon);
    for (const char* bad : {"2026-01-01", "2026-01-01 12:00:00x", "99999999999-01-01 12:00:00",
                            "2026-13-01 12:00:00", ""})
        EXPECT_TRUE(std::isnan(DateFromText(bad))) << bad;
}

TEST(Summary, TrendChoicesKeepWhatTheNextChannelHas) {
    std::vector<SummaryRow> rows{Row("m1", "", "Acc1", "v", 1), Row("m1", "", "Acc1", "w", 1),
                                 Row("m1", "", "Acc2", "w", 1), Row("m2", "", "Acc3", "x", 1)};
    rows[1].mode = "1200 rpm";
    rows.push_back(rows[1]);
    rows.back().mode = kSummaryWholeRecording;
    rows[3].error = "bad file";
    TrendChoices c = ChooseTrend(rows, {"Acc2", "w", "1200 rpm", "min"});
    EXPECT_EQ(c.channels, (std::vector<std::string>{"Acc1", "Acc2"}));
    EXPECT_EQ(c.items, std::vector<std::string>{"w"});
    EXPECT_EQ(c.query.mode, kSummaryWholeRecording);  // Acc2 has no such mode
    EXPECT_EQ(c.query.value, "min");
    c = ChooseTrend(rows, {"Acc1", "w", "1200 rpm"});
    EXPECT_EQ(c.modes, (std::vector<std::string>{kSummaryWholeRecording, "1200 rpm"}));
    EXPECT_EQ(c.query.mode, "1200 rpm");
    c = ChooseTrend(rows, {"gone", "nothing"});
    EXPECT_EQ(c.query.channel, "Acc1");
    EXPECT_EQ(c.query.item, "v");
    EXPECT_TRUE(ChooseTrend({}, {}).modes.empty());
}

}  // namespace
