// Data-file formats: every field round trip, long signals mapped, damaged files refused.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>

#include "korvex/formats/formats.h"
#include "platform/autodate.h"
#include "platform/mapped_file.h"
#include "platform/text.h"
#include "test_util.h"

using namespace korvex;
namespace fs = std::filesystem;

namespace {

using testutil::ReadBytes;
using testutil::WriteBytes;

class Formats : public ::testing::Test {
  protected:
    testutil::TempDir dir_{"formats"};
};

// A data set that is already there, to check a failed read leaves it alone.
DataSet Sentinel() {
    DataSet d;
    SignalData s;
    s.name = "keep me";
    s.samples = {1, 2, 3};
    d.signals.push_back(s);
    return d;
}

// What a streaming reader passes on.
struct Collect final : SampleSink {
    size_t Declare(const SignalData&, uint64_t) override {
        values.emplace_back();
        return values.size() - 1;
    }
    void Put(size_t k, const double* v, size_t n) override {
        values[k].insert(values[k].end(), v, v + n);
    }
    bool Failed() const override { return false; }
    std::vector<std::vector<double>> values;
};

void ExpectUntouched(const DataSet& d) {
    ASSERT_EQ(d.signals.size(), 1u);
    EXPECT_EQ(d.signals[0].name, "keep me");
    EXPECT_EQ(d.signals[0].samples.size(), 3u);
}

SignalData MakeSignal(const std::string& folder, const std::string& name, const std::string& unit,
                      size_t n, double step, double startX = 0.0) {
    SignalData s;
    s.folder = folder;
    s.name = name;
    s.unit = unit;
    s.stepX = step;
    s.startX = startX;
    s.samples.resize(n);
    for (size_t i = 0; i < n; ++i) s.samples[i] = std::sin(0.37 * i) * 12.5 + 1e-3 * i;
    return s;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

void PutLE(std::string& s, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Rewrites the checksum after a deliberate change, so the change itself is
// what the reader has to catch.
void FixChecksum(std::string& bytes) {
    PutLE(bytes, bytes.size() - 4, Crc32(bytes.substr(0, bytes.size() - 8)), 4);
}

}  // namespace

// ------------------------------------------------------------------ .quor

TEST_F(Formats, QuorRoundTripKeepsEveryField) {
    DataSet in;
    SignalData a = MakeSignal("", "Ускорение Z", "m/s^2", 1000, 1.0 / 48000, -0.25);
    a.text5 = "датчик №3";
    a.startTime = 45123.5123456789;
    a.axisCodes[{1, 1}] = 80;
    a.axisCodes[{2, 1}] = 0x0000000DFA000A01ull;
    a.axisCodes[{2, 0}] = 0xFFFFFFFFFFFFFFFFull;
    a.attributes = {{"zeta", "1"}, {"alpha", "ß"}, {"zeta", "again"}};  // order and repeats kept
    a.samples[1] = -0.0;
    a.samples[2] = std::numeric_limits<double>::infinity();
    a.samples[3] = std::numeric_limits<double>::denorm_min();
    a.samples[4] = std::numeric_limits<double>::quiet_NaN();
    in.signals.push_back(a);
    in.signals.push_back(MakeSignal("Вибро/Канал 1", "v", "mm/s", 3, 0.5));
    in.signals.push_back(MakeSignal("a/b/c", "empty", "", 0, 1.0));

    const std::string path = dir_.Path("set.quor");
    FileResult w = WriteQuor(path, in);
    ASSERT_TRUE(w.ok) << w.message;
    EXPECT_EQ(dir_.RegularFileCount(), 1u);

    DataSet out;
    FileResult r = ReadQuor(path, out);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(out.signals.size(), in.signals.size());
    for (size_t i = 0; i < in.signals.size(); ++i) {
        const SignalData& x = in.signals[i];
        const SignalData& y = out.signals[i];
        EXPECT_EQ(y.folder, x.folder);
        EXPECT_EQ(y.name, x.name);
        EXPECT_EQ(y.unit, x.unit);
        EXPECT_EQ(y.text5, x.text5);
        EXPECT_EQ(y.startX, x.startX);
        EXPECT_EQ(y.stepX, x.stepX);
        EXPECT_EQ(y.startTime, x.startTime);
        EXPECT_EQ(y.axisCodes, x.axisCodes);
        EXPECT_EQ(y.attributes, x.attributes);
        ASSERT_EQ(y.samples.size(), x.samples.size());
        // Bit for bit: -0, NaN and denormals included.
        if (!x.samples.empty()) {
            EXPECT_EQ(std::memcmp(y.samples.data(), x.samples.data(), 8 * x.samples.size()), 0);
        }
    }

    // Writing again replaces the file whole.
    in.signals.resize(1);
    ASSERT_TRUE(WriteQuor(path, in).ok);
    ASSERT_TRUE(ReadQuor(path, out).ok);
    EXPECT_EQ(out.signals.size(), 1u);
    EXPECT_EQ(dir_.RegularFileCount(), 1u);
}

TEST_F(Formats, QuorMapsLongSignalsReadsVersionOneAndSurvivesACutFile) {
    DataSet in;
    in.signals.push_back(MakeSignal("odd/folder", "long", "m/s^2", 200000, 1e-4));
    in.signals.push_back(MakeSignal("", "short", "V", 7, 0.5));
    in.signals.push_back(MakeSignal("", "long2", "V", 70000, 0.5));
    const std::string path = dir_.Path("long.quor");
    ASSERT_TRUE(WriteQuor(path, in).ok);
    ReadOptions map;
    map.mapSamples = true;
    DataSet mapped, read;
    ASSERT_TRUE(ReadQuor(path, mapped, map).ok);
    ASSERT_TRUE(ReadQuor(path, read).ok);
    for (size_t i = 0; i < in.signals.size(); ++i) {
        const SignalData& m = mapped.signals[i];
        const std::span<const double> values = m.mapped.empty() ? m.samples : m.mapped.Span();
        ASSERT_EQ(values.size(), in.signals[i].samples.size());
        EXPECT_EQ(std::memcmp(values.data(), in.signals[i].samples.data(), 8 * values.size()), 0);
        EXPECT_EQ(m.mapped.empty(), i == 1) << i;  // a short signal is read
        EXPECT_TRUE(read.signals[i].mapped.empty());
    }
    // A mapped signal written out again is the same file.
    ASSERT_TRUE(WriteQuor(dir_.Path("again.quor"), mapped).ok);
    EXPECT_EQ(ReadBytes(dir_.Path("again.quor")), ReadBytes(path));

    // Files of the first layout still read.
    DataSet old;
    ASSERT_TRUE(
        ReadQuor(std::string(VANTREL_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_quor/small.quor", old,
                 map)
            .ok);
    EXPECT_EQ(old.signals.size(), 2u);

    // Cut shorter on disk while mapped: the lost pages read as zeros, the
    // mapping says so, and the process goes on.
    const SampleBuffer& values = mapped.signals[0].mapped;
    ASSERT_FALSE(values.File()->Damaged());
    fs::resize_file(path, 8192);
    EXPECT_EQ(values[values.size() - 1], 0.0);
    EXPECT_TRUE(values.File()->Damaged());
    EXPECT_FALSE(values.File()->Unchanged());
    EXPECT_EQ(plat::MappedFile::DamagedFiles(), std::vector<std::string>{path});
}

TEST_F(Formats, QuorRefusesDamagedFilesAndLeavesDataAlone) {
    DataSet in;
    in.signals.push_back(MakeSignal("f", "s", "g", 100, 0.001));
    const std::string good = dir_.Path("good.quor");
    ASSERT_TRUE(WriteQuor(good, in).ok);
    const std::string bytes = ReadBytes(good);

    auto refused = [&](const std::string& content, const std::string& expect) {
        const std::string path = dir_.Path("bad.quor");
        WriteBytes(path, content);
        DataSet out = Sentinel();
        FileResult r = ReadQuor(path, out);
        EXPECT_FALSE(r.ok) << expect;
        EXPECT_NE(r.message.find(path), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(expect), std::string::npos) << r.message;
        ExpectUntouched(out);
    };
    // Cut anywhere: in the header, in a signal, in the trailer.
    refused(bytes.substr(0, 10), "truncated");
    refused(bytes.substr(0, bytes.size() / 2), "truncated");
    refused(bytes.substr(0, bytes.size() - 1), "truncated");
    // One flipped bit in the samples.
    std::string flipped = bytes;
    flipped[bytes.size() - 100] ^= 0x10;
    refused(flipped, "checksum");
    refused("hello, this is not a data set at all", "not a .quor");
    std::string future = bytes;
    PutLE(future, 8, 7, 4);
    refused(future, "version 7");

    // Counts that the file cannot hold are refused before anything is
    // allocated, even with a correct checksum.
    std::string hugeCount = bytes;
    PutLE(hugeCount, 16, 0xFFFFFFFFu, 4);
    FixChecksum(hugeCount);
    refused(hugeCount, "damaged");
    std::string hugeSamples = bytes;
    // The sample count sits just before the 100 samples and the trailer.
    PutLE(hugeSamples, bytes.size() - 8 - 800 - 8, 1ull << 60, 8);
    FixChecksum(hugeSamples);
    refused(hugeSamples, "sample count");
    std::string badUtf8 = bytes;
    badUtf8[20 + 4] = '\xFF';  // the folder "f"
    FixChecksum(badUtf8);
    refused(badUtf8, "UTF-8");

    DataSet out = Sentinel();
    FileResult missing = ReadQuor(dir_.Path("nothing.quor"), out);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find("does not exist"), std::string::npos) << missing.message;
    ExpectUntouched(out);
}

TEST_F(Formats, WritersReportFailuresAndLeaveNoTemporaryFiles) {
    DataSet in;
    in.signals.push_back(MakeSignal("", "s", "", 10, 1.0));
    FileResult r = WriteQuor(dir_.Path("no/such/folder/x.quor"), in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("does not exist"), std::string::npos) << r.message;
    r = WriteUff58(dir_.Path("no/such/x.uff"), in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("no/such"), std::string::npos) << r.message;

    // A folder that could escape the data set's root is never written.
    in.signals[0].folder = "../up";
    r = WriteQuor(dir_.Path("x.quor"), in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("invalid folder"), std::string::npos) << r.message;

    // A target that is a folder.
    fs::create_directories(dir_.path() / "taken.quor");
    in.signals[0].folder.clear();
    EXPECT_FALSE(WriteQuor(dir_.Path("taken.quor"), in).ok);

    // UFF cannot hold a signal without a time step.
    in.signals[0].stepX = 0.0;
    r = WriteUff58(dir_.Path("x.uff"), in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("time step"), std::string::npos) << r.message;
    EXPECT_EQ(dir_.RegularFileCount(), 0u);
}

// ------------------------------------------------------------------ UFF 58

TEST_F(Formats, Uff58AsciiRoundTrip) {
    DataSet in;
    SignalData a = MakeSignal("", "Ускорение Z", "m/s^2", 1001, 1.0 / 48000, -0.5);
    a.text5 = "стенд 2";
    plat::DateTime when{2024, 3, 5, 14, 7, 9, 0};
    ASSERT_TRUE(plat::ToAutomationDate(when, a.startTime));
    a.samples[7] = 1.5e-200;  // a three-digit exponent
    in.signals.push_back(a);
    in.signals.push_back(MakeSignal("Узлы/Опора", "Ω sensor", "mm/s", 5, 0.001));
    in.signals.push_back(MakeSignal("Узлы/Опора", std::string(100, 'x'), "um", 3, 0.25));
    in.signals.push_back(MakeSignal("", "Пё", "", 3, 0.25));  // in 1251 CF B8, valid UTF-8
    const std::string path = dir_.Path("out.uff");
    FileResult w = WriteUff58(path, in);
    ASSERT_TRUE(w.ok) << w.message;

    DataSet out;
    FileResult r = ReadUff58(path, out);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.notes.empty());
    ASSERT_EQ(out.signals.size(), 4u);
    Collect sink;  // streamed record by record: the same values
    DataSet none;
    ASSERT_TRUE(ReadUff58(path, none, &sink).ok);
    ASSERT_EQ(sink.values.size(), 4u);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(sink.values[k], out.signals[k].samples);
    const SignalData& b = out.signals[0];
    EXPECT_EQ(b.name, "Ускорение Z");
    EXPECT_EQ(b.unit, "m/s^2");
    EXPECT_EQ(b.text5, "стенд 2");
    EXPECT_EQ(b.folder, "");
    EXPECT_NEAR(b.startTime, a.startTime, 1e-9);
    EXPECT_EQ(b.stepX, 1.0 / 48000);  // the six printed digits recover the rate
    EXPECT_DOUBLE_EQ(b.startX, -0.5);
    ASSERT_EQ(b.samples.size(), a.samples.size());
    for (size_t i = 0; i < a.samples.size(); ++i)
        EXPECT_NEAR(b.samples[i], a.samples[i], 1e-12 * std::fabs(a.samples[i])) << i;

    EXPECT_EQ(out.signals[1].name, "Ω sensor");  // UTF-8 where 1251 cannot hold it
    EXPECT_EQ(out.signals[1].folder, "Узлы/Опора");
    EXPECT_EQ(out.signals[2].name, std::string(100, 'x'));  // not cut at the field's 80
    EXPECT_EQ(out.signals[3].name, "Пё");

    // The layout: every line at most 80 columns but the one of the long
    // name, Cyrillic in 1251, the dataset-58 specific data types of the
    // units, 4E20.12 data lines.
    const std::string text = ReadBytes(path);
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) {
        if (line != std::string(100, 'x')) {
            EXPECT_LE(line.size(), 80u) << line;
        }
        all.push_back(line);
    }
    EXPECT_EQ(all[0], "    -1");
    EXPECT_EQ(all[1], "    58");
    EXPECT_EQ(all[2].substr(0, 11), plat::Utf8ToCp1251("Ускорение Z"));
    EXPECT_EQ(all[2].size(), 80u);
    EXPECT_EQ(all[4].substr(0, 18), "05-Mar-24 14:07:09");
    EXPECT_EQ(all[8].substr(0, 30), "         4      1001         1");
    EXPECT_EQ(all[9].substr(0, 10), "        17");
    EXPECT_EQ(all[10].substr(0, 10), "        12");
    EXPECT_EQ(all[10].substr(47, 5), "m/s^2");
    EXPECT_EQ(all[13].size(), 80u);
    EXPECT_EQ(all[13].substr(0, 20), "  0.000000000000E+00");
    EXPECT_NE(text.find("        11    0    0    0 Velocity"), std::string::npos);
    EXPECT_NE(text.find("         8    0    0    0 Displacement"), std::string::npos);
}

