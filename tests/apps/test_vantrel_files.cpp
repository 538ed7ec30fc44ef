// vantrel info and convert: what a file holds, other files converted and
// read back, the reading options and their mistakes.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>

#include "apps/run_vantrel.h"
#include "korvex/formats/formats.h"
#include "test_util.h"

namespace fs = std::filesystem;
using testutil::Vantrel;

namespace {

std::string Shared(const std::string& rel) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/data/interop/" + rel;
}

class VantrelFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(Shared(""))) << "no interop files at " << Shared("");
    }
    testutil::TempDir dir_{"vantrel-files"};
};

}  // namespace

TEST_F(VantrelFiles, InfoListsSignalsAndWhatWasSkipped) {
    auto o = Vantrel({"info", Shared("tdms/raw1.tdms")});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("Data set: raw1 (NI TDMS, 7 signals)"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("Layer Data  First  Channel  Volts  2000    2e-05   0        "
                         "2016-12-15 22:35:21.000"),
              std::string::npos)
        << o.out;

    // A MAT file without its rate: a clear error, then read with --rate.
    o = Vantrel({"info", Shared("mat/bearing_style_v5.mat")});
    EXPECT_EQ(o.code, 3);
    EXPECT_NE(o.err.find("no sample rate for X097_DE_time, X097_FE_time"), std::string::npos);
    EXPECT_NE(o.err.find("Give it with --rate HZ"), std::string::npos) << o.err;
    o = Vantrel({"info", Shared("mat/bearing_style_v5.mat"), "--rate=12000"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("X097_FE_time  -     24000   8.333333333e-05"), std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("Skipped or adjusted:\n  Scalars, not signals: X097RPM = 1797."),
              std::string::npos)
        << o.out;
}

TEST_F(VantrelFiles, ConvertWritesEveryFormat) {
    const std::string csv = dir_.Path("in.txt");
    testutil::WriteBytes(csv, "a b\n1 2\n3 4\n5 6\n");
    for (const char* out : {"out.quor", "out.uff", "out.mat", "csvdir/"}) {
        SCOPED_TRACE(out);
        const std::string path = dir_.Path(out);
        auto o = Vantrel({"convert", csv, path, "--separator", "blank", "--header-line", "1",
                          "--time-column", "0", "--rate", "4"});
        ASSERT_EQ(o.code, 0) << o.err;
        korvex::DataSet d;
        const std::string back = fs::is_directory(path) ? path + "/b.csv" : path;
        const korvex::FileResult r = korvex::ReadDataFile(back, d);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_FALSE(d.signals.empty());
        EXPECT_EQ(d.signals.back().samples, std::vector<double>({2, 4, 6}));
        EXPECT_EQ(d.signals.back().stepX, 0.25);
    }
    // A separator that splits nothing: no numbers, a clear error.
    auto o = Vantrel({"convert", csv, dir_.Path("x.mat"), "--separator", "semicolon"});
    EXPECT_EQ(o.code, 3);
    EXPECT_NE(o.err.find("as text: no lines of numbers"), std::string::npos) << o.err;

    // A TDMS file through .quor keeps names, folders, units and times.
    o = Vantrel({"convert", Shared("tdms/Digital_Input.tdms"), dir_.Path("d.quor")});
    ASSERT_EQ(o.code, 0) << o.err;
    korvex::DataSet a, b;
    ASSERT_TRUE(korvex::ReadTdms(Shared("tdms/Digital_Input.tdms"), a).ok);
    ASSERT_TRUE(korvex::ReadQuor(dir_.Path("d.quor"), b).ok);
    ASSERT_EQ(a.signals.size(), b.signals.size());
    for (size_t i = 0; i < a.signals.size(); ++i) {
        EXPECT_EQ(a.signals[i].folder, b.signals[i].folder);
        EXPECT_EQ(a.signals[i].startTime, b.signals[i].startTime);
        EXPECT_EQ(a.signals[i].samples, b.signals[i].samples);
    }

    // A long .quor signal is read where it lies on disk: every writer takes it from there.
    korvex::DataSet ramp;
    ramp.signals.resize(1);
    ramp.signals[0].name = "r";
    for (int i = 0; i < 70000; ++i) ramp.signals[0].samples.push_back(i * 0.5);
    ASSERT_TRUE(korvex::WriteQuor(dir_.Path("long.quor"), ramp).ok);
    o = Vantrel({"info", dir_.Path("long.quor")});
    EXPECT_NE(o.out.find("  70000  "), std::string::npos) << o.out;
    for (const char* out : {"long.uff", "long.mat", "longcsv/"}) {
        SCOPED_TRACE(out);
        const std::string path = dir_.Path(out);
        ASSERT_EQ(Vantrel({"convert", dir_.Path("long.quor"), path}).code, 0);
        korvex::DataSet d;
        ASSERT_TRUE(korvex::ReadDataFile(fs::is_directory(path) ? path + "/r.csv" : path, d).ok);
        EXPECT_EQ(d.signals.at(0).samples, ramp.signals[0].samples);
    }
}

TEST_F(VantrelFiles, ALongFileIsCopiedOnceWithItsProgressShown) {
    std::string text = "a,b\n";
    size_t rows = 0;
    for (; text.size() < (size_t{33} << 20); rows += 2) text += "0.125,-2.5\n1.75,3.0625\n";
    const std::string csv = dir_.Path("long.csv"), copies = dir_.Path("copies");
    testutil::WriteBytes(csv, text);
    // info only reads it; the copy is made by a command that uses it, or on request.
    auto o = Vantrel({"info", csv, "--rate", "100", "--cache-dir", copies});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("  " + std::to_string(rows) + "  "), std::string::npos) << o.out;
    EXPECT_FALSE(fs::exists(copies));
    o = Vantrel({"cache", "--make", csv, "--rate", "100", "--cache-dir", copies});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.err.find("copying " + csv + " to read it from the disk: 100 %\n"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.out.find("MB  current"), std::string::npos) << o.out;
    // The next command reads the copy: no copying, the same values.
    o = Vantrel({"convert", csv, dir_.Path("b.quor"), "--rate", "100", "--cache-dir", copies});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err.find("copying"), std::string::npos) << o.err;
    korvex::DataSet d;
    ASSERT_TRUE(korvex::ReadQuor(dir_.Path("b.quor"), d).ok);
    ASSERT_EQ(d.signals.size(), 2u);
    EXPECT_EQ(d.signals[1].samples.size(), rows);
    EXPECT_EQ(d.signals[1].samples[1], 3.0625);
}

