// The vantrel command: its arguments and errors, and whole runs on the
// generated gearbox sample.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "apps/run_vantrel.h"
#include "apps/samplegen/gearbox.h"
#include "apps/vantrel/cli.h"
#include "apps/vantrel/demo_files.h"
#include "korvex/formats/formats.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

using testutil::Outcome;
using testutil::Vantrel;

struct Series {
    std::vector<double> t, v;
};

Series ReadCsv(const fs::path& path) {
    Series s;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "time_s,value") << path;
    while (std::getline(in, line)) {
        const size_t comma = line.find(',');
        s.t.push_back(std::stod(line.substr(0, comma)));
        s.v.push_back(std::stod(line.substr(comma + 1)));
    }
    return s;
}

double Mean(const std::vector<double>& v, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += v[i];
    return sum / static_cast<double>(to - from);
}

TEST(VantrelArgs, BadArgumentsGiveOneLineAndUsageCode) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"run"},
        {"run", "--data", "x.quor", "--out", "o"},
        {"run", "--data", "x.quor", "--config", "a.cfg", "--settings", "b.cfg", "--out", "o"},
        {"run", "--data", "x.quor", "--config", "a.cfg"},
        {"run", "--data", "x.quor", "--config", "a.cfg", "--out", "o", "--speed", "2"},
        {"run", "--data", "x.quor", "--data", "y.quor", "--config", "a.cfg", "--out", "o"},
        {"run", "--data"},
        {"run", "--data=", "--config", "a.cfg", "--out", "o"},
        {"run", "stray", "--data", "x.quor", "--config", "a.cfg", "--out", "o"},
        {"demo", "--duration", "fast"},
        {"demo", "--duration", "1"},
        {"demo", "--data", "x.quor"},
        {"run", "--data", "x.quor", "--config", "a.cfg", "--out", "o", "--jobs", "0"},
        {"run", "--data", "x.quor", "--config", "a.cfg", "--out", "o", "--jobs", "two"},
        {"run", "--data", "x.quor", "--config", "a.cfg", "--out", "o", "--jobs=1000"},
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        SCOPED_TRACE(joined);
        const Outcome o = Vantrel(args);
        EXPECT_EQ(o.code, vantrel::kExitUsage);
        EXPECT_EQ(o.ErrLines(), 1) << o.err;
        EXPECT_EQ(o.err.rfind("vantrel: ", 0), 0u) << o.err;
        EXPECT_TRUE(o.out.empty()) << o.out;
    }

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"run", "--help"}, {"help", "run"}}) {
        const Outcome o = Vantrel(args);
        EXPECT_EQ(o.code, 0);
        EXPECT_EQ(o.out.rfind("Usage: vantrel run --data FILE", 0), 0u) << o.out;
        EXPECT_TRUE(o.err.empty());
    }
}

TEST(VantrelArgs, MissingAndUnreadableInputsGiveOneLine) {
    const testutil::TempDir temp("cli-inputs");
    const fs::path& dir = temp.path();
    const fs::path cfg = dir / "a.cfg";
    testutil::WriteBytes(cfg, "[test]\r\nnSections=0\r\n");
    const fs::path junk = dir / "junk.quor";
    testutil::WriteBytes(junk, "this is not a data set");
    const fs::path out = dir / "out";

    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {{"run", "--data", (dir / "none.quor").string(), "--config", cfg.string(), "--out",
          out.string()},
         "none.quor"},
        {{"run", "--data", junk.string(), "--config", (dir / "none.cfg").string(), "--out",
          out.string()},
         "none.cfg"},
        {{"run", "--data", junk.string(), "--settings", dir.string(), "--out", out.string()},
         "folder"},
        {{"run", "--data", junk.string(), "--config", cfg.string(), "--out", out.string()},
         "junk.quor"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mentions);
        const Outcome o = Vantrel(k.args);
        EXPECT_EQ(o.code, vantrel::kExitInput);
        EXPECT_EQ(o.ErrLines(), 1) << o.err;
        EXPECT_NE(o.err.find(k.mentions), std::string::npos) << o.err;
    }
    EXPECT_FALSE(fs::exists(out));  // nothing written for a failed run

    // An output folder that is a file is refused before any work.
    const Outcome o =
        Vantrel({"run", "--data", junk.string(), "--config", cfg.string(), "--out", cfg.string()});
    EXPECT_EQ(o.code, vantrel::kExitOutput);
    EXPECT_EQ(o.ErrLines(), 1) << o.err;
}

