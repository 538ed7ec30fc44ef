// What the vantrel command tells about inputs it reads leniently, a run that
// files nothing, and the results folder as one generation.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "apps/run_vantrel.h"
#include "apps/vantrel/cli.h"
#include "platform/text.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

using testutil::Outcome;
using testutil::Vantrel;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
    return text;
}

// Relative path -> bytes of every file below dir.
std::map<std::string, std::string> Tree(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            files[fs::relative(e.path(), dir).string()] = testutil::ReadBytes(e.path().string());
    return files;
}

// The demo's sample and configuration, made once; each test writes variants
// of the configuration beside it (the section files are named relative to
// the configuration's folder).
class VantrelChecks : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<testutil::TempDir>("cli-checks");
        demo_ = std::make_unique<Outcome>(
            Vantrel({"demo", "--out", Dir().string(), "--duration", "4", "--quiet"}));
    }
    static void TearDownTestSuite() {
        demo_.reset();
        temp_.reset();
    }
    void SetUp() override { ASSERT_EQ(demo_->code, 0) << demo_->err; }

    static const fs::path& Dir() { return temp_->path(); }
    static std::string Config() {
        return testutil::ReadBytes((Dir() / "config" / "gearbox.cfg").string());
    }
    static std::string Variant(const std::string& name, const std::string& bytes) {
        const fs::path p = Dir() / "config" / name;
        testutil::WriteBytes(p.string(), bytes);
        return p.string();
    }
    static Outcome Run(const std::string& cfg, const fs::path& out, bool strict = false) {
        std::vector<std::string> args{
            "run",        "--data", (Dir() / "sample" / "gearbox.quor").string(),
            "--config",   cfg,      "--out",
            out.string(), "--quiet"};
        if (strict) args.push_back("--strict");
        return Vantrel(args);
    }

    static inline std::unique_ptr<testutil::TempDir> temp_;
    static inline std::unique_ptr<Outcome> demo_;
};

TEST_F(VantrelChecks, LenientReadsWarnAndStrictStopsBeforeWriting) {
    const std::string cfg = Config();
    const std::string gear = testutil::ReadBytes((Dir() / "config" / "gear.json").string());
    Variant("gear_cp1251.json", plat::Utf8ToCp1251(gear));
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> warnings;
    };
    const std::vector<Case> cases = {
        {"utf8.cfg",
         plat::Cp1251ToUtf8(cfg),
         {"utf8.cfg\" is UTF-8 text without a byte order mark", "channel \"Acc1\": item \"",
          "is not in the frequency base"}},
        {"cp1251_json.cfg",
         Replaced(cfg, "section1=gear.json", "section1=gear_cp1251.json"),
         {"gear_cp1251.json\" is not UTF-8"}},
        {"bad_fft.cfg",
         Replaced(cfg, "defOptFFT=nPoints=8192/nOffset=2048/iWindow=3/bMO=1",
                  "defOptFFT=nPoints=abc/nOffset=x/iWindow=?"),
         {"[channels] defOptFFT: nPoints=abc is not a whole number",
          "defOptFFT: iWindow=? is not a whole number"}},
        {"bad_type.cfg",
         Replaced(cfg, "cnl0_type=1", "cnl0_type=measuring"),
         {"[channels] cnl0_type=measuring is not a channel type"}},
        {"bad_nsections.cfg",
         Replaced(cfg, "nSections=4", "nSections=four"),
         {"[test] nSections=four is not a whole number",
          "channel \"Acc2\": item \"Наружное кольцо\" is not in the frequency base"}},
    };
    for (const Case& c : cases) {
        const std::string path = Variant(c.name, c.bytes);
        const fs::path out = Dir() / (std::string(c.name) + ".out");
        const Outcome lenient = Run(path, out);
        EXPECT_EQ(lenient.code, 0) << c.name << lenient.err;
        for (const std::string& w : c.warnings)
            EXPECT_NE(lenient.err.find(w), std::string::npos) << c.name << ": " << w << "\n"
                                                              << lenient.err;

        const fs::path strictOut = Dir() / (std::string(c.name) + ".strict");
        const Outcome strict = Run(path, strictOut, true);
        EXPECT_EQ(strict.code, 3) << c.name;
        EXPECT_NE(strict.err.find("with --strict; stopped"), std::string::npos) << strict.err;
        EXPECT_EQ(strict.out.find("Расчет"), std::string::npos) << "calculated: " << c.name;
        EXPECT_FALSE(fs::exists(strictOut)) << c.name;
    }
    // The shipped configuration passes the checks.
    const Outcome clean = Run((Dir() / "config" / "gearbox.cfg").string(), Dir() / "clean", true);
    EXPECT_EQ(clean.code, 0) << clean.err;
    EXPECT_EQ(clean.err, "");
}

