// TDMS files built here, covering what the files of other writers do not:
// every value type in both byte orders, interleaved data, DAQmx scalers and
// scale chains, a crash in the last segment, and damaged files.

#include <gtest/gtest.h>

#include <cmath>

#include "korvex/formats/formats.h"
#include "korvex/formats/readers.h"
#include "korvex/formats/tdms_builder.h"
#include "test_util.h"

using namespace korvex;
using tdmstest::Builder;
using tdmstest::kDaqmx;
using tdmstest::kInterleaved;
using tdmstest::kMeta;
using tdmstest::kNewList;
using tdmstest::kRaw;

namespace {

class Tdms : public ::testing::Test {
  protected:
    FileResult Read(const std::string& bytes, DataSet& d) {
        const std::string path = dir_.Path("file.tdms");
        testutil::WriteBytes(path, bytes);
        return ReadTdms(path, d);
    }
    static const SignalData* Find(const DataSet& d, const std::string& name) {
        for (const SignalData& s : d.signals)
            if (s.name == name) return &s;
        return nullptr;
    }
    static bool HasNote(const FileResult& r, const std::string& part) {
        for (const std::string& n : r.notes)
            if (n.find(part) != std::string::npos) return true;
        return false;
    }
    testutil::TempDir dir_{"tdms"};
};

}  // namespace

TEST_F(Tdms, EveryValueTypeInBothByteOrders) {
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        Builder b(big);
        // type code, values as the file holds them
        std::vector<Builder::Object> objects = {{"/'g'", b.U32(Builder::kNoData), {}}};
        std::string chunk;
        auto add = [&](const std::string& name, uint32_t type, const std::string& values) {
            objects.push_back({"/'g'/'" + name + "'", b.Index(type, 2), {}});
            chunk += values;
        };
        add("i8", 1, b.Value<int8_t>(-5) + b.Value<int8_t>(7));
        add("i16", 2, b.Value<int16_t>(-300) + b.Value<int16_t>(300));
        add("i32", 3, b.Value<int32_t>(-70000) + b.Value<int32_t>(1));
        add("i64", 4, b.Value<int64_t>(-(int64_t{1} << 40)) + b.Value<int64_t>(2));
        add("u8", 5, b.Value<uint8_t>(200) + b.Value<uint8_t>(1));
        add("u16", 6, b.Value<uint16_t>(60000) + b.Value<uint16_t>(2));
        add("u32", 7, b.Value<uint32_t>(4000000000u) + b.Value<uint32_t>(3));
        add("u64", 8, b.Value<uint64_t>(uint64_t{1} << 50) + b.Value<uint64_t>(4));
        add("f32", 9, b.Value<float>(0.25f) + b.Value<float>(-1.5f));
        add("f64", 10, b.Value<double>(0.1) + b.Value<double>(-2.5));
        add("bool", 0x21, b.Value<uint8_t>(1) + b.Value<uint8_t>(0));
        add("time", 0x44, b.Time(100, uint64_t{1} << 63) + b.Time(101, 0));
        objects.push_back({"/'g'/'text'", b.StringIndex(2, 13), {}});
        chunk += b.U32(2) + b.U32(5) + "abcde";
        objects[1].props = {b.Prop("wf_increment", 0.001), b.Prop("unit_string", "m/s^2"),
                            b.PropTime("wf_start_time", 3'600'000'000, 0),
                            b.Prop("wf_start_offset", 0.5)};
        objects[2].props = {b.Prop("NI_UnitDescription", "V"), b.Prop("wf_start_offset", 0.25)};
        b.Segment(kMeta | kNewList | kRaw, objects, chunk + chunk);
        // A later segment renames a channel and overwrites a property.
        b.Segment(kMeta,
                  {{"/'g'/'i8'",
                    b.U32(Builder::kNoData),
                    {b.Prop("name", "renamed"), b.Prop("wf_increment", 0.002)}}},
                  "");
        DataSet d;
        FileResult r = Read(b.file, d);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(d.signals.size(), 12u);
        const std::vector<std::pair<const char*, std::vector<double>>> expected = {
            {"renamed", {-5, 7}},  {"i16", {-300, 300}},
            {"i32", {-70000, 1}},  {"i64", {-1099511627776.0, 2}},
            {"u8", {200, 1}},      {"u16", {60000, 2}},
            {"u32", {4e9, 3}},     {"u64", {1125899906842624.0, 4}},
            {"f32", {0.25, -1.5}}, {"f64", {0.1, -2.5}},
            {"bool", {1, 0}},      {"time", {0, 0.5}}};  // seconds from the first timestamp
        for (size_t i = 0; i < expected.size(); ++i) {
            const SignalData& s = d.signals[i];
            EXPECT_EQ(s.name, expected[i].first);
            EXPECT_EQ(s.folder, "g");
            const std::vector<double>& v = expected[i].second;
            EXPECT_EQ(s.samples, std::vector<double>({v[0], v[1], v[0], v[1]})) << s.name;
        }
        const SignalData& first = d.signals[0];
        EXPECT_EQ(first.stepX, 0.002);
        EXPECT_EQ(first.unit, "m/s^2");
        EXPECT_EQ(first.startX, 0.0);
        // 3.6e9 s after 1904 plus the 0.5 s offset, UTC.
        EXPECT_NEAR(first.startTime, 1462 + 3.6e9 / 86400 + 0.5 / 86400, 1e-9);
        EXPECT_EQ(d.signals[1].unit, "V");
        EXPECT_EQ(d.signals[1].startX, 0.25);
        EXPECT_EQ(d.signals[1].startTime, 0.0);
        EXPECT_EQ(d.signals[11].unit, "s");
        EXPECT_TRUE(HasNote(r, "string channels")) << r.notes[0];
        EXPECT_TRUE(HasNote(r, "\"g/text\""));
        EXPECT_TRUE(HasNote(r, "step of 1: \"g/i16\""));
    }
}

