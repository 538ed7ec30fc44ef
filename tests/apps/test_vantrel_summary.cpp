// The summary tables of runs, their merge and a trend from it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apps/run_vantrel.h"
#include "korvex/formats/formats.h"
#include "report/summary.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

using testutil::Vantrel;

const SummaryRow* Find(const std::vector<SummaryRow>& rows, const std::string& channel,
                       const std::string& item, const std::string& mode) {
    for (const SummaryRow& r : rows)
        if (r.channel == channel && r.item == item && r.mode == mode) return &r;
    return nullptr;
}

TEST(VantrelSummary, RunWritesItMergeLogsFailuresTrendReadsIt) {
    testutil::TempDir dir("cli-summary");
    const fs::path d = dir.path();
    ASSERT_EQ(Vantrel({"demo", "--out", d.string(), "--duration", "20", "--quiet"}).code, 0);
    // Group 2 on rigid support for Acc1, limits on its first shaft order.
    std::string cfg = testutil::ReadBytes((d / "config" / "gearbox.cfg").string());
    const std::string opt0 = "cnl0_opt0_str=integr=1/valtype=0/bEnabled=1/bShow=1/grNum=2";
    ASSERT_NE(cfg.find(opt0), std::string::npos);
    cfg.replace(cfg.find(opt0), opt0.size(), opt0 + "/alert=1.2/danger=1.45");
    cfg.replace(cfg.find("cnl0_nOpts"), 0, "cnl0_machineClass=2r\r\n");
    testutil::WriteBytes((d / "config" / "limits.cfg").string(), cfg);

    const std::string own = (d / "one.csv").string();
    const auto run = Vantrel({"run", "--data", (d / "sample" / "gearbox.quor").string(), "--config",
                              (d / "config" / "limits.cfg").string(), "--out",
                              (d / "limits").string(), "--summary", own, "--quiet", "--strict"});
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<SummaryRow> rows;
    std::string error;
    ASSERT_TRUE(ReadSummary(own, rows, error)) << error;
    EXPECT_EQ(testutil::ReadBytes(own), testutil::ReadBytes((d / "limits/summary.csv").string()));
    EXPECT_EQ(rows.size(), 33u * 4u);  // 33 signals, three steady speeds and the whole run
    const SummaryRow* broadband = Find(rows, "Acc1", "10-1000 Гц", kSummaryWholeRecording);
    ASSERT_TRUE(broadband);
    EXPECT_EQ(broadband->startTime, "2024-03-15 10:00:00.000");
    EXPECT_EQ(broadband->zone, Zone::B);  // about 2 mm/s
    EXPECT_EQ(broadband->state, LimitState::Ok);
    EXPECT_EQ(Find(rows, "Acc1", "Вход 1x", kSummaryWholeRecording)->limits, LimitState::Danger);
    EXPECT_EQ(Find(rows, "Acc1", "Вход 1x", "2400 об/мин")->limits, LimitState::Alert);
    EXPECT_EQ(Find(rows, "Acc1", "Вход 1x", "1200 об/мин")->limits, LimitState::Ok);
    EXPECT_EQ(Find(rows, "Acc2", "10-1000 Гц", kSummaryWholeRecording)->zone, Zone::None);

    // The limits and zone boundaries travel with the levels for the graphs.
    korvex::DataSet results;
    ASSERT_TRUE(korvex::ReadDataFile((d / "limits/results.quor").string(), results).ok);
    auto lines = [&](const std::string& name) {
        for (const korvex::SignalData& s : results.signals)
            if (s.name == name)
                for (const auto& [key, value] : s.attributes)
                    if (key == "ylines") return value;
        return std::string();
    };
    EXPECT_EQ(lines("Acc1.Вход 1x"),
              "1.2;#c87800;solid;Предупреждение\n1.45;#c80000;solid;Авария\n");
    EXPECT_EQ(lines("Acc1.10-1000 Гц"),
              "1.4;#6a9a6a;dash;A/B\n2.8;#a09a40;dash;B/C\n4.5;#c07040;dash;C/D\n");
    EXPECT_EQ(lines("Acc2.10-1000 Гц"), "");

    // A recording that fails leaves a summary that says why.
    const std::string failed = (d / "failed.csv").string();
    EXPECT_EQ(Vantrel({"run", "--data", (d / "nothing.quor").string(), "--config",
                       (d / "config" / "limits.cfg").string(), "--out", (d / "x").string(),
                       "--summary", failed, "--quiet"})
                  .code,
              3);
    const std::string all = (d / "all" / "ALL.csv").string();
    fs::create_directories(d / "all");
    const auto merge = Vantrel({"summary", "--out", all, (d / "limits").string(), failed});
    ASSERT_EQ(merge.code, 0) << merge.err;
    EXPECT_NE(merge.out.find("132 rows from 2 summary files"), std::string::npos) << merge.out;
    EXPECT_NE(testutil::ReadBytes((d / "all" / "ALL.log").string())
                  .find("failed: " + (d / "nothing.quor").string() + ": data file"),
              std::string::npos);

    const std::string trend = (d / "trend.csv").string();
    ASSERT_EQ(Vantrel({"trend", "--summary", all, "--channel", "Acc1", "--item", "10-1000 Гц",
                       "--csv", trend})
                  .code,
              0);
    EXPECT_EQ(Vantrel({"trend", "--summary", all, "--channel", "Acc1", "--item", "10-1000 Гц",
                       "--csv", trend, "--lang", "de"})
                  .code,
              2);
    const std::string points = testutil::ReadBytes(trend);
    EXPECT_NE(points.find("\ngearbox,2024-03-15 10:00:00.000,"), std::string::npos) << points;
    EXPECT_NE(points.find(",B,ok\n"), std::string::npos) << points;
}

TEST(VantrelSummary, MissingPathIsNamed) {
    testutil::TempDir dir("cli-summary-missing");
    const std::string all = (dir.path() / "all.csv").string();
    const std::string missing = (dir.path() / "nosuchdir").string();
    const auto merge = Vantrel({"summary", "--out", all, missing});
    EXPECT_EQ(merge.code, 3);
    EXPECT_NE(merge.err.find(missing), std::string::npos) << merge.err;
    EXPECT_FALSE(fs::exists(all));

    // The merge itself logs such a path and carries on.
    MergeResult m;
    std::string error;
    ASSERT_TRUE(MergeSummaries({missing}, all, m, error)) << error;
    ASSERT_EQ(m.log.size(), 1u);
    EXPECT_NE(m.log[0].find(missing), std::string::npos) << m.log[0];
}

}  // namespace
