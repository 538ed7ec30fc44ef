// Universal files written by other programs: each loads with its true
// values or is declined with a clear message.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "korvex/formats/formats.h"
#include "platform/autodate.h"

using namespace korvex;

namespace {

std::string Sample(const char* name) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/data/interop/uff/" + name;
}

class UffInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_directory(Sample(""))) << "no interop files at " << Sample("");
    }
    static SignalData LoadOne(const char* name, FileResult* result = nullptr) {
        DataSet d;
        FileResult r = ReadUff58(Sample(name), d);
        EXPECT_TRUE(r.ok) << r.message;
        if (result) *result = r;
        return d.signals.size() == 1 ? d.signals[0] : SignalData{};
    }
    static double Date(int y, int mo, int d, int h, int mi, int s) {
        double date = 0;
        plat::ToAutomationDate({y, mo, d, h, mi, s, 0}, date);
        return date;
    }
};

}  // namespace

TEST_F(UffInterop, AsciiAndBinaryOfTheSameRecordAgree) {
    SignalData a = LoadOne("Sample_UFF58_ascii.uff");
    EXPECT_EQ(a.name, "Mic 01.0Scalar");
    EXPECT_EQ(a.unit, "Pa");
    ASSERT_EQ(a.samples.size(), 79292u);
    EXPECT_EQ(a.stepX, 1.0 / 65536);  // printed as 1.52588E-05
    EXPECT_EQ(a.startX, 0.0);
    EXPECT_EQ(a.samples[0], -1.47553e-2);
    EXPECT_EQ(a.samples[1], -1.72957e-2);
    EXPECT_EQ(a.samples.back(), -4.31469e-3);
    EXPECT_NEAR(a.startTime, Date(2016, 4, 18, 13, 49, 58), 1e-9);

    SignalData b = LoadOne("Sample_UFF58b_bin.uff");
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.unit, a.unit);
    EXPECT_EQ(b.stepX, a.stepX);
    ASSERT_EQ(b.samples.size(), a.samples.size());
    // The ASCII copy has six digits of the same single-precision values.
    for (size_t i = 0; i < a.samples.size(); ++i)
        ASSERT_NEAR(b.samples[i], a.samples[i], 5e-6 * std::fabs(a.samples[i]) + 1e-12) << i;
}

TEST_F(UffInterop, OtherWritersTimeHistories) {
    // 58b with 8-byte values: a 5 Hz sine sampled at 100 Hz, named in record 6.
    SignalData s = LoadOne("binary8byte.uff");
    EXPECT_EQ(s.name, "sine 5 Hz");
    EXPECT_EQ(s.unit, "g");
    ASSERT_EQ(s.samples.size(), 250u);
    EXPECT_EQ(s.stepX, 0.01);
    EXPECT_EQ(s.samples[0], 0.0);
    EXPECT_EQ(s.samples[5], 1.0);
    for (size_t i = 0; i < s.samples.size(); ++i)
        ASSERT_NEAR(s.samples[i], std::sin(2 * M_PI * 5 * 0.01 * i), 1e-5) << i;

    // A short last data line; a UTF-8 unit label.
    s = LoadOne("time-history-not-all-columns-filled.uff");
    EXPECT_EQ(s.name, "1x : m/s²");
    EXPECT_EQ(s.unit, "m/s²");
    EXPECT_EQ(s.text5.rfind("UFF58 file created by ", 0), 0u) << s.text5;  // ID line 2
    ASSERT_EQ(s.samples.size(), 13u);
    EXPECT_EQ(s.stepX, 5e-5);
    EXPECT_EQ(s.samples[0], -3.81956);
    EXPECT_EQ(s.samples[12], -5.84096);

    // Free text in ID line 1, a non-zero start, and a point count in record 7
    // far above the 42 values the record holds: the values present count.
    FileResult r;
    s = LoadOne("dataset_milestone_in_header.uff", &r);
    EXPECT_EQ(s.name.substr(0, 10), "M.REDON   ");
    EXPECT_EQ(s.unit, "Pa");
    EXPECT_EQ(s.startX, 1.11858e-5);
    EXPECT_EQ(s.stepX, 1.0 / 51200);  // printed as 1.95312E-05
    ASSERT_EQ(s.samples.size(), 42u);
    EXPECT_EQ(s.samples[0], -6.73633e-3);
    EXPECT_EQ(s.samples[41], 5.39653e-3);
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("2508876"), std::string::npos) << r.notes[0];
}

TEST_F(UffInterop, FilesWithoutTimeHistoriesAreDeclined) {
    struct Case {
        const char* file;
        const char* why;
    };
    const Case cases[] = {
        {"non_ascii_header.uff", "frequency response function"},
        {"sample_dataset58_psd.uff", "power spectral density"},
        {"1858.uff", "1858"},
        {"TestLab_161_164_18_15_82.uff", "151, 164, 18, 15, 82 (3 times)"},
    };
    for (const Case& c : cases) {
        DataSet d;
        d.signals.resize(1);
        FileResult r = ReadUff58(Sample(c.file), d);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_NE(r.message.find(c.file), std::string::npos) << r.message;
        EXPECT_EQ(d.signals.size(), 1u);
        ASSERT_FALSE(r.notes.empty()) << c.file;
        EXPECT_NE(r.notes[0].find(c.why), std::string::npos) << r.notes[0];
    }
}
