// MAT files: those of other writers (tests/data/interop/mat), the host's own
// written and read back, versions 4 and 7.3, and what is skipped or refused.

#include <gtest/gtest.h>
#include <matio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "korvex/formats/formats.h"
#include "test_util.h"

using namespace korvex;

namespace {

class Mat : public ::testing::Test {
  protected:
    static std::string Shared(const std::string& name) {
        return std::string(VANTREL_SOURCE_DIR) + "/tests/data/interop/mat/" + name;
    }
    static bool HasNote(const FileResult& r, const std::string& part) {
        for (const std::string& n : r.notes)
            if (n.find(part) != std::string::npos) return true;
        return false;
    }
    testutil::TempDir dir_{"mat"};
};

// Version 5 elements, little-endian, for files libmatio's writer would not make.
std::string Element(uint32_t type, const std::string& data) {
    std::string s(8, '\0');
    std::memcpy(&s[0], &type, 4);
    const uint32_t n = static_cast<uint32_t>(data.size());
    std::memcpy(&s[4], &n, 4);
    s += data;
    s.resize(s.size() + (8 - data.size() % 8) % 8, '\0');
    return s;
}
template <class T>
std::string Raw(std::initializer_list<T> values) {
    std::string s;
    for (T v : values) s.append(reinterpret_cast<const char*>(&v), sizeof v);
    return s;
}
std::string Matrix(uint32_t cls, const std::string& name, std::initializer_list<int32_t> dims,
                   const std::string& payload, uint32_t flags = 0) {
    return Element(14, Element(6, Raw<uint32_t>({cls | flags, 0})) +
                           Element(5, Raw<int32_t>(dims)) + Element(1, name) + payload);
}
std::string Header() {
    std::string h = "MATLAB 5.0 MAT-file, made by a test";
    h.resize(116, ' ');
    return h + std::string(8, '\0') + Raw<uint16_t>({0x0100}) + "IM";
}
// A class object as the newer writers store a table or a string.
std::string Object(const std::string& name) {
    return Element(14, Element(6, Raw<uint32_t>({17, 0})) + Element(1, name) + Element(1, "MCOS") +
                           Element(1, "table") +
                           Matrix(13, "", {2, 1}, Element(6, Raw<uint32_t>({0xDD000000, 2}))));
}
std::string Compressed(const std::string& element) {
    uLongf n = compressBound(element.size());
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &n, reinterpret_cast<const Bytef*>(element.data()),
             element.size());
    out.resize(n);
    std::string tag = Raw<uint32_t>({15, static_cast<uint32_t>(n)});
    return tag + out;
}

}  // namespace

TEST_F(Mat, OtherWritersLayouts) {
    ASSERT_TRUE(std::filesystem::exists(Shared(""))) << "no interop files at " << Shared("");
    // Column vectors with no rate in the file: refused until one is given.
    DataSet d;
    FileResult r = ReadDataFile(Shared("bearing_style_v5.mat"), d);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.needsRate);
    EXPECT_NE(r.message.find("no sample rate for X097_DE_time, X097_FE_time"), std::string::npos)
        << r.message;
    ReadOptions rate;
    rate.rate = 12000;
    r = ReadDataFile(Shared("bearing_style_v5.mat"), d, rate);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 2u);
    EXPECT_EQ(d.signals[0].name, "X097_DE_time");
    EXPECT_EQ(d.signals[1].name, "X097_FE_time");
    EXPECT_EQ(d.signals[0].samples.size(), 24000u);
    EXPECT_EQ(d.signals[0].stepX, 1.0 / 12000);
    EXPECT_TRUE(HasNote(r, "Scalars, not signals: X097RPM = 1797."));

    // The struct of measurement exports: names, unit, step, one column each.
    r = ReadDataFile(Shared("struct_signal_v5.mat"), d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 2u);
    EXPECT_EQ(d.signals[0].name, "Acc X");
    EXPECT_EQ(d.signals[1].name, "Acc Y");
    for (const SignalData& s : d.signals) {
        EXPECT_EQ(s.folder, "Signal");
        EXPECT_EQ(s.unit, "m/s^2");
        EXPECT_EQ(s.stepX, 1.0 / 25600);
        EXPECT_EQ(s.startX, 0.0);
        EXPECT_EQ(s.samples.size(), 51200u);
    }
    for (size_t k = 0; k < 2048; ++k)  // a 50 Hz sine in single precision
        ASSERT_NEAR(d.signals[0].samples[k], std::sin(2 * M_PI * k / 512), 1e-6) << k;

    // A row vector and a scalar fs.
    r = ReadDataFile(Shared("vector_fs_v5.mat"), d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 1u);
    EXPECT_EQ(d.signals[0].name, "vib");
    EXPECT_EQ(d.signals[0].samples.size(), 8192u);
    EXPECT_EQ(d.signals[0].stepX, 1.0 / 8192);
}

