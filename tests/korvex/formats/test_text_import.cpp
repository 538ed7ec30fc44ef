// CSV and text exports: the layouts other programs write, damage reported
// by line, the user's choices, and files larger than one read window.

#include <gtest/gtest.h>

#include <cmath>

#include "korvex/formats/formats.h"
#include "platform/numtext.h"
#include "test_util.h"

using namespace korvex;

namespace {

class TextImport : public ::testing::Test {
  protected:
    FileResult Read(const std::string& text, DataSet& d, const ReadOptions& o = {},
                    const std::string& name = "data.csv") {
        const std::string path = dir_.Path(name);
        testutil::WriteBytes(path, text);
        return ReadDataFile(path, d, o);
    }
    static std::string Notes(const FileResult& r) {
        std::string all;
        for (const std::string& n : r.notes) all += n + "\n";
        return all;
    }
    testutil::TempDir dir_{"text"};
};

}  // namespace

TEST_F(TextImport, LayoutsOfOtherPrograms) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> names, units;
        std::vector<std::vector<double>> values;
        double step;
    };
    const std::vector<Case> cases = {
        {"german.csv",
         "Messung: Prüfstand 3\nDatum: 01.03.2024\n\nZeit / s;Beschleunigung / m/s²;Kraft / N\n"
         "0,000;1,5;-2\n0,001;1,6;-2,1\n0,002;1,7;-2,2\n",
         {"Beschleunigung", "Kraft"},
         {"m/s²", "N"},
         {{1.5, 1.6, 1.7}, {-2, -2.1, -2.2}},
         0.001},
        {"logger.csv",
         "\"CH\",\"Mode\",\"Range\"\r\n\"1-1\",\"Voltage\",\"10V\"\r\n\"Time\",\"1-1[V]\",\"1-2[V]"
         "\"\r\n"
         "\"0.000\",\"1.0\",\"2.0\"\r\n\"0.010\",\"1.1\",\"2.1\"\r\n\"0.020\",\"1.2\",\"2.2\"\r\n",
         {"1-1", "1-2"},
         {"V", "V"},
         {{1, 1.1, 1.2}, {2, 2.1, 2.2}},
         0.01},
        {"units.txt",
         "time\tacc\tvel\ns\tm/s^2\tmm/s\n0.0\t1\t2\n0.5\t3\t4\n1.0\t5\t6\n",
         {"acc", "vel"},
         {"m/s^2", "mm/s"},
         {{1, 3, 5}, {2, 4, 6}},
         0.5},
        {"blanks.dat",
         "# comment\nt(ms)  a [g]   b (Pa)\n  0   1e-3  4\n  2   2e-3  5\n  4   3e-3  6\n",
         {"a", "b"},
         {"g", "Pa"},
         {{1e-3, 2e-3, 3e-3}, {4, 5, 6}},
         0.002},
        {"test.lvm",
         "LabVIEW Measurement\t\nSeparator\tTab\nDecimal_Separator\t,\nX_Columns\tOne\n"
         "***End_of_Header***\t\n\t\nChannels\t2\t\nY_Unit_Label\tVolts\tg\t\n"
         "X0\t0,0E+0\t0,0E+0\t\nDelta_X\t0,001\t0,001\t\n***End_of_Header***\t\n"
         "X_Value\tVoltage\tAccel\tComment\n0,000\t1,5\t0,1\n0,001\t1,6\t0,2\n0,002\t1,7\t0,3\n",
         {"Voltage", "Accel"},
         {"Volts", "g"},
         {{1.5, 1.6, 1.7}, {0.1, 0.2, 0.3}},
         0.001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataSet d;
        FileResult r = Read(c.text, d, {}, c.name);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(d.signals.size(), c.names.size());
        for (size_t k = 0; k < c.names.size(); ++k) {
            EXPECT_EQ(d.signals[k].name, c.names[k]);
            EXPECT_EQ(d.signals[k].unit, c.units[k]);
            EXPECT_EQ(d.signals[k].samples, c.values[k]);
            EXPECT_DOUBLE_EQ(d.signals[k].stepX, c.step);
        }
    }
    // Date-times give the start time; their milliseconds the step.
    DataSet d;
    FileResult r = Read(
        "Timestamp,Value\n2024-03-01T12:00:00.000,1\n2024-03-01T12:00:00.010,2\n"
        "2024-03-01T12:00:00.020,3\n",
        d);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(d.signals.at(0).stepX, 0.01);
    EXPECT_DOUBLE_EQ(d.signals[0].startTime, 45352.5);
    EXPECT_EQ(d.signals[0].startX, 0.0);
}

