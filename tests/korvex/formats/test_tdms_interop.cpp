// TDMS files of other writers (tests/data/interop/tdms, see its README): each
// loads with the values, steps, units and start times its writer put there.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "korvex/formats/formats.h"
#include "korvex/formats/readers.h"
#include "platform/autodate.h"

using namespace korvex;

namespace {

std::string Sample(const std::string& name) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/data/interop/tdms/" + name;
}

class TdmsInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_directory(Sample(""))) << "no interop files at " << Sample("");
    }
    static DataSet Load(const std::string& name, FileResult* result = nullptr) {
        DataSet d;
        FileResult r = ReadDataFile(Sample(name), d);  // picked by extension
        EXPECT_TRUE(r.ok) << name << ": " << r.message;
        if (result) *result = r;
        return d;
    }
    // An automation date, UTC.
    static double Utc(int y, int mo, int d, int h, int mi, double s) {
        double date = 0;
        plat::ToAutomationDate({y, mo, d, h, mi, 0, 0}, date);
        return date + s / 86400;
    }
};

std::vector<double> Repeat(std::vector<double> part, int times) {
    std::vector<double> v;
    for (int i = 0; i < times; ++i) v.insert(v.end(), part.begin(), part.end());
    return v;
}

}  // namespace

TEST_F(TdmsInterop, IncrementalMetadataSteps) {
    // The format description's example grows by one segment a step: the
    // same objects again, a new channel, a changed index, a new object list.
    const std::vector<double> c1 = {1, 2, 3}, c2 = {4, 5, 6}, volt = {7, 8, 9, 10, 11};
    std::vector<double> c2grown = Repeat(c2, 4);
    for (int i = 1; i <= 27; ++i) c2grown.push_back(i);
    const std::vector<std::vector<std::vector<double>>> steps = {
        {Repeat(c1, 1), Repeat(c2, 1)},
        {Repeat(c1, 2), Repeat(c2, 2)},
        {Repeat(c1, 3), Repeat(c2, 3)},
        {Repeat(c1, 4), Repeat(c2, 4), volt},
        {Repeat(c1, 5), c2grown, Repeat(volt, 2)},
        {Repeat(c1, 6), c2grown, Repeat(volt, 3)}};
    for (size_t k = 0; k < steps.size(); ++k) {
        const std::string name =
            "IncrementalMetaInformationExample_step" + std::to_string(k + 1) + ".tdms";
        DataSet d = Load(name);
        ASSERT_EQ(d.signals.size(), steps[k].size()) << name;
        for (size_t c = 0; c < steps[k].size(); ++c) {
            EXPECT_EQ(d.signals[c].folder, "group");
            EXPECT_EQ(d.signals[c].samples, steps[k][c]) << name << " " << d.signals[c].name;
        }
    }
}

TEST_F(TdmsInterop, InterleavedAndRewrittenProperties) {
    FileResult r;
    DataSet d = Load("IncrementalMetaInformationInterleavedData.tdms", &r);
    ASSERT_EQ(d.signals.size(), 11u);
    EXPECT_EQ(d.signals[0].name, "Time");
    EXPECT_EQ(d.signals[2].name, "Mod2/ai0");  // the host makes "/" a "_" with a note
    for (const SignalData& s : d.signals) {
        EXPECT_EQ(s.folder, "Time Domain");
        EXPECT_EQ(s.samples.size(), 2u);
        EXPECT_EQ(s.stepX, 1.0);  // no waveform properties
    }
    EXPECT_NEAR(d.signals[0].samples[1] - d.signals[0].samples[0], 1.0, 0.1);  // a row a second
    EXPECT_EQ(d.signals[1].samples, std::vector<double>({22.75, 23.0}));  // chassis temperature
    EXPECT_NE(r.notes.at(0).find("step of 1"), std::string::npos);

    // Properties added in later segments and the same file with one of them
    // written twice load the same signals.
    DataSet a = Load("AdditionalProperties.tdms"), b = Load("PropertyRewritten.tdms");
    ASSERT_EQ(a.signals.size(), 4u);
    ASSERT_EQ(b.signals.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(a.signals[i].name, b.signals[i].name);
        EXPECT_EQ(a.signals[i].samples, b.signals[i].samples);
    }
    EXPECT_EQ(a.signals[0].name, "Freq (Hz)");
    EXPECT_EQ(a.signals[0].samples.size(), 321u);
    EXPECT_EQ(a.signals[3].samples, std::vector<double>({7.051}));
    EXPECT_NEAR(a.signals[3].startTime, Utc(2013, 9, 4, 11, 25, 28.825120), 1e-9);
    EXPECT_EQ(a.signals[0].startTime, 0.0);  // wf_start_time 0 is no time
}