TEST(VantrelTable, ColumnsLineUpWithCyrillicNames) {
    std::ostringstream out;
    vantrel::PrintResultTable(out, {{"Acc1", "Зубцовая 23x", "m/s^2", 10, 0.5, 5.0, 4.96},
                                    {"Acc1", "10-100 Гц", "mm/s", 10, 1.25, 1.5, 1.5},
                                    {"Тахо", "Tacho.taho", "Hz", 10, 10.3, 49.7, 49.7}});
    std::istringstream lines(out.str());
    std::string line;
    std::vector<size_t> unitAt;
    auto chars = [](const std::string& s, size_t bytes) {
        size_t n = 0;
        for (size_t i = 0; i < bytes; ++i)
            if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++n;
        return n;
    };
    while (std::getline(lines, line)) {
        for (const char* u : {"Unit", "m/s^2", "mm/s", "Hz"})
            if (size_t p = line.find(u); p != std::string::npos) unitAt.push_back(chars(line, p));
    }
    ASSERT_EQ(unitAt.size(), 4u) << out.str();
    for (size_t p : unitAt) EXPECT_EQ(p, unitAt.front()) << out.str();
    // The channel is named once per group.
    EXPECT_EQ(out.str().find("Acc1"), out.str().rfind("Acc1"));
}

// One demo run shared by the end-to-end checks: a 20 s run-up is short
// enough for a test and long enough for the tracking bands to settle.
class VantrelDemo : public ::testing::Test {
  protected:
    static constexpr double kDuration = 20.0;

    static void SetUpTestSuite() {
        temp_ = std::make_unique<testutil::TempDir>("cli-demo");
        run_ = std::make_unique<Outcome>(Vantrel(
            {"demo", "--out", Dir().string(), "--duration", std::to_string(kDuration), "--quiet"}));
    }
    static void TearDownTestSuite() {
        run_.reset();
        temp_.reset();
    }
    static const fs::path& Dir() { return temp_->path(); }
    static fs::path Csv(const std::string& rel) { return Dir() / "results" / "csv" / rel; }

    static inline std::unique_ptr<testutil::TempDir> temp_;
    static inline std::unique_ptr<Outcome> run_;
};

