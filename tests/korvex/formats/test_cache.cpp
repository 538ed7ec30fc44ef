// Copies of long recordings: made once, used again, renewed, removed; their spool.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "korvex/formats/cache.h"
#include "korvex/formats/formats.h"
#include "tdms_builder.h"
#include "test_util.h"

using namespace korvex;
namespace fs = std::filesystem;

namespace {

class Cache : public ::testing::Test {
  protected:
    ReadOptions Mapped(const std::string& folder) const {
        ReadOptions o;
        o.mapSamples = true;
        o.cacheMinBytes = 0;
        o.cacheDir = folder;
        return o;
    }
    static bool HasNote(const FileResult& r, const std::string& part) {
        for (const std::string& n : r.notes)
            if (n.find(part) != std::string::npos) return true;
        return false;
    }
    static std::vector<double> Values(const SignalData& s) {
        return s.mapped.empty() ? s.samples : s.mapped.ToVector();
    }
    // Two long interleaved channels, long enough to be mapped, and a short one.
    static std::string Tdms(double offset) {
        using tdmstest::Builder;
        Builder b;
        constexpr uint64_t kN = 70000;
        std::string raw;
        for (uint64_t i = 0; i < kN; ++i)
            raw += b.Value(offset + static_cast<double>(i)) + b.Value(-static_cast<double>(i));
        b.Segment(tdmstest::kMeta | tdmstest::kNewList | tdmstest::kRaw | tdmstest::kInterleaved,
                  {{"/'g'/'a'", b.Index(10, kN), {b.Prop("wf_increment", 0.001)}},
                   {"/'g'/'b'", b.Index(10, kN), {}}},
                  raw);
        b.Segment(tdmstest::kMeta | tdmstest::kNewList | tdmstest::kRaw,
                  {{"/'h'/'c'", b.Index(10, 2), {}}}, b.Value(7.0) + b.Value(8.0));
        return b.file;
    }
    testutil::TempDir dir_{"cache"};
};

}  // namespace

TEST_F(Cache, ATdmsRecordingIsCopiedOnceUsedAgainRenewedAndRemoved) {
    const std::string source = dir_.Path("rec.tdms"), copies = dir_.Path("copies");
    testutil::WriteBytes(source, Tdms(0.5));
    DataSet whole, first, again;
    ASSERT_TRUE(ReadDataFile(source, whole).ok);
    const FileResult r1 = ReadDataFile(source, first, Mapped(copies));
    ASSERT_TRUE(r1.ok) << r1.message;
    EXPECT_TRUE(HasNote(r1, "Copied once into")) << r1.notes.size();
    EXPECT_TRUE(HasNote(r1, "No wf_increment"));  // the reader's own notes come along
    ASSERT_EQ(first.signals.size(), whole.signals.size());
    for (size_t k = 0; k < whole.signals.size(); ++k) {
        EXPECT_EQ(first.signals[k].name, whole.signals[k].name);
        EXPECT_EQ(first.signals[k].stepX, whole.signals[k].stepX);
        EXPECT_EQ(Values(first.signals[k]), whole.signals[k].samples);
    }
    EXPECT_TRUE(first.signals[0].mapped.IsMapped());

    const FileResult r2 = ReadDataFile(source, again, Mapped(copies));
    ASSERT_TRUE(r2.ok) << r2.message;
    EXPECT_TRUE(HasNote(r2, "Read from its copy"));
    EXPECT_TRUE(HasNote(r2, "No wf_increment"));
    ASSERT_EQ(FindCacheCopies(source, copies).size(), 1u);
    EXPECT_TRUE(FindCacheCopies(source, copies)[0].current);

    // A changed recording is copied again, over the old copy.
    testutil::WriteBytes(source, Tdms(100.0));
    fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(5));
    DataSet changed;
    const FileResult r3 = ReadDataFile(source, changed, Mapped(copies));
    ASSERT_TRUE(r3.ok) << r3.message;
    EXPECT_TRUE(HasNote(r3, "Copied once into"));
    EXPECT_EQ(Values(changed.signals.at(0)).at(0), 100.0);
    EXPECT_EQ(FindCacheCopies(source, copies).size(), 1u);

    std::string error;
    EXPECT_TRUE(RemoveCacheCopies(source, copies, error)) << error;
    EXPECT_TRUE(FindCacheCopies(source, copies).empty());

    // Stopped while copying: nothing read, no copy left.
    ReadOptions stopping = Mapped(copies);
    stopping.progress = [](double) { return false; };
    DataSet none;
    const FileResult r4 = ReadDataFile(source, none, stopping);
    EXPECT_TRUE(!r4.ok && r4.stopped) << r4.message;
    EXPECT_TRUE(none.signals.empty());
    EXPECT_TRUE(fs::is_empty(copies));
}