TEST_F(Mat, WrittenSignalsReadBackTheSame) {
    DataSet d;
    const char* names[] = {"a", "2nd signal", "a", "Ускорение"};
    for (int i = 0; i < 4; ++i) {
        SignalData s;
        s.name = names[i];
        s.folder = i == 2 ? "Ch 1/Levels" : "";
        s.unit = i == 3 ? "м/с²" : "mm/s";
        s.stepX = 1.0 / (1000 + i);
        s.startX = 0.1 * i;
        s.startTime = 45000.25 + i;
        for (int k = 0; k < 100 + i; ++k)
            s.samples.push_back(std::sin(0.1 * k) * (i + 1) + 1e-17 * k);
        d.signals.push_back(s);
    }
    const std::string path = dir_.Path("out.mat");
    FileResult w = WriteMat(path, d);
    ASSERT_TRUE(w.ok) << w.message;
    EXPECT_EQ(dir_.FileCount(), 1u);  // no temporary file left
    DataSet back;
    FileResult r = ReadDataFile(path, back);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(back.signals.size(), d.signals.size());
    for (size_t i = 0; i < d.signals.size(); ++i) {
        const SignalData &a = d.signals[i], &b = back.signals[i];
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.folder, a.folder);
        EXPECT_EQ(b.unit, a.unit);
        EXPECT_EQ(b.stepX, a.stepX);
        EXPECT_EQ(b.startX, a.startX);
        EXPECT_EQ(b.startTime, a.startTime);
        EXPECT_EQ(b.samples, a.samples);
    }
    // Through the copy a long recording is read from, a variable at a time.
    ReadOptions copy;
    copy.mapSamples = true;
    copy.cacheMinBytes = 0;
    copy.cacheDir = dir_.Path("copies");
    DataSet copied;
    ASSERT_TRUE(ReadDataFile(path, copied, copy).ok);
    ASSERT_EQ(copied.signals.size(), back.signals.size());
    for (size_t i = 0; i < back.signals.size(); ++i) {
        EXPECT_EQ(copied.signals[i].name, back.signals[i].name);
        EXPECT_EQ(copied.signals[i].folder, back.signals[i].folder);
        EXPECT_EQ(copied.signals[i].stepX, back.signals[i].stepX);
        EXPECT_EQ(copied.signals[i].samples, back.signals[i].samples);
    }
    // Refused: a step that is no step, a folder in the way.
    d.signals[1].stepX = 0;
    EXPECT_FALSE(WriteMat(dir_.Path("bad.mat"), d).ok);
    d.signals[1].stepX = 1;
    w = WriteMat(dir_.Path("none/out.mat"), d);
    EXPECT_FALSE(w.ok);
    EXPECT_NE(w.message.find("does not exist"), std::string::npos) << w.message;
}

