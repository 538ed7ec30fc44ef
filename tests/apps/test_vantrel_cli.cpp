// The command line's conventions: --version and each command's own help,
// exit codes of usage mistakes, outputs checked before the work, Ctrl+C
// leaving nothing half written, info that only reads, the demo's lines that
// paste into a shell.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "apps/run_vantrel.h"
#include "apps/vantrel/commands.h"
#include "test_util.h"

namespace fs = std::filesystem;
using testutil::Outcome;
using testutil::Vantrel;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Every file below dir whose name holds ".tmp~" (a writer's temporary file).
std::vector<std::string> TempFiles(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.path().filename().string().find(".tmp~") != std::string::npos)
            found.push_back(e.path().string());
    return found;
}

extern "C" void IgnoreSignal(int) {}

// Runs args while SIGINT comes again and again from another thread.
Outcome VantrelPressed(const std::vector<std::string>& args) {
    auto previous = std::signal(SIGINT, IgnoreSignal);
    std::atomic<bool> running{true};
    std::thread presser([&] {
        while (running.load()) {
            std::raise(SIGINT);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const Outcome o = Vantrel(args);
    running.store(false);
    presser.join();
    std::signal(SIGINT, previous);
    return o;
}

}  // namespace

TEST(VantrelCli, VersionAndEachCommandsOwnHelp) {
    const Outcome v = Vantrel({"--version"});
    ASSERT_EQ(v.code, 0);
    const std::vector<std::string> version = Lines(v.out);
    ASSERT_EQ(version.size(), 2u) << v.out;
    EXPECT_EQ(version[0].rfind("vantrel ", 0), 0u);
    EXPECT_NE(version[0].find("(commit "), std::string::npos);
    EXPECT_NE(version[1].find("FFTW 3."), std::string::npos) << v.out;
    EXPECT_NE(version[1].find("libmatio 1."), std::string::npos) << v.out;

    const Outcome help = Vantrel({"--help"});
    ASSERT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind(v.out, 0), 0u) << help.out;  // the same text on top
    for (const vantrel::Command& c : vantrel::Commands()) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(help.out.find("\n  " + std::string(c.name) + " "), std::string::npos);
        // Each command's help is its own: its usage first, and every option
        // its usage names is described on a line of its own.
        const Outcome own = Vantrel({c.name, "--help"});
        EXPECT_EQ(own.code, 0);
        EXPECT_EQ(own.out.rfind("Usage: vantrel " + std::string(c.name), 0), 0u) << own.out;
        EXPECT_EQ(own.out.find("Usage: vantrel", 1), std::string::npos) << own.out;
        const size_t options = own.out.find("\n\n");
        const std::string usage = own.out.substr(0, options);
        for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
            const std::string option = usage.substr(at, usage.find_first_of(" =]|)\n", at) - at);
            const size_t described = own.out.find(option, options);
            ASSERT_NE(described, std::string::npos) << option;
            EXPECT_TRUE(own.out.compare(described - 2, 2, "  ") == 0 ||
                        own.out.compare(described - 2, 2, ", ") == 0)
                << option;
        }
    }
}

