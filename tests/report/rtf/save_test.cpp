// Saving RTF reports: new and appended, foreign files refused, failed writes harmless.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "report/rtf/rtf.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss\\fcharset204{\\*\\fname "
    "Arial;}Arial CYR;}{\\f1\\fswiss\\fprq2\\fcharset204 "
    "Tahoma;}{\\f2\\froman\\fprq2\\fcharset204{\\*\\fname Times New Roman;}Times New Roman "
    "CYR;}{\\f3\\froman\\fprq2\\fcharset204 Book "
    "Antiqua;}{\\f4\\fmodern\\fprq1\\fcharset204{\\*\\fname Courier New;}Courier New "
    "CYR;}{\\f5\\fmodern\\fprq1\\fcharset204 Lucida Console;}{\\f6\\fswiss\\fprq2\\fcharset204 "
    "Arial Narrow;}{\\f7\\fswiss\\fprq2\\fcharset204 "
    "Haettenschweiler;}{\\f8\\fscript\\fprq2\\fcharset204 Monotype "
    "Corsiva;}{\\f9\\froman\\fprq2\\fcharset2 Symbol;}{\\f10\\fnil\\fprq2\\fcharset2 "
    "Wingdings;}{\\f11\\froman\\fprq2\\fcharset2 Wingdings 2;}{\\f12\\froman\\fprq2\\fcharset2 "
    "Wingdings 3;}}{\\colortbl "
    ";\\red0\\green0\\blue0;\\red128\\green0\\blue0;\\red0\\green128\\blue0;\\red128\\green128"
    "\\blue0;\\red0\\green0\\blue128;\\red128\\green0\\blue128;\\red0\\green128\\blue128;\\red128"
    "\\green128\\blue128;\\red192\\green192\\blue192;\\red255\\green0\\blue0;\\red0\\green255"
    "\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0"
    "\\green255\\blue255;\\red255\\green255\\blue255;}\\paperw11907\\paperh16840\\psz9"
    "\\margl1134\\margr567\\margt567\\margb567";

using testutil::ReadBytes;
using testutil::WriteBytes;

class RtfSave : public ::testing::Test {
  protected:
    static rtf::report Entry(const char* text) {
        rtf::report r;
        r << text << rtf::par;
        return r;
    }

    testutil::TempDir dir_{"rtf-save"};
    fs::path path_ = dir_.path() / "Report.rtf";
};

TEST_F(RtfSave, NewDocumentAndAppends) {
    ASSERT_TRUE(Entry("Первая").save(path_));
    const std::string first = kHeader + "\n\xCF\xE5\xF0\xE2\xE0\xFF\\par\\par}";
    EXPECT_EQ(ReadBytes(path_), first);

    // Appended entries go in place of the brace, without the closing "\par".
    ASSERT_TRUE(Entry("{2}").save(path_));
    EXPECT_EQ(ReadBytes(path_), first.substr(0, first.size() - 1) + "\n\\{2\\}\\par}");
    EXPECT_EQ(dir_.FileCount(), 1u);  // no temporary left behind
}

TEST_F(RtfSave, AppendAfterTrailingBlanks) {
    const std::string body = kHeader + "\\par";
    WriteBytes(path_, body + "}\r\n");
    // A short entry covers the brace and CR; the old LF stays after the new brace.
    rtf::report shortEntry;
    shortEntry.add(rtf::term("A"));
    ASSERT_TRUE(shortEntry.save(path_));
    EXPECT_EQ(ReadBytes(path_), body + "A}\n");

    // A longer one overwrites the whole old tail.
    ASSERT_TRUE(Entry("x").save(path_));
    EXPECT_EQ(ReadBytes(path_), body + "A\nx\\par}");

    // Seven trailing blanks are the most that is allowed; the entry is one
    // byte shorter than the old tail, so the last LF stays.
    WriteBytes(path_, body + "}" + std::string(5, ' ') + "\r\n");
    ASSERT_TRUE(Entry("y").save(path_));
    EXPECT_EQ(ReadBytes(path_), body + "\ny\\par}\n");
}

TEST_F(RtfSave, RefusesFilesThatAreNotReports) {
    const std::string cases[] = {
        "{\\rtf1 abcd}",                               // 12 bytes: too short
        kHeader + "\\par",                             // no closing brace
        kHeader + "}x",                                // something after the brace
        kHeader + "}" + std::string(6, ' ') + "\r\n",  // brace beyond the last 8 bytes
    };
    for (const auto& content : cases) {
        WriteBytes(path_, content);
        EXPECT_FALSE(Entry("z").save(path_)) << content.substr(content.size() - 10);
        EXPECT_EQ(ReadBytes(path_), content);
    }
    EXPECT_FALSE(Entry("z").save(dir_.path()));  // a folder
    EXPECT_FALSE(Entry("z").save(dir_.path() / "missing" / "Report.rtf"));
    EXPECT_FALSE(Entry("z").save(""));
}

// Stops writes beyond a file size, like a full disk, for the lifetime of the
// object.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

  private:
    rlimit old_{};
    void (*old_handler_)(int);
};

TEST_F(RtfSave, FailedWriteLeavesFileAsItWas) {
    const std::string before = kHeader + "\\par}\r\n";
    WriteBytes(path_, before);
    ::chmod(path_.c_str(), 0640);
    rtf::report big;
    for (int i = 0; i < 200; ++i) big << "Строка отчета" << rtf::par;
    {
        // The new file breaks off midway through the entry.
        FileSizeLimit limit(before.size() + 100);
        EXPECT_FALSE(big.save(path_));
        EXPECT_FALSE(big.save(dir_.path() / "New.rtf"));
    }
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(dir_.FileCount(), 1u);

    // A successful append keeps the file's permissions.
    ASSERT_TRUE(big.save(path_));
    EXPECT_EQ(fs::status(path_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(RtfSave, ReadOnlyFolderOrFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    const std::string before = kHeader + "}";
    WriteBytes(path_, before);
    ::chmod(dir_.path().c_str(), 0555);
    EXPECT_FALSE(Entry("a").save(path_));
    ::chmod(dir_.path().c_str(), 0755);
    ::chmod(path_.c_str(), 0444);
    EXPECT_FALSE(Entry("a").save(path_));
    EXPECT_EQ(ReadBytes(path_), before);
}

TEST_F(RtfSave, AppendsThroughSymbolicLink) {
    WriteBytes(path_, kHeader + "}");
    fs::path link = dir_.path() / "link.rtf";
    fs::create_symlink(path_, link);
    ASSERT_TRUE(Entry("b").save(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(path_), kHeader + "\nb\\par}");
}

}  // namespace