TEST_F(Cache, ASpillFilledInAnyOrderIsTheFileWriteQuorWrites) {
    DataSet d;
    for (int k = 0; k < 3; ++k) {
        SignalData s;
        s.name = std::string(static_cast<size_t>(k + 1), 'x');  // headers of varied length
        s.folder = k == 1 ? "f/g" : "";
        s.attributes = {{"k", std::to_string(k)}};
        for (int i = 0; i < 1000 * (k + 1); ++i) s.samples.push_back(k * 1e4 + i * 0.25);
        d.signals.push_back(s);
    }
    const std::string written = dir_.Path("w.quor"), spilled = dir_.Path("s.quor");
    ASSERT_TRUE(WriteQuor(written, d).ok);
    QuorSpill spill;
    std::string error;
    ASSERT_TRUE(spill.Open(spilled, error)) << error;
    for (const SignalData& s : d.signals) spill.Declare(s, s.samples.size());
    for (size_t at = 0; at < 3000; at += 70)
        for (size_t k = 0; k < 3; ++k) {
            const auto& v = d.signals[k].samples;
            if (at < v.size()) spill.Put(k, v.data() + at, std::min<size_t>(70, v.size() - at));
        }
    ASSERT_TRUE(spill.Commit(error)) << error;
    EXPECT_EQ(testutil::ReadBytes(spilled), testutil::ReadBytes(written));

    // A count that does not add up leaves no file behind.
    const std::string shortFile = dir_.Path("short.quor");
    QuorSpill cut;
    ASSERT_TRUE(cut.Open(shortFile, error));
    cut.Put(cut.Declare(d.signals[0], 5), d.signals[0].samples.data(), 4);
    EXPECT_FALSE(cut.Commit(error));
    EXPECT_NE(error.find("fewer samples than announced"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(shortFile));
}

TEST_F(Cache, AFolderThatTakesNoCopyLeavesTheRecordingInMemory) {
    const std::string source = dir_.Path("rec.csv");
    std::string text = "time_s,v\n";
    for (int i = 0; i < 100; ++i)
        text += std::to_string(i) + "e-3," + (i == 5 ? "x" : std::to_string(i * 2)) + "\n";
    testutil::WriteBytes(source, text);
    DataSet copied, held, whole;
    ASSERT_TRUE(ReadDataFile(source, whole).ok);
    const FileResult r1 = ReadDataFile(source, copied, Mapped(dir_.Path("copies")));
    ASSERT_TRUE(r1.ok) << r1.message;
    EXPECT_TRUE(HasNote(r1, "Copied once into"));
    const std::vector<double> a = Values(copied.signals.at(0)), &b = whole.signals.at(0).samples;
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * 8), 0);  // the NaN of "x" too
    EXPECT_EQ(copied.signals[0].stepX, whole.signals[0].stepX);

    testutil::WriteBytes(dir_.Path("plain"), "x");
    const FileResult r2 = ReadDataFile(source, held, Mapped(dir_.Path("plain") + "/sub"));
    ASSERT_TRUE(r2.ok) << r2.message;
    EXPECT_TRUE(HasNote(r2, "so the recording is held in memory"));
    EXPECT_EQ(held.signals.at(0).samples.at(99), 198.0);
}

TEST_F(Cache, AFileChangedWhileItIsCopiedIsRefusedAndNoCopyKept) {
    const std::string source = dir_.Path("rec.tdms"), copies = dir_.Path("copies");
    testutil::WriteBytes(source, Tdms(0.5));
    ReadOptions o = Mapped(copies);
    bool appended = false;
    o.progress = [&](double) {
        if (!appended) {  // a logger adds a segment while the copy is made
            std::ofstream(source, std::ios::binary | std::ios::app) << "TDSm";
            appended = true;
        }
        return true;
    };
    DataSet d;
    const FileResult r = ReadDataFile(source, d, o);
    ASSERT_TRUE(appended);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("changed while it was copied"), std::string::npos) << r.message;
    EXPECT_TRUE(d.signals.empty());
    EXPECT_TRUE(fs::is_empty(copies));
}

// The disk's own cause is told, not the counts it cut short: a write
// refused (here by a file size limit, as a full disk refuses) and a folder
// that cannot be made.
TEST_F(Cache, ACopyTheDiskRefusesNamesTheSystemsCause) {
    SignalData s;
    s.name = "a";
    s.stepX = 1e-3;
    const std::vector<double> values(70000, 0.5);
    QuorSpill spill;
    std::string error;
    ASSERT_TRUE(spill.Open(dir_.Path("big.quor"), error)) << error;
    spill.Declare(s, values.size());
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64 << 10;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (size_t at = 0; at < values.size() && !spill.Failed(); at += 1000)
        spill.Put(0, values.data() + at, 1000);
    const bool failed = spill.Failed();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(failed);
    EXPECT_FALSE(spill.Commit(error));
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
    EXPECT_EQ(error.find("fewer samples"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir_.Path("big.quor")));

    if (geteuid() == 0) return;  // no folder refuses the superuser
    const std::string locked = dir_.Path("locked");
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    testutil::WriteBytes(dir_.Path("rec.tdms"), Tdms(0.5));
    DataSet d;
    const FileResult r = ReadDataFile(dir_.Path("rec.tdms"), d, Mapped(locked + "/sub"));
    fs::permissions(locked, fs::perms::owner_all);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(HasNote(r, "permission denied")) << r.notes.back();
}
