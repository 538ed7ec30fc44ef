// A file read where it lies: a window over a long range keeps a few
// megabytes of it resident however often and from however many threads it
// is walked, and reads the same values.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/mapped_file.h"
#include "test_util.h"

namespace {

// The process's resident pages of mapped files, in MB.
double RssFileMb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("RssFile:", 0) == 0) return std::stod(line.substr(8)) / 1024.0;
    return -1;
}

}  // namespace

TEST(MappedFile, AWindowKeepsAFewMegabytesOfAWholeWalk) {
    testutil::TempDir dir("mapped");
    const std::string path = dir.Path("values");
    constexpr size_t kN = size_t{10} << 20;  // 80 MB of doubles
    double expected = 0;
    {
        std::vector<double> v(kN);
        for (size_t i = 0; i < kN; ++i) expected += v[i] = static_cast<double>(i % 1000);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(kN * 8));
    }
    std::string error;
    const auto file = plat::MappedFile::Open(path, error);
    ASSERT_TRUE(file) << error;
    const auto* values = reinterpret_cast<const double*>(file->Data());
    const double before = RssFileMb();
    ASSERT_TRUE(file->BeginWindow(0, file->Size()));
    EXPECT_FALSE(file->BeginWindow(0, file->Size()));  // one at a time
    // Two threads walk it twice each, as an operator's passes would.
    double sums[2][2] = {}, peak = 0;
    auto walk = [&](int t) {
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < kN; ++i) sums[t][pass] += values[i];
    };
    std::thread other(walk, 1);
    walk(0);
    other.join();
    peak = RssFileMb() - before;
    for (auto& s : sums) EXPECT_EQ(s[0], expected);
    for (auto& s : sums) EXPECT_EQ(s[1], expected);
    EXPECT_LT(peak, 40.0) << "MB resident of 80";
    file->EndWindow();
    // Readable again, also by the kernel.
    const int null = ::open("/dev/null", O_WRONLY);
    ASSERT_GE(null, 0);
    EXPECT_EQ(::write(null, file->Data(), 1 << 20), 1 << 20);
    ::close(null);
    double again = 0;
    for (size_t i = 0; i < kN; ++i) again += values[i];
    EXPECT_EQ(again, expected);
}