// The other programs: --help and --version on stdout with code 0, the
// version atop the help, and no window or folder made for them.
TEST(VantrelCli, EveryProgramAnswersHelpAndVersion) {
    const testutil::TempDir temp("cli-programs");
    std::vector<std::string> programs;
    std::istringstream list(VANTREL_PROGRAMS);
    for (std::string p; std::getline(list, p, '|');) programs.push_back(p);
    ASSERT_FALSE(programs.empty());
    auto run = [&](const std::string& program, const char* option, std::string& out) {
        const std::string cmd = "cd '" + temp.path().string() + "' && env -u DISPLAY '" + program +
                                "' " + option + " 2>&1";
        out.clear();
        FILE* pipe = ::popen(cmd.c_str(), "r");
        char buf[4096];
        for (size_t n; pipe && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        return pipe ? WEXITSTATUS(::pclose(pipe)) : -1;
    };
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        std::string version, help;
        EXPECT_EQ(run(program, "--version", version), 0) << version;
        EXPECT_EQ(version.rfind(fs::path(program).filename().string() + " 0.", 0), 0u) << version;
        EXPECT_NE(version.find("(commit "), std::string::npos) << version;
        EXPECT_EQ(run(program, "--help", help), 0) << help;
        EXPECT_EQ(help.rfind(version, 0), 0u) << help;
        EXPECT_GT(help.size(), version.size() + 100) << help;
    }
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST(VantrelCli, UsageMistakesEndWithCodeTwoAndWriteNothing) {
    const testutil::TempDir temp("cli-usage");
    const fs::path& dir = temp.path();
    const std::vector<std::vector<std::string>> cases = {
        {"trend", "--summary", "a.csv", "--channel", "A", "--item", "B", "--value", "median",
         "--csv", (dir / "t.csv").string()},
        {"speed", "--data", "x.quor", "--channel", "A", "--order", "1", "--start", "1,20", "--out",
         (dir / "s.quor").string(), "--block", "1000"},
        {"convert", "x.quor", (dir / "out.wav").string()},
        {"info", "--remove", "x.quor"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        const Outcome o = Vantrel(args);
        EXPECT_EQ(o.code, vantrel::kExitUsage) << o.err;
        EXPECT_EQ(o.ErrLines(), 1) << o.err;
        EXPECT_NE(o.err.find("(see vantrel " + args[0] + " --help)"), std::string::npos) << o.err;
        EXPECT_TRUE(o.out.empty()) << o.out;
    }
    EXPECT_TRUE(fs::is_empty(dir));

    const Outcome missing =
        Vantrel({"summary", "--out", (dir / "all.csv").string(), (dir / "nowhere").string()});
    EXPECT_EQ(missing.code, vantrel::kExitInput);
    EXPECT_NE(missing.err.find((dir / "nowhere").string()), std::string::npos) << missing.err;
}

class VantrelCliDemo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<testutil::TempDir>("cli-conv");
        demo_ = Dir() / "demo";
        run_ = std::make_unique<Outcome>(
            Vantrel({"demo", "--out", demo_.string(), "--duration", "30", "--quiet"}));
    }
    static void TearDownTestSuite() {
        run_.reset();
        temp_.reset();
    }
    static const fs::path& Dir() { return temp_->path(); }
    static fs::path Sample() { return demo_ / "sample" / "gearbox.quor"; }
    static fs::path Config() { return demo_ / "config" / "gearbox.cfg"; }

    static inline std::unique_ptr<testutil::TempDir> temp_;
    static inline std::unique_ptr<Outcome> run_;
    static inline fs::path demo_;
};

TEST_F(VantrelCliDemo, RunItAgainLinesPasteIntoAShell) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    EXPECT_NE(run_->out.find("report.rtf  one report entry"), std::string::npos) << run_->out;
    // A folder with a space and a quote; too short a run for a report entry.
    const fs::path demo = Dir() / "my demo's";
    const Outcome o = Vantrel({"demo", "--out", demo.string(), "--duration", "5", "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_FALSE(fs::exists(demo / "report.rtf"));
    EXPECT_EQ(o.out.find("report.rtf  one report entry"), std::string::npos) << o.out;
    const size_t at = o.out.find("  vantrel run ");
    ASSERT_NE(at, std::string::npos) << o.out;
    const std::string line = o.out.substr(at + 2, o.out.find('\n', at) - at - 2);
    // The shell splits the line back into the words vantrel was given.
    const fs::path script = Dir() / "words.sh", words = Dir() / "words.txt";
    testutil::WriteBytes(script, "set -- " + line + "\nprintf '%s\\n' \"$@\"\n");
    ASSERT_EQ(std::system(("sh '" + script.string() + "' > '" + words.string() + "'").c_str()), 0);
    std::ifstream in(words);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "vantrel\nrun\n--data\n" + (demo / "sample" / "gearbox.quor").string() +
                             "\n--config\n" + (demo / "config" / "gearbox.cfg").string() +
                             "\n--out\n" + (demo / "results").string() + "\n");
}