TEST_F(Formats, Uff58HostileInputsCostNoMemoryAndFoldersSurvive) {
    // Records that declare 10^15 points each but hold one: nothing reserved
    // for the points that are not there.
    std::string record =
        "    -1\n    58\nAcc\nNONE\nNONE\nNONE\nNONE\n"
        "    1         1    0         0 Acc               1   0 NONE               0   0\n"
        "         4 1000000000000000         1  0.00000E+00  1.00000E-03  0.00000E+00\n"
        "        17    0    0    0 Time                 s                   \n"
        "        12    0    0    0 Acceleration         m/s^2               \n"
        "         0    0    0    0 NONE                 NONE                \n"
        "         0    0    0    0 NONE                 NONE                \n"
        "  1.000000000000E+00\n    -1\n";
    std::string many;
    for (int i = 0; i < 200; ++i) many += record;
    WriteBytes(dir_.Path("huge.uff"), many);
    DataSet out;
    FileResult r = ReadUff58(dir_.Path("huge.uff"), out);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(out.signals.size(), 200u);
    for (const SignalData& s : out.signals) EXPECT_LE(s.samples.capacity(), 2u);

    // A folder text with control bytes is no folder: the signal comes at
    // the top level, with a note, and the data set can be written anywhere.
    std::string nul = record;
    nul.replace(nul.find("NONE\nNONE\nNONE\n") + 10, 4, std::string("Folder: a/b\0", 12));
    WriteBytes(dir_.Path("nul.uff"), nul);
    out = DataSet();
    r = ReadUff58(dir_.Path("nul.uff"), out);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(out.signals.size(), 1u);
    EXPECT_EQ(out.signals[0].folder, "");
    ASSERT_FALSE(r.notes.empty());
    EXPECT_NE(r.notes.back().find("control characters"), std::string::npos) << r.notes.back();
    EXPECT_TRUE(WriteQuor(dir_.Path("nul.quor"), out).ok);

    // Control characters in a name, a text or a unit read as the spaces the
    // writer leaves, so that saving and reading again changes nothing.
    std::string ctl = record;
    ctl.replace(ctl.find("Acc\n"), 4,
                "A\x01"
                "cc\x1e\n");
    ctl.replace(ctl.find("NONE\n"), 5, "t\tt\n");
    ctl.replace(ctl.find("m/s^2     "), 10, "m/s^2\x1e\x1e   ");
    WriteBytes(dir_.Path("ctl.uff"), ctl);
    out = DataSet();
    ASSERT_TRUE(ReadUff58(dir_.Path("ctl.uff"), out).ok);
    ASSERT_EQ(out.signals.size(), 1u);
    EXPECT_EQ(out.signals[0].name, "A cc");
    EXPECT_EQ(out.signals[0].text5, "t t");
    EXPECT_EQ(out.signals[0].unit, "m/s^2");

    // Folders, names and texts longer than an ID line's 80 columns come
    // back whole, also when the name was made unique by the reader.
    DataSet in;
    const std::string longFolder = "Агрегат 1/" + std::string(90, 'f') + "/Опора";
    const std::string longName = "Виброускорение " + std::string(65, 'n');
    in.signals.push_back(MakeSignal(longFolder, longName + " `", "m/s^2", 4, 0.5));
    in.signals[0].text5 = std::string(85, 't') + " режим";
    in.signals.push_back(MakeSignal("", longName, "m/s^2", 4, 0.5));
    in.signals.push_back(MakeSignal("", longName, "m/s^2", 4, 0.5));
    ASSERT_TRUE(WriteUff58(dir_.Path("long.uff"), in).ok);
    out = DataSet();
    ASSERT_TRUE(ReadUff58(dir_.Path("long.uff"), out).ok);
    ASSERT_EQ(out.signals.size(), 3u);
    EXPECT_EQ(out.signals[0].folder, longFolder);
    EXPECT_EQ(out.signals[0].name, longName + " `");
    EXPECT_EQ(out.signals[0].text5, in.signals[0].text5);
    EXPECT_EQ(out.signals[2].name, longName + " (2)");
    ASSERT_TRUE(WriteUff58(dir_.Path("again.uff"), out).ok);
    DataSet again;
    ASSERT_TRUE(ReadUff58(dir_.Path("again.uff"), again).ok);
    ASSERT_EQ(again.signals.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(again.signals[i].name, out.signals[i].name);

    if (std::filesystem::exists("/dev/zero")) {
        r = ReadUff58("/dev/zero", out);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("not a file"), std::string::npos) << r.message;
    }
}