TEST_F(VantrelDemo, WritesSampleConfigurationAndResultTree) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    EXPECT_TRUE(run_->err.empty()) << run_->err;  // no warnings, and --quiet
    EXPECT_NE(run_->out.find("Расчет закончен"), std::string::npos);
    EXPECT_NE(run_->out.find("Зубцовая 23x"), std::string::npos);  // the table

    EXPECT_TRUE(fs::is_regular_file(Dir() / "sample" / "gearbox.quor"));
    for (const vantrel::DemoFile& f : vantrel::DemoFiles())
        EXPECT_EQ(fs::file_size(Dir() / "config" / std::string(f.name)), f.bytes.size()) << f.name;
    EXPECT_GT(fs::file_size(Dir() / "results" / "results.quor"), 0u);
    EXPECT_GT(fs::file_size(Dir() / "results" / "results.uff"), 0u);
    // The MAT file holds the same results as the host's own file.
    korvex::DataSet quor, mat;
    ASSERT_TRUE(korvex::ReadQuor((Dir() / "results" / "results.quor").string(), quor).ok);
    const korvex::FileResult read =
        korvex::ReadMat((Dir() / "results" / "results.mat").string(), mat);
    ASSERT_TRUE(read.ok) << read.message;
    ASSERT_EQ(mat.signals.size(), quor.signals.size());
    for (size_t i = 0; i < quor.signals.size(); ++i) {
        EXPECT_EQ(mat.signals[i].folder, quor.signals[i].folder);
        EXPECT_EQ(mat.signals[i].name, quor.signals[i].name);
        EXPECT_EQ(mat.signals[i].stepX, quor.signals[i].stepX);
        EXPECT_EQ(mat.signals[i].samples, quor.signals[i].samples);
    }

    // Items directly in a section sit in the channel folder, items of a
    // folder one level down; tachos under "Тахо".
    for (const char* rel :
         {"Тахо/Tacho.taho.csv", "Acc1/Acc1.Зубцовая 23x.csv", "Acc1/Вход/Acc1.Вход 1x.csv",
          "Acc2/Боковые полосы/Acc2.Зубцовая -выход.csv",
          "Acc2/Подшипник входа/Acc2.Наружное кольцо.csv", "Acc1/Acc1.10-1000 Гц.csv"})
        EXPECT_TRUE(fs::is_regular_file(Csv(rel))) << rel;
    size_t csv = 0;
    for (const auto& e : fs::recursive_directory_iterator(Dir() / "results" / "csv"))
        csv += e.is_regular_file();
    EXPECT_EQ(csv, 1u + 2u * 16u);  // the tacho and 16 bands on each accelerometer
}

TEST_F(VantrelDemo, ReportHasOneEntryPerSteadySpeed) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    EXPECT_NE(run_->out.find("Report: " + (Dir() / "report.rtf").string() + " (3 entries)"),
              std::string::npos)
        << run_->out;
    const std::string doc = testutil::ReadBytes(Dir() / "report.rtf");
    size_t entries = 0;
    for (const char* mode : {"1200", "1800", "2400"}) {
        const std::string line = "\n\xD0\xE5\xE6\xE8\xEC\n: \t\t\n" + std::string(mode);  // Режим
        entries += doc.find(line) != std::string::npos;
    }
    EXPECT_EQ(entries, 3u);
    EXPECT_FALSE(fs::exists(Dir() / ".new.report.rtf"));
}

TEST_F(VantrelDemo, LevelsFollowTheRunUp) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    samplegen::GearboxScheme scheme;
    scheme.duration = kDuration;

    // The rotation frequency is the input shaft's mean speed, second by
    // second (the speed changes between the steps within a block).
    const Series tacho = ReadCsv(Csv("Тахо/Tacho.taho.csv"));
    ASSERT_GE(tacho.v.size(), 15u);
    const double block = tacho.t[1] - tacho.t[0];
    for (size_t i = 0; i < tacho.v.size(); ++i) {
        const double mean = (samplegen::InputShaftRevs(scheme, tacho.t[i] + block / 2) -
                             samplegen::InputShaftRevs(scheme, tacho.t[i] - block / 2)) /
                            block;
        EXPECT_NEAR(tacho.v[i], mean, 0.01 * tacho.v[i]);
    }

    // The mesh band rises with speed. Levels are compared with what was put
    // in at three quarters of the run: near the end the tacho curve, one
    // point per second, holds its last value while the shaft still speeds up.
    const Series mesh = ReadCsv(Csv("Acc1/Acc1.Зубцовая 23x.csv"));
    const size_t n = mesh.v.size();
    ASSERT_GE(n, 100u);
    EXPECT_GT(Mean(mesh.v, 3 * n / 4, n), 4.0 * Mean(mesh.v, 0, n / 4));
    const size_t k = 3 * n / 4;
    const double t = mesh.t[k];
    const samplegen::AccComponents put = samplegen::AccAmplitudes(scheme, 1, t);
    EXPECT_NEAR(mesh.v[k], put.mesh, 0.03 * put.mesh);  // amplitude ("Амплитуда")

    // Input shaft 1x integrated once: the velocity RMS of the order in mm/s.
    const Series in1 = ReadCsv(Csv("Acc1/Вход/Acc1.Вход 1x.csv"));
    ASSERT_EQ(in1.t[k], t);
    const double velocity =
        put.in1x / (2.0 * std::numbers::pi * samplegen::InputShaftHz(scheme, t)) / std::sqrt(2.0);
    EXPECT_NEAR(in1.v[k], 1000.0 * velocity, 0.03 * 1000.0 * velocity);

    // The bearing tone's RMS, tracked at 3.57 orders.
    const Series bpfo = ReadCsv(Csv("Acc1/Подшипник входа/Acc1.Наружное кольцо.csv"));
    EXPECT_NEAR(bpfo.v[k], put.bpfo / std::sqrt(2.0), 0.03 * put.bpfo / std::sqrt(2.0));
}