TEST_F(VantrelCliDemo, SettingsFileBandFrequenciesKeyIsHonoured) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    const fs::path settings = Dir() / "plgVantrel.cfg";
    testutil::WriteBytes(settings,
                         "[general]\r\ncfgFile=" + Config().string() + "\r\nbandFrequencies=1\r\n");
    const fs::path out = Dir() / "bands";
    const Outcome o = Vantrel({"run", "--data", Sample().string(), "--settings", settings.string(),
                               "--out", out.string(), "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_TRUE(fs::is_directory(out / "csv" / "Acc1" / "Частоты полос"));
}

TEST_F(VantrelCliDemo, OutputFolderIsCheckedBeforeTheCalculation) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    const fs::path file = Dir() / "a-file";
    testutil::WriteBytes(file, "x");
    const Outcome o = Vantrel({"run", "--data", Sample().string(), "--config", Config().string(),
                               "--out", (file / "sub").string(), "--quiet"});
    EXPECT_EQ(o.code, vantrel::kExitOutput);
    EXPECT_TRUE(o.out.empty()) << o.out;  // no calculation ran
    EXPECT_EQ(o.ErrLines(), 1) << o.err;
}

// A long recording in another format: info lists it without copying it,
// convert shows its progress and, stopped, leaves nothing; a copy cut off
// by a killed process is shown and removed by the next copy once idle.
TEST_F(VantrelCliDemo, LongRecordingReadCopiedAndStopped) {
    ASSERT_EQ(run_->code, 0) << run_->err;
    const fs::path dir = Dir() / "long";
    fs::create_directories(dir);
    const fs::path uff = dir / "g.uff";
    Outcome o = Vantrel({"convert", Sample().string(), uff.string()});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.err.find("writing " + uff.string() + ": 50 %"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("writing " + uff.string() + ": 100 %"), std::string::npos) << o.err;
    ASSERT_GT(fs::file_size(uff), 32u << 20);  // long enough to be copied

    o = Vantrel({"info", uff.string(), "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("Acc1   m/s^2  768000"), std::string::npos) << o.out;
    EXPECT_TRUE(o.err.empty()) << o.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // A copy stopped halfway leaves nothing.
    o = VantrelPressed({"cache", "--make", uff.string(), "--quiet"});
    EXPECT_EQ(o.code, vantrel::kExitCalcFailed) << o.err;
    EXPECT_EQ(o.err, "vantrel: Расчет прерван пользователем\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    const fs::path left = dir / ".g.uff.cache.quor.tmp~killed";
    testutil::WriteBytes(left, "cut off");
    fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::hours(1));
    o = Vantrel({"cache", uff.string()});
    EXPECT_NE(o.out.find(left.string() + "  0 MB  unfinished (cut off)"), std::string::npos)
        << o.out;
    o = Vantrel({"cache", "--make", uff.string(), "--quiet"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("g.uff.cache.quor  "), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("current"), std::string::npos) << o.out;
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(TempFiles(dir).empty());

    // The speed's spectral map sees the stop too, and writes nothing.
    o = VantrelPressed({"speed", "--data", Sample().string(), "--channel", "Acc1", "--order", "23",
                        "--range", "200,1300", "--out", (dir / "speed.csv").string(), "--quiet"});
    EXPECT_EQ(o.code, vantrel::kExitCalcFailed) << o.err;
    EXPECT_EQ(o.err, "vantrel: Расчет прерван пользователем\n");
    EXPECT_FALSE(fs::exists(dir / "speed.csv"));

    for (const std::string out : {"stopped.uff", "stopped.mat", "stopped/"}) {
        SCOPED_TRACE(out);
        o = VantrelPressed({"convert", Sample().string(), (dir / out).string(), "--quiet"});
        EXPECT_EQ(o.code, vantrel::kExitCalcFailed);
        EXPECT_EQ(o.err, "vantrel: Расчет прерван пользователем\n");
        EXPECT_TRUE(o.out.empty()) << o.out;
        EXPECT_FALSE(fs::exists(dir / out));
        EXPECT_TRUE(TempFiles(Dir()).empty());
    }
}