TEST_F(Formats, WrittenNumbersDoNotFollowACommaLocale) {
    testutil::CommaNumericLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be had";
    DataSet in;
    in.signals.push_back(MakeSignal("", "A", "m/s^2", 7, 0.5, 0.25));
    ASSERT_TRUE(WriteUff58(dir_.Path("c.uff"), in).ok);
    DataSet out;
    ASSERT_TRUE(ReadUff58(dir_.Path("c.uff"), out).ok);
    ASSERT_EQ(out.signals.size(), 1u);
    EXPECT_EQ(out.signals[0].stepX, 0.5);
    EXPECT_EQ(out.signals[0].startX, 0.25);
    EXPECT_NEAR(out.signals[0].samples[3], in.signals[0].samples[3], 1e-4);
    ASSERT_TRUE(WriteCsv(dir_.Path("csv"), in).ok);
    const std::string csv = ReadBytes(dir_.Path("csv/A.csv"));
    EXPECT_EQ(csv.substr(0, 25), "time_s,value\n0.25,0\n0.75,");
}

TEST_F(Formats, Uff58BinaryAndSingleRoundTrips) {
    DataSet in;
    in.signals.push_back(MakeSignal("", "a", "g", 777, 1.0 / 51200, 0.125));
    in.signals.push_back(MakeSignal("", "b", "V", 3, 0.01));

    struct Case {
        Uff58Options options;
        double tolerance;  // relative
    };
    const Case cases[] = {
        {{true, true, false}, 0.0},       // binary, 8 bytes, little-endian: exact
        {{true, true, true}, 0.0},        // binary, 8 bytes, big-endian: exact
        {{true, false, true}, 6e-8},      // binary, 4 bytes, big-endian: float precision
        {{true, false, false}, 6e-8},     // binary, 4 bytes, little-endian
        {{false, false, false}, 5.1e-6},  // ASCII 6E13.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "binary " << c.options.binary << " double " << c.options.doublePrecision
                     << " big " << c.options.bigEndian);
        const std::string path = dir_.Path("out.uff");
        ASSERT_TRUE(WriteUff58(path, in, c.options).ok);
        const std::string bytes = ReadBytes(path);
        if (c.options.binary) {
            // Header line: byte order, IEEE, 11 ASCII lines, the byte count.
            char header[80];
            std::snprintf(header, sizeof header, "    58b%6d%6d%12d%12d",
                          c.options.bigEndian ? 2 : 1, 2, 11,
                          777 * (c.options.doublePrecision ? 8 : 4));
            EXPECT_EQ(bytes.substr(7, std::strlen(header)), header);
        }
        DataSet out;
        FileResult r = ReadUff58(path, out);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(out.signals.size(), 2u);
        const SignalData& a = in.signals[0];
        const SignalData& b = out.signals[0];
        EXPECT_EQ(b.name, "a");
        EXPECT_EQ(b.unit, "g");
        EXPECT_EQ(b.stepX, 1.0 / 51200);
        EXPECT_EQ(b.startX, 0.125);
        ASSERT_EQ(b.samples.size(), a.samples.size());
        for (size_t i = 0; i < a.samples.size(); ++i) {
            if (c.tolerance == 0.0)
                ASSERT_EQ(b.samples[i], a.samples[i]) << i;
            else
                ASSERT_NEAR(b.samples[i], a.samples[i], c.tolerance * std::fabs(a.samples[i])) << i;
        }
        EXPECT_EQ(out.signals[1].samples.size(), 3u);
    }
}