TEST_F(VantrelChecks, RunThatFilesNothingSucceedsWithAnEmptyGeneration) {
    const fs::path out = Dir() / "empty";
    const std::string full = (Dir() / "config" / "gearbox.cfg").string();
    ASSERT_EQ(Run(full, out).code, 0);
    testutil::WriteBytes((out / "notes.txt").string(), "mine");
    const std::map<std::string, std::string> before = Tree(out);

    // No tacho channel, and no item enabled on the measuring channels.
    const std::string nothing = Variant(
        "nothing.cfg",
        Replaced(Replaced(Config(), "bEnabled=1", "bEnabled=0"), "cnl3_type=2", "cnl3_type=1"));
    const Outcome strict = Run(nothing, out, true);
    EXPECT_EQ(strict.code, 3);
    EXPECT_EQ(Tree(out), before);  // stopped before writing

    const Outcome o = Run(nothing, out);
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("Расчет закончен"), std::string::npos);
    EXPECT_NE(o.err.find("vantrel: warning: the calculation filed no result signals"),
              std::string::npos)
        << o.err;
    // The previous run's results are not results of this one; the user's
    // file stays.
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(out)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"notes.txt"});
}

TEST_F(VantrelChecks, FailedWriteLeavesThePreviousGenerationWhole) {
    const std::string full = (Dir() / "config" / "gearbox.cfg").string();
    const fs::path sizes = Dir() / "sizes";
    ASSERT_EQ(Run(full, sizes).code, 0);
    const auto quor = fs::file_size(sizes / "results.quor");
    const auto uff = fs::file_size(sizes / "results.uff");
    ASSERT_LT(quor, uff);

    // The previous generation: only Acc1 computed.
    const fs::path out = Dir() / "generation";
    const std::string acc1 =
        Variant("acc1.cfg", Replaced(Config(), "cnl1_check=1", "cnl1_check=0"));
    ASSERT_EQ(Run(acc1, out).code, 0);
    const std::map<std::string, std::string> before = Tree(out);
    ASSERT_GT(before.size(), 3u);

    // The full run under a file-size limit that results.quor fits and
    // results.uff does not: the write fails with an error instead of the
    // signal killing the command.
    const fs::path errFile = Dir() / "child.err";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlim_t limit = static_cast<rlim_t>((quor + uff) / 2);
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        const Outcome o = Run(full, out);
        std::ofstream(errFile) << o.err;
        _exit(o.code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 4);
    const std::string err = testutil::ReadBytes(errFile.string());
    EXPECT_NE(err.find("vantrel: cannot write results: "), std::string::npos) << err;
    EXPECT_NE(err.find("results.uff"), std::string::npos) << err;
    // Byte for byte the previous results; no staging folder or temporary
    // file left.
    EXPECT_EQ(Tree(out), before);
    for (const auto& e : fs::directory_iterator(out))
        EXPECT_EQ(e.path().filename().string().rfind(".", 0), std::string::npos) << e.path();

    // Without the limit the new generation replaces the old one whole.
    ASSERT_EQ(Run(full, out).code, 0);
    EXPECT_EQ(Tree(out), Tree(sizes));
}

}  // namespace