TEST_F(VantrelDemo, SettingsFileNamingTheConfigurationGivesTheSameResults) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    // A settings file beside the demo folders naming the configuration by a
    // relative path, as a user moving the folder would have it.
    const fs::path settings = Dir() / "plgVantrel.cfg";
    testutil::WriteBytes(settings,
                         "[general]\r\ncfgFile=config/gearbox.cfg\r\nsrcFileKorvex=elsewhere\r\n");
    const fs::path out = Dir() / "again";
    // Band borders asked for besides: the same levels, and the borders in a
    // folder of their own that the summary table leaves out.
    const Outcome o =
        Vantrel({"run", "--data", (Dir() / "sample" / "gearbox.quor").string(), "--settings",
                 settings.string(), "--out", out.string(), "--quiet", "--band-frequencies"});
    ASSERT_EQ(o.code, 0) << o.err;
    for (const char* rel : {"Acc2/Вход/Acc2.Вход 1x.csv", "Acc1/Acc1.10-100 Гц.csv"}) {
        const Series a = ReadCsv(Csv(rel));
        const Series b = ReadCsv(out / "csv" / rel);
        EXPECT_EQ(a.v, b.v) << rel;
    }
    for (const char* rel :
         {"Acc2/Частоты полос/Вход/Вход 1x.mid.csv", "Acc1/Частоты полос/10-100 Гц.lo.csv",
          "Acc1/Частоты полос/10-100 Гц.hi.csv"})
        EXPECT_TRUE(fs::is_regular_file(out / "csv" / rel)) << rel;
    EXPECT_EQ(o.out.find(".mid"), std::string::npos);
}

TEST_F(VantrelDemo, SeveralJobsWriteTheSameFilesAndProgress) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    // With progress shown (plain lines): the lines of one thread's run.
    auto run = [&](const char* jobs, const fs::path& out) {
        return Vantrel({"run", "--data", (Dir() / "sample" / "gearbox.quor").string(), "--config",
                        (Dir() / "config" / "gearbox.cfg").string(), "--out", out.string(),
                        "--jobs", jobs});
    };
    const Outcome one = run("1", Dir() / "jobs1");
    const Outcome three = run("3", Dir() / "jobs3");
    ASSERT_EQ(one.code, 0) << one.err;
    ASSERT_EQ(three.code, 0) << three.err;
    EXPECT_EQ(three.err, one.err);
    EXPECT_NE(one.err.find("Acc2"), std::string::npos) << one.err;
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
            text.replace(p, from.size(), to);
        return text;
    };
    EXPECT_EQ(replaced(three.out, "jobs3", "jobs1"), one.out);
    for (const char* file : {"results.quor", "results.uff", "results.mat"})
        EXPECT_EQ(testutil::ReadBytes((Dir() / "jobs3" / file).string()),
                  testutil::ReadBytes((Dir() / "jobs1" / file).string()))
            << file;
    size_t compared = 0;
    for (const auto& e : fs::recursive_directory_iterator(Dir() / "jobs1" / "csv")) {
        if (!e.is_regular_file()) continue;
        const fs::path rel = fs::relative(e.path(), Dir() / "jobs1");
        EXPECT_EQ(testutil::ReadBytes((Dir() / "jobs3" / rel).string()),
                  testutil::ReadBytes(e.path().string()))
            << rel;
        ++compared;
    }
    EXPECT_EQ(compared, 1u + 2u * 16u);
}

