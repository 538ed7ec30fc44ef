// INI files: case-insensitive names, trimmed values, writes in place, the rest kept.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "platform/datafolder.h"
#include "platform/fileread.h"
#include "platform/profile.h"
#include "test_util.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

using testutil::ReadBytes;
using testutil::WriteBytes;

class Profile : public ::testing::Test {
  protected:
    testutil::TempDir dir_{"profile"};
};

}  // namespace

TEST_F(Profile, ReadsNamesCaseInsensitivelyAndValuesTrimmedAndUnquoted) {
    ProfileFile f;
    // Code page 1251 with CR LF; "Канал" in the section name.
    f.Parse(
        "top=before any section\r\n"
        "[General]\r\n"
        "; a comment=not a key\r\n"
        "  Key1 =  spaced value \t\r\n"
        "dq=\"  quoted  \"\r\n"
        "sq='x'\r\n"
        "mixed=\"x'\r\n"
        "lone=\"\r\n"
        "eq=a=b=c\r\n"
        "empty=\r\n"
        "key1=second occurrence\r\n"
        "[\xCA\xE0\xED\xE0\xEB]\r\n"
        "\xE8\xEC\xFF=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n"
        "[general]\r\n"
        "late=hidden by the first section of that name\r\n");
    EXPECT_EQ(f.GetString("GENERAL", "KEY1"), "spaced value");
    EXPECT_EQ(f.GetString("general", "dq"), "  quoted  ");
    EXPECT_EQ(f.GetString("general", "sq"), "x");
    EXPECT_EQ(f.GetString("general", "mixed"), "\"x'");
    EXPECT_EQ(f.GetString("general", "lone"), "\"");
    EXPECT_EQ(f.GetString("general", "eq"), "a=b=c");
    bool found = false;
    EXPECT_EQ(f.GetString("general", "empty", "def", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(f.GetString("general", "; a comment", "def", &found), "def");
    EXPECT_FALSE(found);
    EXPECT_EQ(f.GetString("general", "late", "def"), "def");
    EXPECT_EQ(f.GetString("", "top", "def"), "def");
    EXPECT_EQ(f.GetString("кАНАЛ", "ИМЯ"), "Значение");
    EXPECT_EQ(f.GetSectionKeys("general"),
              (std::vector<std::string>{"Key1", "dq", "sq", "mixed", "lone", "eq", "empty"}));
    EXPECT_EQ(f.GetSectionNames(), (std::vector<std::string>{"General", "Канал"}));
    EXPECT_FALSE(f.HasSection("missing"));
    EXPECT_FALSE(f.HasKey("missing", "Key1"));
}

TEST_F(Profile, ReadsLfOnlyFilesAndLongValuesWhole) {
    std::string longValue(5000, 'v');
    WriteBytes(dir_.Path("lf.ini"), "[a]\nk=1\nlong=" + longValue + "\n[b]\nk=2");
    ProfileFile f;
    ASSERT_TRUE(f.Load(dir_.Path("lf.ini")));
    EXPECT_EQ(f.GetString("a", "k"), "1");
    EXPECT_EQ(f.GetString("a", "long"), longValue);
    EXPECT_EQ(f.GetString("b", "k"), "2");
    // Written back, the file has CR LF throughout.
    EXPECT_EQ(f.ToBytes(), "[a]\r\nk=1\r\nlong=" + longValue + "\r\n[b]\r\nk=2\r\n");
}

TEST_F(Profile, WritesInPlaceAppendsAtSectionEndAndKeepsEverythingElse) {
    ProfileFile f;
    f.Parse(
        "; settings\r\n"
        "[general]\r\n"
        "Alpha = 1\r\n"
        "; keep me\r\n"
        "beta=2\r\n"
        "\r\n"
        "[other]\r\n"
        "x=\xC0\r\n");
    EXPECT_TRUE(f.WriteString("GENERAL", "BETA", "20"));
    EXPECT_TRUE(f.WriteString("general", "alpha", "10"));
    EXPECT_TRUE(f.WriteString("general", "gamma", "3"));
    EXPECT_TRUE(f.WriteString("Новая", "Ключ", "Значение"));
    EXPECT_EQ(f.ToBytes(),
              "; settings\r\n"
              "[general]\r\n"
              "Alpha =10\r\n"
              "; keep me\r\n"
              "beta=20\r\n"
              "gamma=3\r\n"
              "\r\n"
              "[other]\r\n"
              "x=\xC0\r\n"
              "\r\n"
              "[\xCD\xEE\xE2\xE0\xFF]\r\n"
              "\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n");
    // A key added later to a section still goes to that section's end.
    EXPECT_TRUE(f.WriteString("новая", "второй", "2"));
    EXPECT_EQ(f.GetSectionKeys("НОВАЯ"), (std::vector<std::string>{"Ключ", "второй"}));
    EXPECT_EQ(f.GetString("general", "gamma"), "3");
}

TEST_F(Profile, ValuesThatWouldNotReadBackAreQuotedAndBadNamesRefused) {
    ProfileFile f;
    const std::string values[] = {"  lead", "trail\t", "\"q\"", "'s'", " ", "a\"b", "x'"};
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_TRUE(f.WriteString("s", "k" + std::to_string(i), values[i]));
    ProfileFile back;
    back.Parse(f.ToBytes());
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(back.GetString("s", "k" + std::to_string(i)), values[i]) << i;
    EXPECT_NE(f.ToBytes().find("k5=a\"b\r\n"), std::string::npos);  // plain when not needed

    // Line breaks can't be held by the format; they must not split the line.
    EXPECT_TRUE(f.WriteString("s", "nl", "one\r\ntwo"));
    back.Parse(f.ToBytes());
    EXPECT_EQ(back.GetString("s", "nl"), "one  two");
    EXPECT_FALSE(f.WriteString("s", "", "v"));
    EXPECT_FALSE(f.WriteString("s", "a=b", "v"));
    EXPECT_FALSE(f.WriteString("s", "[x", "v"));
    EXPECT_FALSE(f.WriteString("s", ";x", "v"));
    EXPECT_FALSE(f.WriteString("s]", "k", "v"));
    EXPECT_FALSE(f.WriteString("s\nt", "k", "v"));
}

TEST_F(Profile, DeletesKeysAndSections) {
    ProfileFile f;
    f.Parse("[a]\r\nk1=1\r\nk2=2\r\nk3=3\r\n[B]\r\nz=1\r\n[b]\r\nz=2\r\n[c]\r\nq=1\r\n");
    EXPECT_TRUE(f.DeleteKey("A", "K2"));
    EXPECT_FALSE(f.DeleteKey("a", "k2"));
    EXPECT_FALSE(f.DeleteKey("none", "k1"));
    // The lines behind the deleted one are still found and updated in place.
    EXPECT_TRUE(f.WriteString("a", "k3", "30"));
    EXPECT_EQ(f.GetString("a", "k3"), "30");
    EXPECT_TRUE(f.DeleteSection("b"));  // both spellings
    EXPECT_FALSE(f.DeleteSection("b"));
    EXPECT_EQ(f.GetString("c", "q"), "1");
    EXPECT_EQ(f.ToBytes(), "[a]\r\nk1=1\r\nk3=30\r\n[c]\r\nq=1\r\n");
}

TEST_F(Profile, LoadOfMissingFileIsEmptyAndOfFolderFails) {
    ProfileFile f;
    f.Parse("[x]\r\na=1\r\n");
    EXPECT_TRUE(f.Load(dir_.Path("missing.ini")));
    EXPECT_FALSE(f.HasSection("x"));
    std::string error;
    EXPECT_FALSE(f.Load(dir_.path().string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ProfileGetString(dir_.Path("missing.ini"), "x", "a", "def"), "def");
}

TEST_F(Profile, DevicesAndOversizedFilesAreRefusedWithAMessage) {
    ProfileFile f;
    std::string error;
    if (fs::exists("/dev/zero")) {
        EXPECT_FALSE(f.Load("/dev/zero", &error));  // it would never end
        EXPECT_NE(error.find("not a file"), std::string::npos) << error;
    }
    std::string bytes, why;
    ReadFault fault = ReadFault::kNone;
    WriteBytes(dir_.Path("big.ini"), std::string(2000, 'x'));
    EXPECT_FALSE(ReadWholeFile(dir_.Path("big.ini"), 1000, bytes, fault, why));
    EXPECT_EQ(fault, ReadFault::kTooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(ReadWholeFile(dir_.Path("big.ini"), 2000, bytes, fault, why));
    EXPECT_EQ(bytes.size(), 2000u);
}

TEST_F(Profile, TextOutside1251IsKeptAsUtf8WithAMarkAnd1251FilesStayAsTheyWere) {
    // A file 1251 holds is written byte for byte as before, Cyrillic included.
    const std::string cp1251 = "[general]\r\ncfgFile=/home/\xc8\xe2\xe0\xed/a.cfg\r\n";
    ProfileFile f;
    f.Parse(cp1251);
    EXPECT_FALSE(f.HadUtf8Mark());
    EXPECT_EQ(f.GetString("general", "cfgFile"), "/home/Иван/a.cfg");
    EXPECT_EQ(f.ToBytes(), cp1251);

    // One character 1251 lacks turns the whole file into UTF-8 with a mark.
    ASSERT_TRUE(f.WriteString("general", "dstDir", "/home/jürgen/Ω"));
    const std::string bytes = f.ToBytes();
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("cfgFile=/home/Иван/a.cfg\r\n"), std::string::npos);
    ASSERT_TRUE(f.Save(dir_.Path("s.cfg")));
    ProfileFile back;
    ASSERT_TRUE(back.Load(dir_.Path("s.cfg")));
    EXPECT_TRUE(back.HadUtf8Mark());
    EXPECT_EQ(back.GetString("general", "dstDir"), "/home/jürgen/Ω");
    EXPECT_EQ(back.GetString("general", "cfgFile"), "/home/Иван/a.cfg");
    EXPECT_EQ(back.GetSectionNames(), std::vector<std::string>{"general"});  // no mark in a name
    EXPECT_EQ(back.ToBytes(), bytes);

    // Once the odd character is gone the file is 1251 again.
    ASSERT_TRUE(back.DeleteKey("general", "dstDir"));
    EXPECT_EQ(back.ToBytes(), cp1251);

    // A stray byte after the mark is taken as 1251 rather than lost.
    back.Parse("\xEF\xBB\xBF[a]\r\nk=\xc8 Ω\r\n");
    EXPECT_EQ(back.GetString("a", "k"), "И Ω");

    // UTF-8 without a mark reads as 1251, and says it looks like UTF-8.
    back.Parse("[a]\r\nk=\xd0\x98\r\n");
    EXPECT_TRUE(back.LooksUtf8WithoutMark());
    back.Parse(cp1251);
    EXPECT_FALSE(back.LooksUtf8WithoutMark());
}

TEST_F(Profile, ALoneCrEndsTheLineSoWhatIsReadIsWhatIsWritten) {
    ProfileFile f;
    f.Parse("[channels]\r\nnChannels=1\r\ncnl0_name=Acc1\rX\r\nnext=2\r\n");
    EXPECT_EQ(f.GetString("channels", "cnl0_name"), "Acc1");
    EXPECT_EQ(f.GetString("channels", "next"), "2");
    ASSERT_EQ(f.Notes().size(), 1u);
    EXPECT_NE(f.Notes()[0].find("line 3"), std::string::npos) << f.Notes()[0];
    ASSERT_TRUE(f.WriteString("channels", "cnl0_name", f.GetString("channels", "cnl0_name")));
    ProfileFile back;
    back.Parse(f.ToBytes());
    EXPECT_EQ(back.GetString("channels", "cnl0_name"), "Acc1");
    EXPECT_TRUE(back.Notes().empty());
    EXPECT_EQ(back.ToBytes(), f.ToBytes());
}

TEST_F(Profile, FreeFunctionsWriteThroughTheFile) {
    const std::string path = dir_.Path("single.ini");
    WriteBytes(path, "; mine\n[S]\nA=1\n");
    EXPECT_TRUE(ProfileWriteString(path, "s", "a", "Тест"));
    EXPECT_TRUE(ProfileWriteString(path, "t", "b", "2"));
    EXPECT_EQ(ReadBytes(path), "; mine\r\n[S]\r\nA=\xD2\xE5\xF1\xF2\r\n\r\n[t]\r\nb=2\r\n");
    bool found = false;
    EXPECT_EQ(ProfileGetString(path, "S", "A", "", &found), "Тест");
    EXPECT_TRUE(found);
    // A folder in place of the file: nothing is written.
    EXPECT_FALSE(ProfileWriteString(dir_.path().string(), "s", "a", "1"));
}

TEST_F(Profile, SaveReplacesAtomicallyAndLeavesOldFileOnFailure) {
    const std::string path = dir_.Path("target.ini");
    WriteBytes(path, "[old]\r\nk=1\r\n");
    ::chmod(path.c_str(), 0640);
    ProfileFile f;
    f.WriteString("new", "k", std::string(20000, 'x'));
    ASSERT_TRUE(f.Save(path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // permissions survive the replacement
    EXPECT_EQ(dir_.FileCount(), 1u);

    // A full disk in the middle of the write: the file size limit makes
    // write() fail the same way.
    f.WriteString("new", "k", std::string(40000, 'y'));
    std::string before = ReadBytes(path);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    bool saved = f.Save(path, &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir_.FileCount(), 1u);  // no temporary file left behind

    // The target is a folder: the rename fails and nothing is left over.
    fs::create_directories(dir_.path() / "sub" / "inner");
    EXPECT_FALSE(f.Save(dir_.Path("sub")));
    EXPECT_TRUE(fs::is_directory(dir_.path() / "sub" / "inner"));
    EXPECT_EQ(dir_.FileCount(), 2u);

    // A folder that does not exist.
    EXPECT_FALSE(f.Save(dir_.Path("nowhere/x.ini")));

    // A read-only folder (root may write anyway, so only checked otherwise).
    if (::geteuid() != 0) {
        fs::permissions(dir_.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(f.Save(path));
        fs::permissions(dir_.path(), fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(path), before);
    }
}

namespace {

// Sets an environment variable for one test and restores it afterwards.
class EnvGuard {
  public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace

TEST(DataFolder, OverridesAndDefaultLayout) {
    EnvGuard env("VANTREL_DATA_DIR", nullptr);
    EnvGuard xdg("XDG_DATA_HOME", "/data/home");
    EnvGuard home("HOME", "/home/u");
    EXPECT_EQ(DataFolder(), "/data/home/Quor Files/Korvex/");
    EXPECT_EQ(SettingsFilePath(), "/data/home/Quor Files/Korvex/plgVantrel.cfg");
    EXPECT_EQ(DefaultReportPath(), "/data/home/Quor Files/Korvex/Report.rtf");
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(DataFolder(), "/home/u/.local/share/Quor Files/Korvex/");
    ::setenv("VANTREL_DATA_DIR", "/tmp/vd", 1);
    EXPECT_EQ(DataFolder(), "/tmp/vd/");
    SetDataFolder("/explicit/");
    EXPECT_EQ(SettingsFilePath(), "/explicit/plgVantrel.cfg");
    SetDataFolder("");
    EXPECT_EQ(DataFolder(), "/tmp/vd/");
}

TEST_F(Profile, NumberedKeysAreTheNumbersInUseBelowTheCount) {
    ProfileFile f;
    f.Parse(
        "[ch]\r\nnChannels=2000000000\r\ncnl0_name=a\r\nCNL12_type=1\r\ncnl_x=1\r\ncnlx3=1\r\n"
        "cnl1_optFFT=x\r\ncnl1_opt4_str=x\r\ncnl12_opt9_str=x\r\ncnl1999999999_name=x\r\n"
        "cnl99999999999_name=x\r\nnOpts=-3\r\n");
    EXPECT_EQ(f.NumberedKeys("CH", "cnl", 13), (std::vector<int>{0, 1, 12}));
    EXPECT_EQ(f.NumberedKeys("ch", "cnl", 12), (std::vector<int>{0, 1}));
    EXPECT_EQ(f.CountedKeys("ch", "nChannels", "cnl"), (std::vector<int>{0, 1, 12, 1999999999}));
    EXPECT_EQ(f.NumberedKeys("ch", "cnl1_opt", 100), (std::vector<int>{4}));
    EXPECT_TRUE(f.NumberedKeys("ch", "cnl2_opt", 100).empty());
    EXPECT_TRUE(f.NumberedKeys("missing", "cnl", 100).empty());
    EXPECT_TRUE(f.CountedKeys("ch", "nOpts", "cnl").empty());
    EXPECT_TRUE(f.CountedKeys("ch", "noCount", "cnl").empty());
    // A key added later is found too.
    ASSERT_TRUE(f.WriteString("ch", "cnl5_name", "b"));
    EXPECT_EQ(f.NumberedKeys("ch", "cnl", 13), (std::vector<int>{0, 1, 5, 12}));
    ASSERT_TRUE(f.DeleteKey("ch", "cnl0_name"));
    EXPECT_EQ(f.NumberedKeys("ch", "cnl", 6), (std::vector<int>{1, 5}));
}