// As some writers lay it out: the string channel's index gives the length
// of a numeric one (20) and still carries the byte count. The string
// channel is skipped with a note; the numeric channels around it are kept.
TEST_F(Tdms, StringChannelWithShortIndexLengthKeepsTheNumericOnes) {
    Builder b;
    const std::string raw = b.Value<double>(1.5) + b.Value<double>(-2.5) + b.U32(2) + b.U32(5) +
                            "abcde" + b.Value<int32_t>(7) + b.Value<int32_t>(-8);
    b.Segment(kMeta | kNewList | kRaw,
              {{"/", b.U32(Builder::kNoData), {}},
               {"/'g'", b.U32(Builder::kNoData), {}},
               {"/'g'/'x'", b.Index(10, 2), {}},
               {"/'g'/'label'", b.StringIndex(2, 13, 20), {}},
               {"/'g'/'y'", b.Index(3, 2), {}}},
              raw);
    b.Segment(kRaw, {}, raw);  // the same layout again
    DataSet d;
    FileResult r = Read(b.file, d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 2u);
    EXPECT_EQ(d.signals[0].samples, std::vector<double>({1.5, -2.5, 1.5, -2.5}));
    EXPECT_EQ(d.signals[1].samples, std::vector<double>({7, -8, 7, -8}));
    EXPECT_TRUE(HasNote(r, "\"g/label\""));
}