extern "C" void IgnoreInterrupt(int) {}

TEST_F(VantrelDemo, CtrlCStopsSeveralJobsCleanly) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    // Ctrl+C comes again and again from another thread while the run goes;
    // outside the run it meets a handler that does nothing.
    auto previous = std::signal(SIGINT, IgnoreInterrupt);
    std::atomic<bool> running{true};
    std::thread presser([&] {
        while (running.load()) {
            std::raise(SIGINT);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const fs::path out = Dir() / "interrupted";
    const Outcome o = Vantrel({"run", "--data", (Dir() / "sample" / "gearbox.quor").string(),
                               "--config", (Dir() / "config" / "gearbox.cfg").string(), "--out",
                               out.string(), "--jobs", "2", "--quiet"});
    running.store(false);
    presser.join();
    std::signal(SIGINT, previous);
    EXPECT_EQ(o.code, vantrel::kExitCalcFailed);
    EXPECT_NE(o.err.find("Расчет прерван пользователем"), std::string::npos) << o.err;
    EXPECT_EQ(o.out.find("Расчет"), std::string::npos) << o.out;
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(VantrelDemo, ConfigurationWithoutMatchingChannelsFails) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    const fs::path cfg = Dir() / "other.cfg";
    testutil::WriteBytes(
        cfg,
        "[channels]\r\nnChannels=1\r\ncnl0_name=Other\r\ncnl0_type=1\r\ncnl0_check=1\r\n"
        "[test]\r\nnSections=1\r\nsection0=missing.json\r\n");
    const fs::path out = Dir() / "other";
    const Outcome o = Vantrel({"run", "--data", (Dir() / "sample" / "gearbox.quor").string(),
                               "--config", cfg.string(), "--out", out.string(), "--quiet"});
    EXPECT_EQ(o.code, vantrel::kExitCalcFailed);
    EXPECT_NE(o.err.find("Не найдены сигналы с исходными данными"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("missing.json"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("\"Other\""), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace

TEST_F(VantrelDemo, ChannelsOfOneGroupFolderAreCalculated) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    // As a logger's file has them: every channel in a group's folder.
    korvex::DataSet d;
    ASSERT_TRUE(korvex::ReadQuor((Dir() / "sample" / "gearbox.quor").string(), d).ok);
    for (korvex::SignalData& s : d.signals) s.folder = "Run";
    const fs::path grouped = Dir() / "grouped.quor", out = Dir() / "grouped";
    ASSERT_TRUE(korvex::WriteQuor(grouped.string(), d).ok);
    Outcome o =
        Vantrel({"run", "--data", grouped.string(), "--config",
                 (Dir() / "config" / "gearbox.cfg").string(), "--out", out.string(), "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.err.find("the signals of group \"Run\" are calculated"), std::string::npos);
    EXPECT_EQ(ReadCsv(Csv("Acc1/Acc1.10-100 Гц.csv")).v,
              ReadCsv(out / "csv" / "Acc1/Acc1.10-100 Гц.csv").v);

    d.signals.back().folder = "Other";  // two groups: which one is not guessed
    ASSERT_TRUE(korvex::WriteQuor(grouped.string(), d).ok);
    o = Vantrel({"run", "--data", grouped.string(), "--config",
                 (Dir() / "config" / "gearbox.cfg").string(), "--out", out.string(), "--quiet"});
    EXPECT_EQ(o.code, 3);
    EXPECT_NE(o.err.find("several groups"), std::string::npos) << o.err;
}