TEST_F(TdmsInterop, DigitalLinesInDecimatedGroups) {
    FileResult r;
    DataSet d = Load("Digital_Input.tdms", &r);
    ASSERT_EQ(d.signals.size(), 3u);
    const size_t counts[] = {20000, 400, 8};
    const double steps[] = {0.0005, 0.025, 1.25};
    for (size_t i = 0; i < 3; ++i) {
        const SignalData& s = d.signals[i];
        EXPECT_EQ(s.name, "Dev1_port3_line7 - line 0");
        EXPECT_EQ(s.samples.size(), counts[i]);
        EXPECT_EQ(s.stepX, steps[i]);
        for (double v : s.samples) ASSERT_TRUE(v == 0 || v == 1);
        // Logged at 18:58:23 Central Daylight Time: 23:58 UTC.
        EXPECT_NEAR(s.startTime, Utc(2012, 7, 9, 23, 58, 24.593733), 1e-9);
    }
    EXPECT_EQ(d.signals[0].folder, "07_09_2012 06:58:23 PM - Digital Input - All Data");
    EXPECT_EQ(d.signals[2].folder,
              "07_09_2012 06:58:23 PM - Digital Input - Decimated Data_Level2");
    EXPECT_NE(r.notes.at(0).find("separates host folders"), std::string::npos);
}

TEST_F(TdmsInterop, BigEndianFile) {
    DataSet d = Load("big_endian.tdms");
    ASSERT_EQ(d.signals.size(), 2u);
    EXPECT_EQ(d.signals[0].name, "Amplitude sweep");
    EXPECT_EQ(d.signals[1].name, "Phase sweep");
    for (const SignalData& s : d.signals) {
        EXPECT_EQ(s.folder, "Measured Data");
        EXPECT_EQ(s.samples.size(), 3500u);  // 500 in the first segment, 6 chunks in the second
        EXPECT_EQ(s.stepX, 0.001);
    }
    // A sine: read in the wrong byte order it would be noise.
    const std::vector<double>& v = d.signals[1].samples;
    const double w = std::asin(v[1]);
    for (size_t k = 0; k < 20; ++k) EXPECT_NEAR(v[k], std::sin(w * k), 1e-9) << k;
}

TEST_F(TdmsInterop, DaqmxRawDataScaledToVolts) {
    DataSet d = Load("raw1.tdms");
    ASSERT_EQ(d.signals.size(), 7u);
    const double slope = 0.0003051850947599719;  // NI_Scale[1]: 10 V over 32767
    double previousMean = -1;
    for (const SignalData& s : d.signals) {
        EXPECT_EQ(s.unit, "Volts");
        EXPECT_EQ(s.samples.size(), 2000u);
        EXPECT_NEAR(s.stepX, 2e-5, 1e-18);
        EXPECT_NEAR(s.startTime, Utc(2016, 12, 15, 22, 35, 21), 1e-9);
        double mean = 0;
        for (double v : s.samples) {
            // Signed 16-bit raw values times the slope.
            const double raw = v / slope;
            ASSERT_NEAR(raw, std::round(raw), 1e-6);
            ASSERT_LE(std::fabs(raw), 32768);
            mean += v / s.samples.size();
        }
        // The channels sit at rising offsets of about 0.8 V.
        EXPECT_GT(mean, previousMean + 0.5) << s.name;
        previousMean = mean;
    }
    EXPECT_EQ(d.signals[0].name, "First  Channel");
    EXPECT_EQ(d.signals[6].name, "Seventh Cha");
}

TEST_F(TdmsInterop, WaveformStartTime) {
    DataSet d = Load("raw_timestamps.tdms");
    ASSERT_EQ(d.signals.size(), 1u);
    const SignalData& s = d.signals[0];
    EXPECT_EQ(s.folder, "Untitled");
    EXPECT_EQ(s.stepX, 0.001);
    ASSERT_EQ(s.samples.size(), 128u);
    for (size_t k = 0; k < 128; ++k) EXPECT_NEAR(s.samples[k], std::sin(2 * M_PI * k / 128), 1e-9);
    EXPECT_NEAR(s.startTime, Utc(2024, 1, 24, 1, 48, 43.068614), 1e-9);
}