TEST_F(Tdms, InterleavedChunksAndIncrementalSegments) {
    Builder b;
    b.Segment(kMeta | kNewList | kRaw | kInterleaved,
              {{"/'g'/'a'", b.Index(2, 2), {}}, {"/'g'/'b'", b.Index(10, 2), {}}},
              // two chunks of two interleaved samples
              b.Value<int16_t>(1) + b.Value<double>(0.5) + b.Value<int16_t>(2) +
                  b.Value<double>(1.5) + b.Value<int16_t>(3) + b.Value<double>(2.5) +
                  b.Value<int16_t>(4) + b.Value<double>(3.5));
    // No metadata: the same layout again.
    b.Segment(
        kRaw | kInterleaved, {},
        b.Value<int16_t>(5) + b.Value<double>(4.5) + b.Value<int16_t>(6) + b.Value<double>(5.5));
    // Contiguous from here: "a" keeps its index, "b" has none, "c" joins.
    b.Segment(kMeta | kRaw,
              {{"/'g'/'b'", b.U32(Builder::kNoData), {}}, {"/'g'/'c'", b.Index(9, 1), {}}},
              b.Value<int16_t>(7) + b.Value<int16_t>(8) + b.Value<float>(9.f));
    DataSet d;
    FileResult r = Read(b.file, d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 3u);
    EXPECT_EQ(d.signals[0].samples, std::vector<double>({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(d.signals[1].samples, std::vector<double>({0.5, 1.5, 2.5, 3.5, 4.5, 5.5}));
    EXPECT_EQ(d.signals[2].samples, std::vector<double>({9}));
}

TEST_F(Tdms, DaqmxScalersAndScaleChains) {
    Builder b;
    // One raw buffer of 6-byte samples: "a" an I16 at byte 0, "line" bit 35
    // (byte 4, bit 3), "t" an I16 at byte 2 with a scale this reader skips.
    const auto a = b.DaqmxIndex(3, {{3, 0, 0, 0}}, {6});
    const auto line = b.DaqmxIndex(3, {{0, 0, 35, 0}}, {6}, true);
    const auto t = b.DaqmxIndex(3, {{3, 0, 2, 0}}, {6});
    std::vector<std::string> chain = {
        b.Prop("NI_Scaling_Status", "unscaled"), b.PropU32("NI_Number_Of_Scales", 3),
        // scale 1: 1 + 2x + 0.5x^2 of the raw value; scale 2: 10 * scale 1 - 3
        b.Prop("NI_Scale[1]_Scale_Type", "Polynomial"),
        b.PropU32("NI_Scale[1]_Polynomial_Coefficients_Size", 3),
        b.Prop("NI_Scale[1]_Polynomial_Coefficients[0]", 1.0),
        b.Prop("NI_Scale[1]_Polynomial_Coefficients[1]", 2.0),
        b.Prop("NI_Scale[1]_Polynomial_Coefficients[2]", 0.5),
        b.PropU32("NI_Scale[1]_Polynomial_Input_Source", 0),
        b.Prop("NI_Scale[2]_Scale_Type", "Linear"), b.Prop("NI_Scale[2]_Linear_Slope", 10.0),
        b.Prop("NI_Scale[2]_Linear_Y_Intercept", -3.0),
        b.PropU32("NI_Scale[2]_Linear_Input_Source", 1)};
    std::string raw;
    for (int16_t k : {-2, 0, 4})
        raw += b.Value<int16_t>(k) + b.Value<int16_t>(0) + std::string(1, k == 0 ? 0x08 : 0) +
               std::string(1, 0);
    b.Segment(kMeta | kNewList | kRaw | kDaqmx,
              {{"/'g'/'a'", a, chain},
               {"/'g'/'line'", line, {}},
               {"/'g'/'t'",
                t,
                {b.Prop("NI_Scaling_Status", "unscaled"), b.PropU32("NI_Number_Of_Scales", 2),
                 b.Prop("NI_Scale[1]_Scale_Type", "Thermocouple")}}},
              raw);
    DataSet d;
    FileResult r = Read(b.file, d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 2u);
    auto scaled = [](double x) { return 10 * (1 + 2 * x + 0.5 * x * x) - 3; };
    EXPECT_EQ(d.signals[0].samples, std::vector<double>({scaled(-2), scaled(0), scaled(4)}));
    EXPECT_EQ(d.signals[1].samples, std::vector<double>({0, 1, 0}));
    EXPECT_TRUE(HasNote(r, "\"g/t\": its scale NI_Scale[1] is of type \"Thermocouple\""));
}

TEST_F(Tdms, LastSegmentCutShortKeepsItsWholeChunks) {
    Builder b;
    const std::vector<Builder::Object> objects = {{"/'g'/'x'", b.Index(10, 2), {}}};
    b.Segment(kMeta | kNewList | kRaw, objects, b.Value(1.0) + b.Value(2.0));
    // Two whole chunks and half of a third, then the writer stopped.
    b.Segment(kRaw, {}, b.Value(3.0) + b.Value(4.0) + b.Value(5.0) + b.Value(6.0) + b.Value(7.0),
              true);
    DataSet d;
    FileResult r = Read(b.file, d);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(d.signals.at(0).samples, std::vector<double>({1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(HasNote(r, "The last segment (2) was cut short")) << r.notes.at(0);

    // A file that ends inside a lead-in keeps what came before it too.
    d.signals.clear();
    r = Read(b.file.substr(0, b.file.size() - 5 * 8 - 20), d);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(d.signals.at(0).samples, std::vector<double>({1, 2}));
}

TEST_F(Tdms, GroupsNoHostFolderCanBeNamedAfterAreRenamed) {
    Builder b;
    b.Segment(kMeta | kNewList | kRaw,
              {{"/'.'/'a'", b.Index(10, 1), {}}, {"/'..'/'b'", b.Index(10, 1), {}}},
              b.Value(1.0) + b.Value(2.0));
    DataSet d;
    FileResult r = Read(b.file, d);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(Find(d, "a")->folder, "_");
    EXPECT_EQ(Find(d, "b")->folder, "__");
    EXPECT_TRUE(HasNote(r, "Group \"..\" is the folder \"__\""));
    EXPECT_TRUE(WriteQuor(dir_.Path("out.quor"), d).ok);
}

TEST_F(Tdms, DamagedFilesAreRefusedNamingTheSegment) {
    Builder b;
    const auto x = Builder::Object{"/'g'/'x'", b.Index(10, 1), {}};
    b.Segment(kMeta | kNewList | kRaw, {x}, b.Value(1.0));
    const std::string good = b.file;

    Builder again = b;
    again.Segment(kMeta | kRaw, {{"/'g'/'y'", b.U32(Builder::kSame), {}}}, b.Value(2.0));
    Builder path = b;
    path.Segment(kMeta, {{"/'g'/'x", b.U32(Builder::kNoData), {}}}, "");
    Builder type = b;
    type.Segment(kMeta | kRaw, {{"/'g'/'z'", b.Index(0x4F, 1), {}}}, std::string(8, '\0'));
    std::string version = good;
    version[8] = 0x01;
    std::string metadata = good;
    metadata[20] = 0x7F;  // metadata longer than the segment

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"TDSh" + good.substr(4), "segment 1 (at byte 0): this is a TDMS index file"},
        {"RIFF" + good.substr(4), "not a TDMS file"},
        {version, "segment 1 (at byte 0): version 4609 is not supported"},
        {again.file, "segment 2 (at byte " + std::to_string(good.size()) +
                         "): \"/'g'/'y'\" repeats a raw-data index it was never given"},
        {path.file, "segment 2 (at byte " + std::to_string(good.size()) +
                        "): object 1: \"/'g'/'x\" is not an object path"},
        {type.file, "\"/'g'/'z'\" holds values of fixed-point, whose size is not known"},
        {metadata, "segment 1 (at byte 0): its raw data would start past its end"},
        {good.substr(0, 40), "it holds no numeric channel"},
    };
    for (const auto& [bytes, fault] : cases) {
        DataSet d;
        d.signals.resize(1);
        d.signals[0].name = "keep me";
        FileResult r = Read(bytes, d);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("file.tdms\": "), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(fault), std::string::npos) << r.message;
        ASSERT_EQ(d.signals.size(), 1u);
        EXPECT_EQ(d.signals[0].name, "keep me");
    }
    DataSet d;
    EXPECT_FALSE(ReadTdms(dir_.Path("missing.tdms"), d).ok);
    EXPECT_FALSE(ReadTdms(dir_.path().string(), d).ok);
}