TEST_F(Formats, Uff58DataTypesAndQuantities) {
    // The writer takes record 9's type from the quantity code first: a
    // velocity without a unit text is still a velocity.
    DataSet in;
    in.signals.push_back(MakeSignal("", "v", "", 2, 0.5));
    in.signals[0].axisCodes[{1, 1}] = 70;
    in.signals.push_back(MakeSignal("", "t", "rpm", 2, 0.5));
    in.signals.push_back(MakeSignal("", "T", "м/с2", 2, 0.5));  // Russian spelling, same unit
    const std::string path = dir_.Path("types.uff");
    ASSERT_TRUE(WriteUff58(path, in).ok);
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("        11    0    0    0 Velocity             NONE"), std::string::npos);
    EXPECT_NE(text.find("        19    0    0    0 RPM"), std::string::npos);
    EXPECT_NE(text.find("        12    0    0    0 Acceleration"), std::string::npos);

    DataSet out;
    FileResult r = ReadUff58(path, out);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(out.signals.size(), 3u);
    // The reader brings the quantity back where the unit text cannot tell it.
    EXPECT_EQ(out.signals[0].axisCodes.at({1, 1}), 70u);
    // Names differing only in case are two channels, not a repeat.
    EXPECT_EQ(out.signals[1].name, "t");
    EXPECT_EQ(out.signals[2].name, "T");

    // Another writer's label for an acceleration: type 12 makes it one.
    std::string other = text;
    const std::string velocityLine = "        11    0    0    0 Velocity             NONE";
    other.replace(other.find(velocityLine), velocityLine.size(),
                  "        12    0    0    0 Acc                  m/s**2");
    WriteBytes(path, other);
    ASSERT_TRUE(ReadUff58(path, out).ok);
    EXPECT_EQ(out.signals[0].unit, "m/s**2");
    EXPECT_EQ(out.signals[0].axisCodes.at({1, 1}), 80u);
    // A unit the host knows decides by itself (its codes are filled on load).
    EXPECT_EQ(out.signals[1].axisCodes.count({1, 1}), 0u);
}