// No copy can be written (its folder lies under a file): run says the
// recording is held in memory, as info does. The configuration, junk here,
// is read after the data.
TEST(VantrelRun, SaysWhenNoCopyCouldBeWritten) {
    testutil::TempDir dir("vantrel-nocopy");
    std::string text = "a,b\n";
    while (text.size() < (size_t{33} << 20)) text += "0.125,-2.5\n1.75,3.0625\n";
    const std::string csv = dir.Path("long.csv"), plain = dir.Path("plain");
    testutil::WriteBytes(csv, text);
    testutil::WriteBytes(plain, "x");
    auto o = Vantrel({"run", "--data", csv, "--rate", "100", "--cache-dir", plain + "/sub",
                      "--config", plain, "--out", dir.Path("out"), "--quiet"});
    EXPECT_NE(o.err.find("vantrel: note: No copy to read it from the disk could be written"),
              std::string::npos)
        << o.err;
}

TEST_F(VantrelFiles, MistakesInTheArguments) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"info"}, "info needs one FILE"},
        {{"convert", "a.tdms"}, "convert needs FILE and OUT"},
        {{"info", "a.csv", "--rate", "fast"}, "--rate takes a sample rate in Hz, not fast"},
        {{"info", "a.csv", "--separator", "pipe"}, "--separator takes comma, semicolon"},
        {{"info", "a.csv", "--time-column", "-1"}, "--time-column takes a number from 0"},
        {{"info", "a.csv", "--bogus"}, "unknown option --bogus"},
        {{"run", "--data", "a.csv", "--config", "c.cfg", "--out", "o", "--decimal", "x"},
         "--decimal takes point or comma, not x"},
    };
    for (const auto& [args, error] : cases) {
        auto o = Vantrel(args);
        EXPECT_EQ(o.code, 2) << args[0];
        EXPECT_NE(o.err.find(error), std::string::npos) << o.err;
    }
    auto o = Vantrel({"info", dir_.Path("missing.tdms")});
    EXPECT_EQ(o.code, 3);
    EXPECT_NE(o.err.find("does not exist"), std::string::npos) << o.err;
}

TEST_F(VantrelFiles, CacheShowsAndRemovesTheCopies) {
    const std::string source = dir_.Path("rec.tdms"), copies = dir_.Path("copies");
    fs::copy_file(Shared("tdms/raw1.tdms"), source);
    auto o = Vantrel({"cache", source, "--cache-dir", copies});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find(": no copy"), std::string::npos) << o.out;

    korvex::ReadOptions read;
    read.mapSamples = true;
    read.cacheMinBytes = 0;
    read.cacheDir = copies;
    const std::string gone = dir_.Path("gone.tdms");
    fs::copy_file(source, gone);
    for (const std::string& file : {source, gone}) {
        korvex::DataSet d;
        ASSERT_TRUE(korvex::ReadDataFile(file, d, read).ok);
    }
    fs::remove(gone);
    // Copies cut off while written, one an hour ago and one still going.
    const std::string cutOff = copies + "/a.tdms.1.cache.quor.tmp~1", writing = cutOff + "2";
    testutil::WriteBytes(cutOff, "QUOR");
    testutil::WriteBytes(writing, "QUOR");
    fs::last_write_time(cutOff, fs::file_time_type::clock::now() - std::chrono::hours(1));
    // The folder's view finds the copy whose file was deleted and the one cut off, and takes them.
    o = Vantrel({"cache", copies, "--remove"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find("0 MB  file gone  of " + fs::weakly_canonical(gone).string()),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("0 MB  current  of "), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("0 MB  unfinished (cut off)\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("0 MB  unfinished (being written)\n"), std::string::npos) << o.out;
    EXPECT_FALSE(fs::exists(cutOff));
    fs::remove(writing);
    EXPECT_EQ(std::distance(fs::directory_iterator(copies), fs::directory_iterator()), 1);

    o = Vantrel({"cache", source, "--cache-dir", copies, "--remove"});
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.out.find(".cache.quor  0 MB  current"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find(": removed"), std::string::npos) << o.out;
    EXPECT_TRUE(fs::is_empty(copies));
}