TEST_F(Mat, Versions4And73) {
    for (mat_ft version : {MAT_FT_MAT4, MAT_FT_MAT73}) {
        const std::string path = dir_.Path(version == MAT_FT_MAT4 ? "v4.mat" : "v73.mat");
        mat_t* m = Mat_CreateVer(path.c_str(), nullptr, version);
        ASSERT_TRUE(m);
        double x[6] = {1, 2, 3, 4, 5, 6}, fs = 50;
        size_t column[2] = {6, 1}, matrix[2] = {3, 2}, one[2] = {1, 1};
        for (matvar_t* v : {Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x, 0),
                            Mat_VarCreate("m", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, matrix, x, 0),
                            Mat_VarCreate("Fs", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &fs, 0)}) {
            Mat_VarWrite(m, v, MAT_COMPRESSION_NONE);
            Mat_VarFree(v);
        }
        Mat_Close(m);
        DataSet d;
        FileResult r = ReadMat(path, d);
        ASSERT_TRUE(r.ok) << r.message;
        // Version 7.3 lists its variables by name.
        std::map<std::string, std::vector<double>> values;
        for (const SignalData& s : d.signals) {
            values[s.name] = s.samples;
            EXPECT_EQ(s.stepX, 0.02);
        }
        EXPECT_EQ(values, (std::map<std::string, std::vector<double>>{
                              {"x", {1, 2, 3, 4, 5, 6}},
                              {"m 1", {1, 2, 3}},  // the columns of a matrix
                              {"m 2", {4, 5, 6}}}));
    }
}

// A version 7.3 file cut short says so, rather than that it holds nothing.
TEST_F(Mat, Version73CutShortIsDamaged) {
    const std::string path = dir_.Path("cut.mat");
    mat_t* m = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT73);
    ASSERT_TRUE(m);
    std::vector<double> x(50000, 0.25);
    double fs = 100;
    size_t column[2] = {x.size(), 1}, one[2] = {1, 1};
    for (matvar_t* v : {Mat_VarCreate("Fs", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &fs, 0),
                        Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, column, x.data(), 0)}) {
        Mat_VarWrite(m, v, MAT_COMPRESSION_NONE);
        Mat_VarFree(v);
    }
    Mat_Close(m);
    DataSet d;
    ASSERT_TRUE(ReadMat(path, d).ok);
    const uintmax_t size = std::filesystem::file_size(path);
    for (uintmax_t keep : {size - 1, size / 2, uintmax_t{600}, uintmax_t{520}}) {
        SCOPED_TRACE(keep);
        std::filesystem::resize_file(path, keep);
        const FileResult r = ReadMat(path, d);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("damaged"), std::string::npos) << r.message;
    }
}