TEST_F(Formats, Uff58NamesAndSkippedRecords) {
    auto header = [](const std::string& id1, int functionType, const std::string& entity,
                     int ordinateType, int points, int spacing) {
        char r6[100], r7[100];
        std::snprintf(r6, sizeof r6, "%5d%10d%5d%10d %-10s%10d%4d %-10s%10d%4d\n", functionType, 0,
                      0, 0, entity.c_str(), 1, 0, "NONE", 0, 0);
        std::snprintf(r7, sizeof r7, "%10d%10d%10d%13.5E%13.5E%13.5E\n", ordinateType, points,
                      spacing, 0.0, spacing ? 0.001 : 0.0, 0.0);
        return "    -1\n    58\n" + id1 + "\nNONE\nNONE\nNONE\nNONE\n" + r6 + r7 +
               "        17    0    0    0 Time                 s                   \n"
               "        12    0    0    0 Acc                  m/s^2               \n"
               "         0    0    0    0 NONE                 NONE                \n"
               "         0    0    0    0 NONE                 NONE                \n";
    };
    const std::string two = "  1.00000E+00  2.00000E+00\n    -1\n";
    std::string file;
    file += header("  Канал  ", 1, "NONE", 2, 2, 1) + two;               // 1: ID line 1 in 1251
    file += header("", 1, "pt7", 2, 2, 1) + two;                         // 2: entity name
    file += header("NONE", 1, "NONE", 2, 2, 1) + two;                    // 3: "Record 3"
    file += "    -1\n   151\nsome model header\n    -1\n";               // another dataset
    file += header("  Канал  ", 1, "NONE", 2, 2, 1) + two;               // 4: repeated name
    file += header("Канал", 1, "NONE", 2, 2, 1) + two;                   // 5: and again
    file += header("FRF", 4, "NONE", 5, 1, 1) + "  1.0  2.0\n    -1\n";  // 6: not a time history
    file += header("uneven", 1, "NONE", 2, 2, 0) + "  0.0  1.0  0.5  2.0\n    -1\n";  // 7
    file += header("complex", 1, "NONE", 5, 1, 1) + "  1.0  2.0\n    -1\n";           // 8
    file = plat::Utf8ToCp1251(file);
    const std::string path = dir_.Path("names.uff");
    WriteBytes(path, file);

    DataSet out;
    FileResult r = ReadUff58(path, out);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(out.signals.size(), 5u);
    EXPECT_EQ(out.signals[0].name, "Канал");
    EXPECT_EQ(out.signals[1].name, "pt7");
    EXPECT_EQ(out.signals[2].name, "Record 3");
    EXPECT_EQ(out.signals[3].name, "Канал (2)");
    EXPECT_EQ(out.signals[4].name, "Канал (3)");
    EXPECT_EQ(out.signals[0].samples, (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(out.signals[0].unit, "m/s^2");
    EXPECT_EQ(out.signals[0].stepX, 0.001);
    ASSERT_EQ(r.notes.size(), 4u);
    EXPECT_NE(r.notes[0].find("record 6 (\"FRF\")"), std::string::npos) << r.notes[0];
    EXPECT_NE(r.notes[0].find("frequency response function"), std::string::npos);
    EXPECT_NE(r.notes[1].find("uneven"), std::string::npos) << r.notes[1];
    EXPECT_NE(r.notes[2].find("complex"), std::string::npos) << r.notes[2];
    EXPECT_NE(r.notes[3].find("151"), std::string::npos) << r.notes[3];
}

TEST_F(Formats, Uff58RefusesBrokenFiles) {
    DataSet in;
    in.signals.push_back(MakeSignal("", "s", "g", 50, 0.001));
    const std::string ascii = dir_.Path("a.uff"), binary = dir_.Path("b.uff");
    ASSERT_TRUE(WriteUff58(ascii, in).ok);
    ASSERT_TRUE(WriteUff58(binary, in, true).ok);
    const std::string asciiBytes = ReadBytes(ascii), binaryBytes = ReadBytes(binary);

    auto refused = [&](const std::string& content, const std::string& expect) {
        const std::string path = dir_.Path("bad.uff");
        WriteBytes(path, content);
        DataSet out = Sentinel();
        FileResult r = ReadUff58(path, out);
        EXPECT_FALSE(r.ok) << expect;
        EXPECT_NE(r.message.find(path), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(expect), std::string::npos) << r.message;
        ExpectUntouched(out);
    };
    refused("\x89PNG garbage \x01\x02\x03 and more garbage\n", "not a Universal File");
    refused("", "empty");
    refused(asciiBytes.substr(0, asciiBytes.size() - 8), "truncated");  // no closing -1
    refused(asciiBytes.substr(0, 300), "truncated");                    // inside the header
    refused(binaryBytes.substr(0, binaryBytes.size() - 20), "truncated");
    // A byte count that does not match the data.
    std::string wrongCount = binaryBytes;
    wrongCount.replace(wrongCount.find("         400"), 12, "         396");
    refused(wrongCount, "byte count");
    std::string notNumber = asciiBytes;
    notNumber.replace(notNumber.rfind("E") - 14, 5, "*****");
    refused(notNumber, "is not a number");
}

// ------------------------------------------------------------------ WAV

namespace {

// A WAV file as a writer would produce it; values are the raw samples.
std::string MakeWav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                    const std::string& samples, bool extensible = false) {
    auto u16 = [](uint16_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    auto u32 = [&](uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); };
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    std::string fmt = u16(extensible ? 0xFFFE : tag) + u16(channels) + u32(rate) +
                      u32(rate * align) + u16(align) + u16(bits);
    if (extensible) {
        fmt += u16(22) + u16(bits) + u32(0) + u16(tag);
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    body += "fmt " + u32(static_cast<uint32_t>(fmt.size())) + fmt;
    body += "LIST" + u32(5) + std::string("INFOx") + std::string(1, '\0');  // odd chunk, padded
    body += "data" + u32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + u32(static_cast<uint32_t>(body.size())) + body;
}

template <typename T>
std::string Raw(std::initializer_list<T> values) {
    std::string out;
    for (T v : values) out.append(reinterpret_cast<const char*>(&v), sizeof v);
    return out;
}

}  // namespace

TEST_F(Formats, WavEverySampleFormat) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<double> ch1, ch2;
    };
    const Case cases[] = {
        {"pcm16",
         MakeWav(1, 2, 8000, 16, Raw<int16_t>({-32768, 16384, 32767, -1})),
         {-1.0, 32767 / 32768.0},
         {0.5, -1 / 32768.0}},
        {"pcm24",
         MakeWav(1, 2, 8000, 24,
                 std::string("\x00\x00\x80\xFF\xFF\x7F\x00\x00\x40\x01\x00\x00", 12)),
         {-1.0, 0.5},
         {8388607 / 8388608.0, 1 / 8388608.0}},
        {"pcm32",
         MakeWav(1, 2, 8000, 32, Raw<int32_t>({INT32_MIN, 1 << 30, -(1 << 29), INT32_MAX})),
         {-1.0, -0.25},
         {0.5, INT32_MAX / 2147483648.0}},
        {"float32",
         MakeWav(3, 2, 8000, 32, Raw<float>({0.25f, -1.5f, 0.0f, 2.0f})),
         {0.25, 0.0},
         {-1.5, 2.0}},
        {"ext24",
         MakeWav(1, 2, 8000, 24,
                 std::string("\x00\x00\x80\xFF\xFF\x7F\x00\x00\x40\x01\x00\x00", 12), true),
         {-1.0, 0.5},
         {8388607 / 8388608.0, 1 / 8388608.0}},
        {"extfloat",
         MakeWav(3, 2, 8000, 32, Raw<float>({0.25f, -1.5f, 0.0f, 2.0f}), true),
         {0.25, 0.0},
         {-1.5, 2.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.Path(std::string(c.name) + ".wav");
        WriteBytes(path, c.bytes);
        DataSet out;
        FileResult r = ReadWav(path, out);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(out.signals.size(), 2u);
        EXPECT_EQ(out.signals[0].name, std::string(c.name) + " ch1");
        EXPECT_EQ(out.signals[1].name, std::string(c.name) + " ch2");
        EXPECT_EQ(out.signals[0].unit, "");
        EXPECT_EQ(out.signals[0].stepX, 1.0 / 8000);
        EXPECT_EQ(out.signals[0].samples, c.ch1);
        EXPECT_EQ(out.signals[1].samples, c.ch2);
        // Streamed to a sink (for a copy): the same values, channel by channel.
        Collect sink;
        DataSet none;
        ASSERT_TRUE(ReadWav(path, none, &sink).ok);
        EXPECT_EQ(sink.values, (std::vector<std::vector<double>>{c.ch1, c.ch2}));
    }
}

TEST_F(Formats, WavRefusesBrokenFiles) {
    const std::string good = MakeWav(1, 1, 44100, 16, Raw<int16_t>({1, 2, 3, 4, 5, 6}));
    auto refused = [&](const std::string& content, const std::string& expect) {
        const std::string path = dir_.Path("bad.wav");
        WriteBytes(path, content);
        DataSet out = Sentinel();
        FileResult r = ReadWav(path, out);
        EXPECT_FALSE(r.ok) << expect;
        EXPECT_NE(r.message.find(path), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(expect), std::string::npos) << r.message;
        ExpectUntouched(out);
    };
    refused(good.substr(0, good.size() - 3), "truncated");
    refused(good.substr(0, 30), "truncated");
    refused("RIFF\x04\x00\x00\x00WAVX", "not a WAV");
    refused(MakeWav(2, 1, 44100, 4, "\x01\x02"), "not supported");   // ADPCM
    refused(MakeWav(1, 1, 44100, 12, "\x01\x02"), "not supported");  // 12-bit
    refused(MakeWav(1, 0, 44100, 16, "\x01\x02"), "no channels");
    refused(MakeWav(1, 1, 44100, 16, ""), "no samples");
}

// ------------------------------------------------------------------ CSV

TEST_F(Formats, CsvOneFilePerSignal) {
    DataSet in;
    SignalData a;
    a.name = "a";
    a.startX = 0.5;
    a.stepX = 0.25;
    a.samples = {1.0, -2.5, 1.0 / 3};
    in.signals.push_back(a);
    SignalData b = a;
    b.folder = "Вибро/Канал";
    b.name = "x/y:z*?";
    b.samples = {0.0};
    in.signals.push_back(b);
    SignalData c = b;
    c.name = "x_y_z__";  // the same file name once made safe
    in.signals.push_back(c);
    SignalData d = a;
    d.folder = "../up";  // stays below the export folder
    in.signals.push_back(d);

    const fs::path root = dir_.path() / "export";
    FileResult r = WriteCsv(root.string(), in);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(ReadBytes((root / "a.csv").string()),
              "time_s,value\n"
              "0.5,1\n"
              "0.75,-2.5\n"
              "1,0.33333333333333331\n");
    EXPECT_EQ(ReadBytes((root / "Вибро" / "Канал" / "x_y_z__.csv").string()),
              "time_s,value\n0.5,0\n");
    EXPECT_TRUE(fs::exists(root / "Вибро" / "Канал" / "x_y_z__ (2).csv"));
    EXPECT_TRUE(fs::exists(root / "__" / "up" / "a.csv"));
    EXPECT_FALSE(r.notes.empty());
}

// ------------------------------------------------------------------ choice of reader

TEST_F(Formats, ReadDataFilePicksTheReader) {
    DataSet in;
    in.signals.push_back(MakeSignal("", "s", "g", 20, 0.01));
    ASSERT_TRUE(WriteQuor(dir_.Path("a.QUOR"), in).ok);
    ASSERT_TRUE(WriteUff58(dir_.Path("b.unv"), in).ok);
    WriteBytes(dir_.Path("c.wav"), MakeWav(1, 1, 100, 16, Raw<int16_t>({1, 2})));
    fs::copy_file(dir_.Path("a.QUOR"), dir_.Path("noext"));
    fs::copy_file(dir_.Path("b.unv"), dir_.Path("b.dat"));

    for (const char* name : {"a.QUOR", "b.unv", "c.wav", "noext", "b.dat"}) {
        DataSet out;
        FileResult r = ReadDataFile(dir_.Path(name), out);
        EXPECT_TRUE(r.ok) << name << ": " << r.message;
        EXPECT_FALSE(out.signals.empty()) << name;
    }
    // Text goes to the text reader, which finds no numbers in it; other
    // bytes are no data file.
    WriteBytes(dir_.Path("d.txt"), "just text");
    DataSet out = Sentinel();
    FileResult r = ReadDataFile(dir_.Path("d.txt"), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("no lines of numbers"), std::string::npos) << r.message;
    WriteBytes(dir_.Path("d.bin"), std::string("just\0bytes", 10));
    r = ReadDataFile(dir_.Path("d.bin"), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("unknown kind"), std::string::npos) << r.message;
    r = ReadDataFile(dir_.Path("gone.uff"), out);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("does not exist"), std::string::npos) << r.message;
    ExpectUntouched(out);
}
