// "vantrel report": arguments, entries at given times and per steady mode,
// layout options over the settings file, and failures that leave the report
// as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "apps/run_vantrel.h"
#include "apps/samplegen/gearbox.h"
#include "apps/vantrel/cli.h"
#include "apps/vantrel/demo_files.h"
#include "platform/text.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

using testutil::Outcome;
using testutil::Vantrel;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The demo sample (20 s, so each speed is held 2.4 s) and configuration.
class VantrelReport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<testutil::TempDir>("cli-report");
        samplegen::GearboxScheme scheme;
        scheme.duration = 20.0;
        ASSERT_TRUE(samplegen::WriteGearboxSample(scheme, Data()).ok);
        for (const vantrel::DemoFile& f : vantrel::DemoFiles())
            testutil::WriteBytes(temp_->Path(std::string(f.name)), f.bytes);
    }
    static void TearDownTestSuite() { temp_.reset(); }
    static std::string Data() { return temp_->Path("gearbox.quor"); }
    static std::string Config() { return temp_->Path(vantrel::kDemoConfigName); }
    static std::string Path(const std::string& name) { return temp_->Path(name); }
    static std::vector<std::string> Args(const std::string& rtf, std::vector<std::string> more) {
        std::vector<std::string> a = {"report", "--data", Data(), "--config",
                                      Config(), "--rtf",  rtf,    "--quiet"};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    }
    static std::string Doc(const std::string& path) {
        return plat::Cp1251ToUtf8(testutil::ReadBytes(path));
    }
    static inline std::unique_ptr<testutil::TempDir> temp_;
};