TEST_F(TextImport, DamageIsReportedByLine) {
    DataSet d;
    FileResult r = Read("time,a,b\n0,1,2\n1,2\n2,3,4,5\n3,x,6\n4,,7\n\nnone,8,8\n5,9,9\n6,10", d);
    ASSERT_TRUE(r.ok) << r.message;
    const std::string notes = Notes(r);
    EXPECT_NE(notes.find("Line 3: fewer values than columns"), std::string::npos) << notes;
    EXPECT_NE(notes.find("Line 4: more values than columns"), std::string::npos) << notes;
    EXPECT_NE(notes.find("Line 5: text where a number belongs"), std::string::npos) << notes;
    EXPECT_NE(notes.find("Line 6: empty cells"), std::string::npos) << notes;
    EXPECT_NE(notes.find("Line 8: no time; the rows were dropped"), std::string::npos) << notes;
    EXPECT_NE(notes.find("The last line (10) has no line end"), std::string::npos) << notes;
    ASSERT_EQ(d.signals.size(), 2u);
    const std::vector<double>& a = d.signals[0].samples;
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(a[0], 1);
    EXPECT_TRUE(std::isnan(a[3]) && std::isnan(a[4]));
    EXPECT_EQ(a[5], 9);
    EXPECT_TRUE(std::isnan(d.signals[1].samples[1]));

    // A logger stopped inside the last number: the line has all its fields
    // but no line end, and is dropped rather than read shortened.
    for (const char* name : {"cut.csv", "cut.txt", "cut.lvm"}) {
        SCOPED_TRACE(name);
        DataSet cut;
        const FileResult c =
            Read("t,a\n0,0.25\n1,0.5\n2,0.0005538902791\n3,0.00055", cut, {}, name);
        ASSERT_TRUE(c.ok) << c.message;
        ASSERT_EQ(cut.signals.size(), 1u);
        EXPECT_EQ(cut.signals[0].samples, std::vector<double>({0.25, 0.5, 0.0005538902791}));
        EXPECT_NE(Notes(c).find("The last line (5) has no line end"), std::string::npos);
    }

    // Time going backwards is refused, naming the lines.
    r = Read("t,a\n0,1\n1,2\n1,3\n2,4\n1.5,5\n", d);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(
        r.message.find("data.csv\": the time (column 1, \"t\") does not increase at lines 4, 6"),
        std::string::npos)
        << r.message;
    EXPECT_EQ(d.signals.size(), 2u);  // the earlier load stays

    // Uneven time: refused, or resampled when asked.
    const std::string uneven = "t,a\n0,0\n1,1\n2,2\n4,4\n5,5\n6,6\n";
    r = Read(uneven, d);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("steps unevenly at line 5; ask for resampling"), std::string::npos)
        << r.message;
    ReadOptions resample;
    resample.text.resample = true;
    r = Read(uneven, d, resample);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(d.signals.at(0).stepX, 1.2);
    for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(d.signals[0].samples[i], 1.2 * i, 1e-12);
    EXPECT_NE(Notes(r).find("resampled to its mean step"), std::string::npos);
}

TEST_F(TextImport, TheUsersChoices) {
    // No time column: the rate must be given.
    DataSet d;
    const std::string plain = "a;b\n1,5;2\n2,5;3\n3,5;4\n";
    FileResult r = Read(plain, d);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.needsRate);
    ReadOptions o;
    o.rate = 200;
    r = Read(plain, d, o);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(d.signals.at(0).stepX, 0.005);
    EXPECT_EQ(d.signals[0].samples, std::vector<double>({1.5, 2.5, 3.5}));

    // What the sniffing found, and every choice overridden.
    const std::string path = dir_.Path("data.csv");
    TextLayout L = SniffTextFile(path);
    EXPECT_EQ(L.found.separator, ';');
    EXPECT_EQ(L.found.decimal, ',');
    EXPECT_EQ(L.found.headerLine, 1);
    EXPECT_EQ(L.found.timeColumn, 0);
    EXPECT_EQ(L.firstDataLine, 2);
    EXPECT_EQ(L.names, std::vector<std::string>({"a", "b"}));
    EXPECT_EQ(L.head.at(1), "1,5;2");
    o.text.separator = ',';
    o.text.decimal = '.';
    o.text.headerLine = 0;
    o.text.timeColumn = 1;
    r = Read("a,b\n1,2\n3,4\n5,6\n", d, o);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 1u);
    EXPECT_EQ(d.signals[0].name, "Column 2");
    EXPECT_EQ(d.signals[0].stepX, 2.0);
    EXPECT_EQ(d.signals[0].samples, std::vector<double>({2, 4, 6}));

    // Nothing numeric: refused with what was looked at.
    r = Read("just,some\ntext,here\n", d);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("data.csv\" as text: no lines of numbers"), std::string::npos)
        << r.message;
}

TEST_F(TextImport, FilesLargerThanAReadWindow) {
    std::string text = "time,x\n";
    const size_t n = 400000;  // about 9 MB
    for (size_t i = 0; i < n; ++i)
        text +=
            plat::FixedText(i * 1e-4, 4) + "," + plat::GeneralText(std::sin(i * 0.001), 17) + "\n";
    text += "40,oops\n";
    DataSet d;
    FileResult r = Read(text, d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.at(0).samples.size(), n + 1);
    EXPECT_EQ(d.signals[0].stepX, 1e-4);
    for (size_t i = 0; i < n; i += 997)
        ASSERT_EQ(d.signals[0].samples[i], std::sin(i * 0.001)) << i;
    EXPECT_NE(Notes(r).find("Line " + std::to_string(n + 2) + ": text"), std::string::npos)
        << Notes(r);
}