TEST_F(Mat, SkippedWithANoteOrRefused) {
    const std::string body =
        Matrix(6, "x", {4, 1}, Element(9, Raw<double>({1, 2, 3, 4}))) +
        Matrix(6, "fs", {1, 1}, Element(9, Raw<double>({100}))) + Object("tbl") +
        Compressed(Object("str")) +
        Matrix(4, "label", {1, 2}, Element(4, Raw<uint16_t>({'h', 'i'}))) +
        Matrix(6, "z", {1, 2}, Element(9, Raw<double>({1, 2})) + Element(9, Raw<double>({3, 4})),
               0x0800) +
        Matrix(6, "cube", {2, 1, 2}, Element(9, Raw<double>({1, 2, 3, 4})));
    const std::string path = dir_.Path("mixed.mat");
    testutil::WriteBytes(path, Header() + body);
    DataSet d;
    FileResult r = ReadDataFile(path, d);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(d.signals.size(), 1u);
    EXPECT_EQ(d.signals[0].stepX, 0.01);
    EXPECT_TRUE(HasNote(r, "Skipped tbl, str: class objects")) << testing::PrintToString(r.notes);
    EXPECT_TRUE(HasNote(r, "save the signals as plain arrays or structs"));
    EXPECT_TRUE(HasNote(r, "\"label\": text"));
    EXPECT_TRUE(HasNote(r, "\"z\": complex values"));
    EXPECT_TRUE(HasNote(r, "\"cube\": 3 dimensions"));

    // Nothing to load, not a MAT file, no file: refused, naming the file.
    testutil::WriteBytes(path, Header() + Object("tbl"));
    r = ReadDataFile(path, d);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Cannot read \"" + path + "\": it holds no numeric vector or matrix.");
    EXPECT_EQ(d.signals.size(), 1u);
    // Sizes that do not fit in the bytes that hold them: libmatio would
    // believe them.
    const std::string huge = Matrix(6, "x", {100000, 100000}, Element(9, Raw<double>({1})));
    for (const std::string& bad : {huge, Compressed(huge)}) {
        testutil::WriteBytes(path, Header() + bad);
        r = ReadDataFile(path, d);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("variable 1 (at byte 128): "), std::string::npos) << r.message;
        EXPECT_NE(r.message.find("an array declares more values than its data holds"),
                  std::string::npos)
            << r.message;
    }
    // A function handle is read as a cell: its element count is checked too.
    testutil::WriteBytes(path, Header() + Matrix(16, "f", {1, -0x12000000}, ""));
    r = ReadDataFile(path, d);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("array dimensions out of range"), std::string::npos) << r.message;
    testutil::WriteBytes(path, "MATLAB 5.0 but not really");
    r = ReadDataFile(path, d);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("\"" + path + "\": not a MAT file"), std::string::npos) << r.message;
    EXPECT_FALSE(ReadMat(dir_.Path("missing.mat"), d).ok);
}

namespace {

// The process's peak and present resident memory, in MB.
double StatusMb(const char* key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key))) / 1024.0;
    return -1;
}

}  // namespace

// A 64 MB matrix costs its values and little more, read or copied: its
// columns are read a slab at a time, not the variable whole and then
// converted. Each read runs in a child, whose peak is its own.
TEST_F(Mat, AMatrixCostsItsValuesOnly) {
    const std::string path = dir_.Path("big.mat");
    constexpr size_t kRows = size_t{2} << 20, kCols = 4;
    {
        std::vector<double> x(kRows * kCols);
        for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i % 977) * 0.5;
        mat_t* m = Mat_CreateVer(path.c_str(), nullptr, MAT_FT_MAT5);
        ASSERT_TRUE(m);
        double fs = 1000;
        size_t dims[2] = {kRows, kCols}, one[2] = {1, 1};
        for (matvar_t* v : {Mat_VarCreate("fs", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &fs, 0),
                            Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, x.data(), 0)}) {
            Mat_VarWrite(m, v, MAT_COMPRESSION_NONE);
            Mat_VarFree(v);
        }
        Mat_Close(m);
    }
    const double values = kRows * kCols * 8.0 / (1 << 20);
    for (const bool copied : {false, true}) {
        SCOPED_TRACE(copied ? "copied" : "read");
        const pid_t child = fork();
        if (child == 0) {
            const double before = StatusMb("VmRSS:");
            ReadOptions o;
            o.mapSamples = copied;
            o.cacheMinBytes = 0;
            o.cacheDir = dir_.Path("copies");
            DataSet d;
            bool ok = ReadDataFile(path, d, o).ok && d.signals.size() == kCols;
            if (ok) {
                const SignalData& s = d.signals[3];
                const double last = s.mapped.empty() ? s.samples.back() : s.mapped[kRows - 1];
                ok = last == static_cast<double>((kRows * kCols - 1) % 977) * 0.5;
            }
            const double grown = StatusMb("VmHWM:") - before;
            // Read: the values and a slab; copied: a slab or two.
            const bool small = grown <= (copied ? 0.25 : 1.1) * values;
            _exit(ok && (small || !testutil::kPeakMemoryMeasurable) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}