TEST_F(VantrelReport, BadArgumentsGiveOneLineAndUsageCode) {
    const std::string rtf = Path("never.rtf");
    const std::vector<std::vector<std::string>> cases = {
        {"report", "--data", Data(), "--config", Config(), "--at", "1"},
        {"report", "--data", Data(), "--rtf", rtf, "--at", "1"},
        Args(rtf, {}),
        Args(rtf, {"--at", "1", "--program", "P"}),
        Args(rtf, {"--at", "soon"}),
        Args(rtf, {"--at", "nan"}),
        Args(rtf, {"--at", "1", "--font-size", "5"}),
        Args(rtf, {"--at", "1", "--font-size", "12.5"}),
        Args(rtf, {"--at", "1", "--rtf", rtf}),
        Args(rtf, {"--at", "1", "--colour"}),
        Args(rtf, {"--program="}),
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        SCOPED_TRACE(joined);
        const Outcome o = Vantrel(args);
        EXPECT_EQ(o.code, vantrel::kExitUsage);
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
        EXPECT_TRUE(o.out.empty()) << o.out;
    }
    EXPECT_FALSE(fs::exists(rtf));
    const Outcome help = Vantrel({"report", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("vantrel report --data FILE"), std::string::npos);
}

TEST_F(VantrelReport, EntriesAtTimesInTheOrderGiven) {
    const std::string rtf = Path("at.rtf");
    Outcome o = Vantrel(Args(rtf, {"--at", "14.5", "--at=3.5", "--at", "-2"}));
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(o.err.empty()) << o.err;
    const size_t a = o.out.find("Entry at 14.50 s\n"), b = o.out.find("Entry at 3.50 s\n"),
                 c = o.out.find("Entry at -2.00 s\n");
    ASSERT_NE(c, std::string::npos) << o.out;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_NE(o.out.find("Report: " + rtf + " (3 entries)"), std::string::npos) << o.out;

    std::string doc = Doc(rtf);
    EXPECT_EQ(Count(doc, "\nДата\n"), 3u);
    EXPECT_LT(doc.find("(14.5 секунда)"), doc.find("(3.5 секунда)"));
    EXPECT_NE(doc.find("(-2.0 секунда)"), std::string::npos);  // before the start: still an entry
    EXPECT_EQ(doc.find("Режим"), std::string::npos);
    EXPECT_EQ(Count(doc, "\\par\\par\\fs20\\cf0"), 2u);  // the later two
    EXPECT_EQ(Count(doc, "\nSpeed\n = "), 3u);           // the header channel
    EXPECT_EQ(Count(doc, "\nAcc1\\par\\pard"), 3u);
    EXPECT_NE(doc.find("\\cellx2592"), std::string::npos);
    // At 14.5 s the input shaft holds 40 Hz: "Вход 1x" follows it.
    EXPECT_NE(doc.find("\nВход 1x\\cell }{\\qc\\i\\cf13\n40.00\\cell"), std::string::npos);

    // Layout options, appended to the same file.
    o = Vantrel(Args(rtf, {"--at", "1", "--new-page", "--landscape", "--font-size", "12"}));
    ASSERT_EQ(o.code, 0) << o.err;
    doc = Doc(rtf);
    EXPECT_NE(doc.find("\\sect\\sectd\\psz9\\landscape\\paperw16840\\paperh11907\\psz9\\fs24"),
              std::string::npos);
    EXPECT_NE(doc.find("\\cellx3744"), std::string::npos);
}

TEST_F(VantrelReport, OneEntryPerSteadyModeOfTheProgram) {
    const std::string rtf = Path("program.rtf");
    const Outcome o = Vantrel(Args(rtf, {"--program", "ступени СКОРОСТИ", "--out", Path("res")}));
    ASSERT_EQ(o.code, 0) << o.err;
    for (const char* mode : {"1200 об/мин", "1800 об/мин", "2400 об/мин"})
        EXPECT_NE(o.out.find(std::string(", mode ") + mode + " (steady from "), std::string::npos)
            << o.out;
    EXPECT_NE(o.out.find("(3 entries)"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(Path("res/results.quor")));  // --out writes the results too

    const std::string doc = Doc(rtf);
    EXPECT_EQ(Count(doc, "\nРежим\n: \t\t\n"), 3u);
    EXPECT_LT(doc.find("1200 об/мин"), doc.find("2400 об/мин"));
    EXPECT_NE(doc.find("\nSpeed\n = 1200.00 rpm"), std::string::npos);
    EXPECT_NE(doc.find("\nЗамер\n: \t\t\ngearbox\\par"), std::string::npos);

    // The recording is used where it lies on disk unless asked otherwise; the same results.
    const Outcome inMemory =
        Vantrel(Args(Path("program-mem.rtf"),
                     {"--program", "ступени СКОРОСТИ", "--out", Path("res-mem"), "--in-memory"}));
    ASSERT_EQ(inMemory.code, 0) << inMemory.err;
    EXPECT_EQ(testutil::ReadBytes(Path("res-mem/results.quor")),
              testutil::ReadBytes(Path("res/results.quor")));
}

TEST_F(VantrelReport, ProgramFaultsNamedBeforeTheCalculation) {
    const std::string rtf = Path("faults.rtf");
    Outcome o = Vantrel(Args(rtf, {"--program", "Нет такой"}));
    EXPECT_EQ(o.code, vantrel::kExitInput);
    EXPECT_NE(o.err.find("Не указана программа, или такая программа отсутствует в списке"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(o.out.find("Расчет закончен"), std::string::npos);  // no calculation ran

    // A program without modes, from a settings file naming the configuration.
    std::string cfg = testutil::ReadBytes(Config());
    const std::string key = "prog0_nPnts=3";
    cfg.replace(cfg.find(key), key.size(), "prog0_nPnts=0");
    testutil::WriteBytes(Path("nomodes.cfg"), cfg);
    testutil::WriteBytes(Path("settings.cfg"), "[general]\r\ncfgFile=nomodes.cfg\r\n");
    o = Vantrel({"report", "--data", Data(), "--settings", Path("settings.cfg"), "--rtf", rtf,
                 "--program", "Ступени скорости", "--quiet"});
    EXPECT_EQ(o.code, vantrel::kExitInput);
    EXPECT_NE(o.err.find("Не настроен список режимов"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(rtf));

    // A report in a folder that does not exist is refused at once.
    o = Vantrel(Args(Path("no/such/dir.rtf"), {"--at", "1"}));
    EXPECT_EQ(o.code, vantrel::kExitOutput);
    EXPECT_TRUE(o.out.empty());
}

TEST_F(VantrelReport, SettingsLayoutAndAFileThatIsNoReport) {
    // The settings file's layout holds unless the command line says otherwise.
    testutil::WriteBytes(Path("layout.cfg"),
                         "[general]\r\ncfgFile=gearbox.cfg\r\n[reportDlg]\r\nfontSize=14\r\n"
                         "bLandscape=1\r\n");
    const std::string rtf = Path("layout.rtf");
    Outcome o = Vantrel({"report", "--data", Data(), "--settings", Path("layout.cfg"), "--rtf", rtf,
                         "--at", "2", "--at", "4", "--font-size", "8", "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    std::string doc = Doc(rtf);
    EXPECT_EQ(Count(doc, "\\landscape"), 2u);
    EXPECT_EQ(Count(doc, "\\fs16\\cf0"), 2u);
    EXPECT_EQ(doc.find("\\fs28"), std::string::npos);

    // An existing file that is not a report is left exactly as it was.
    const std::string junk = Path("junk.rtf");
    testutil::WriteBytes(junk, "plain text, not a report");
    o = Vantrel(Args(junk, {"--at", "1"}));
    EXPECT_EQ(o.code, vantrel::kExitOutput);
    EXPECT_NE(o.err.find("Ошибка записи в файл отчета"), std::string::npos) << o.err;
    EXPECT_NE(o.out.find("(0 entries)"), std::string::npos);
    EXPECT_EQ(testutil::ReadBytes(junk), "plain text, not a report");
}

}  // namespace
