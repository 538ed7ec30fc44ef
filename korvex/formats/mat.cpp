// MATLAB MAT files of versions 4, 5 and 7.3, through Debian's libmatio.
//
// Signals: a numeric vector (double, single, integers, logical) is one; a
// matrix gives one per column, named "<name> <k>". A 1x1 struct is a folder
// of its fields, read the same way. Two struct layouts are read whole: that
// of common measurement exports (x_values.start_value / increment /
// number_of_values, y_values.values with a column per channel, names from
// function_record.name, unit from y_values.quantity.label) and that of this
// host's own writer (values, step, start, unit, name, folder, start_time).
//
// The step of a plain array comes from a scalar named like a sample rate:
// "<name>_fs", then "<prefix>_fs" for a name starting with that prefix, then
// fs, Fs, sample_rate, samplerate or sampling_rate, looked up in the struct
// the array is in and then outwards. Without one the rate the user gave is
// taken; without that the file is declined with needsRate set.
//
// Skipped with a note: scalars, text, cells, sparse and complex arrays,
// arrays of more than two dimensions, and class objects (tables,
// timetables, strings, datetimes), which the packaged libmatio cannot read:
// the note says to save plain arrays or structs. Behaviour:
// docs/data-files.md.

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "korvex/formats/file_source.h"
#include "korvex/formats/mat_check.h"
#include "korvex/formats/mat_common.h"
#include "korvex/formats/readers.h"
#include "korvex/formats/text_common.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex {

namespace matfile {

namespace {
thread_local LogCapture* tCapture = nullptr;
}  // namespace

void Log(int level, char* message) {
    if (!tCapture || !message) return;
    if (level & (MATIO_LOG_LEVEL_ERROR | MATIO_LOG_LEVEL_CRITICAL | MATIO_LOG_LEVEL_WARNING))
        tCapture->last_ = plat::Trim(message);
}

LogCapture::LogCapture() : outer_(tCapture) {
    // Once per process: the handler only looks at this thread's capture.
    static const int installed = Mat_LogInitFunc("korvex", Log);
    (void)installed;
    tCapture = this;
}

LogCapture::~LogCapture() {
    tCapture = outer_;
}

}  // namespace matfile

namespace {

using namespace matfile;

constexpr int kMaxDepth = 16;

size_t TypeSize(matio_types t) {
    switch (t) {
        case MAT_T_INT8:
        case MAT_T_UINT8:
        case MAT_T_UTF8:
            return 1;
        case MAT_T_INT16:
        case MAT_T_UINT16:
        case MAT_T_UTF16:
            return 2;
        case MAT_T_INT32:
        case MAT_T_UINT32:
        case MAT_T_SINGLE:
        case MAT_T_UTF32:
            return 4;
        case MAT_T_DOUBLE:
        case MAT_T_INT64:
        case MAT_T_UINT64:
            return 8;
        default:
            return 0;
    }
}

bool IsNumeric(const matvar_t* v) {
    return v->class_type >= MAT_C_DOUBLE && v->class_type <= MAT_C_UINT64;
}

bool ElementCount(const matvar_t* v, size_t& n) {
    n = 1;
    if (v->rank < 0 || (v->rank > 0 && !v->dims)) return false;
    for (int i = 0; i < v->rank; ++i)
        if (__builtin_mul_overflow(n, v->dims[i], &n)) return false;
    return true;
}

// Whether the variable's data holds n elements of a type this reader knows.
bool HasData(const matvar_t* v, size_t n) {
    const size_t size = TypeSize(v->data_type);
    return n == 0 || (v->data && size > 0 && v->nbytes / size >= n);
}

double At(const matvar_t* v, size_t i) {
    const void* d = v->data;
    switch (v->data_type) {
        case MAT_T_DOUBLE:
            return static_cast<const double*>(d)[i];
        case MAT_T_SINGLE:
            return static_cast<const float*>(d)[i];
        case MAT_T_INT8:
            return static_cast<const int8_t*>(d)[i];
        case MAT_T_UINT8:
            return static_cast<const uint8_t*>(d)[i];
        case MAT_T_INT16:
            return static_cast<const int16_t*>(d)[i];
        case MAT_T_UINT16:
            return static_cast<const uint16_t*>(d)[i];
        case MAT_T_INT32:
            return static_cast<const int32_t*>(d)[i];
        case MAT_T_UINT32:
            return static_cast<const uint32_t*>(d)[i];
        case MAT_T_INT64:
            return static_cast<double>(static_cast<const int64_t*>(d)[i]);
        case MAT_T_UINT64:
            return static_cast<double>(static_cast<const uint64_t*>(d)[i]);
        default:
            return std::nan("");
    }
}

bool Scalar(const matvar_t* v, double& x) {
    size_t n;
    if (!v || !IsNumeric(v) || v->isComplex || !ElementCount(v, n) || n != 1 || !HasData(v, 1))
        return false;
    x = At(v, 0);
    return true;
}

// Row `row` of a char array as UTF-8, trailing blanks dropped.
std::string Text(const matvar_t* v, size_t row = 0) {
    size_t n;
    if (!v || v->class_type != MAT_C_CHAR || v->rank != 2 || !ElementCount(v, n) || !HasData(v, n))
        return {};
    const size_t rows = v->dims[0], cols = v->dims[1];
    if (row >= rows) return {};
    // UTF-8 with characters of several bytes: the dimensions count
    // characters, the data bytes; such a text is taken as one row.
    if (v->data_type == MAT_T_UTF8 && v->nbytes != rows * cols) {
        if (row > 0 || !v->data) return {};
        return std::string(static_cast<const char*>(v->data), v->nbytes);
    }
    const size_t size = TypeSize(v->data_type);
    auto unit = [&](size_t c) -> uint32_t {
        const size_t i = c * rows + row;  // column-major
        return size == 1   ? static_cast<const uint8_t*>(v->data)[i]
               : size == 2 ? static_cast<const uint16_t*>(v->data)[i]
                           : static_cast<const uint32_t*>(v->data)[i];
    };
    std::string out;
    for (size_t c = 0; c < cols; ++c) {
        uint32_t code = unit(c);
        if (size == 2 && code >= 0xD800 && code < 0xDC00 && c + 1 < cols) {
            const uint32_t low = unit(c + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++c;
            }
        }
        if (size == 1 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            out += static_cast<char>(code);
        else
            plat::AppendUtf8(out, static_cast<char32_t>(code));
    }
    // Rows of a char matrix are padded with blanks to the longest.
    if (rows > 1)
        while (!out.empty() && (out.back() == ' ' || out.back() == '\0')) out.pop_back();
    return out;
}

// The pointer slots of a struct or cell: libmatio's own lookups trust the
// element count, the field names and the data pointer of a damaged file,
// so every access goes through this count of slots actually held.
size_t Slots(const matvar_t* v) {
    return v->data ? v->nbytes / sizeof(matvar_t*) : 0;
}

matvar_t* FieldAt(matvar_t* s, unsigned field, size_t element) {
    const unsigned fields = Mat_VarGetNumberOfFields(s);
    size_t n, slot;
    if (field >= fields || !ElementCount(s, n) || element >= n ||
        __builtin_mul_overflow(element, fields, &slot) || slot + field >= Slots(s))
        return nullptr;
    return static_cast<matvar_t**>(s->data)[slot + field];
}

matvar_t* Field(matvar_t* s, const char* name, size_t element = 0) {
    if (!s || s->class_type != MAT_C_STRUCT) return nullptr;
    const unsigned fields = Mat_VarGetNumberOfFields(s);
    char* const* names = Mat_VarGetStructFieldnames(s);
    for (unsigned f = 0; names && f < fields; ++f)
        if (names[f] && std::strcmp(names[f], name) == 0) return FieldAt(s, f, element);
    return nullptr;
}

matvar_t* CellAt(matvar_t* v, size_t i) {
    return i < Slots(v) ? static_cast<matvar_t**>(v->data)[i] : nullptr;
}

// Names from a cell of texts, a char matrix (a row each) or one text.
std::vector<std::string> Texts(matvar_t* v) {
    std::vector<std::string> out;
    size_t n;
    if (!v || !ElementCount(v, n)) return out;
    if (v->class_type == MAT_C_CELL) {
        for (size_t i = 0; i < n && i < (1u << 20); ++i) out.push_back(Text(CellAt(v, i)));
    } else if (v->class_type == MAT_C_CHAR && v->rank == 2 && n > 0) {
        // Rows of no columns would be a damaged file's billions of empty names.
        for (size_t r = 0; r < v->dims[0]; ++r) out.push_back(Text(v, r));
    }
    return out;
}

bool IsRateName(const std::string& name) {
    const std::string n = plat::FoldCase(name);
    return n == "fs" || n == "sample_rate" || n == "samplerate" || n == "sampling_rate" ||
           (n.size() > 3 && n.compare(n.size() - 3, 3, "_fs") == 0);
}

// A list of names in a note, the first few of them.
std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < 8; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > 8) text += " and " + std::to_string(names.size() - 8) + " more";
    return text;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

// Names of the class objects at the top of a version 5 file. libmatio
// reads such a variable without its name; the element itself gives it:
// array flags, then for an object the name (for others, dimensions first).
std::vector<std::string> ClassObjectNames(const std::string& path) {
    std::vector<std::string> names;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return names;
    unsigned char header[128];
    const bool swap = std::fread(header, 1, 128, f) == 128 && header[126] == 'M';
    auto u32 = [swap](const unsigned char* p) {
        return swap ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                    : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    };
    unsigned char tag[8];
    std::vector<unsigned char> head(512), packed;
    for (int k = 0; k < 100000 && std::fread(tag, 1, 8, f) == 8; ++k) {
        const uint32_t type = u32(tag), size = u32(tag + 4);
        const long next =
            std::ftell(f) + static_cast<long>(size) + (type == 14 ? (8 - size % 8) % 8 : 0);
        size_t got = 0;
        if (type == 15) {  // compressed: the first bytes are enough
            packed.resize(std::min<uint32_t>(size, 4096));
            packed.resize(std::fread(packed.data(), 1, packed.size(), f));
            uLongf n = head.size();
            z_stream z{};
            z.next_in = packed.data();
            z.avail_in = static_cast<uInt>(packed.size());
            z.next_out = head.data();
            z.avail_out = static_cast<uInt>(n);
            if (inflateInit(&z) == Z_OK) {
                inflate(&z, Z_SYNC_FLUSH);
                got = n - z.avail_out;
                inflateEnd(&z);
            }
        } else if (type == 14) {
            std::memcpy(head.data(), tag, 8);
            got = 8 + std::fread(head.data() + 8, 1, std::min<size_t>(size, head.size() - 8), f);
        }
        // matrix tag, flags element (8 + 8), then the name element
        if (got >= 32 && u32(head.data()) == 14 && (u32(head.data() + 16) & 0xFF) == MAT_C_OPAQUE) {
            const unsigned char* e = head.data() + 24;
            const uint32_t t = u32(e);
            const bool small = (t >> 16) != 0;  // a small element packs its size into the tag
            const size_t n = small ? t >> 16 : u32(e + 4);
            const size_t at = small ? 28 : 32;
            if (n > 0 && at + n <= got)
                names.emplace_back(reinterpret_cast<const char*>(head.data() + at), n);
        }
        if (size == 0 || std::fseek(f, next, SEEK_SET) != 0) break;
    }
    std::fclose(f);
    return names;
}

class MatReader {
  public:
    MatReader(const std::string& path, const ReadOptions& options, FileResult& result,
              SampleSink* sink)
        : path_(path), options_(options), result_(result), sink_(sink) {}
    bool Read(mat_t* mat);
    DataSet& Loaded() { return loaded_; }
    // Signals passed to the sink so far.
    size_t Passed() const { return passed_; }
    // Arrays with no rate in the file when the user gave none.
    const std::vector<std::string>& WithoutRate() const { return noRate_; }

  private:
    using Rates = std::vector<std::pair<std::string, double>>;
    void Take(matvar_t* v, const std::string& folder, const std::string& name, int depth);
    void TakeArray(const matvar_t* v, const std::string& folder, const std::string& name);
    bool StepFor(const std::string& folder, const std::string& name, double& step);
    bool TakeArrayInSlabs(mat_t* mat, matvar_t* info, const std::string& name);
    bool ReadColumn(mat_t* mat, matvar_t* info, size_t column, size_t rows, SignalData& s);
    void TakeStruct(matvar_t* v, const std::string& folder, const std::string& name, int depth);
    bool TakeMeasurement(matvar_t* s, size_t element, const std::string& folder);
    bool TakeOwn(matvar_t* s, size_t element, const std::string& folder);
    bool Columns(const matvar_t* v, const SignalData& like, const std::vector<std::string>& names);
    bool RateFor(const std::string& name, double& rate) const;
    void Skip(const std::string& folder, const std::string& name, const std::string& why) {
        result_.notes.push_back("Skipped \"" + Join(folder, name) + "\": " + why + ".");
    }

    // With a sink, each variable's signals go there once it is taken, so
    // only one variable is in memory at a time.
    void Pass() {
        if (!sink_) return;
        for (SignalData& s : loaded_.signals) {
            sink_->Put(sink_->Declare(s, s.samples.size()), s.samples.data(), s.samples.size());
            ++passed_;
        }
        loaded_.signals.clear();
    }

    std::string path_;
    const ReadOptions& options_;
    FileResult& result_;
    SampleSink* sink_;
    size_t passed_ = 0;
    DataSet loaded_;
    std::vector<Rates> scopes_;  // rate scalars, the innermost struct last
    std::vector<std::string> scalars_;
    std::vector<std::string> noRate_;
    std::vector<std::string> objects_;
};

bool MatReader::RateFor(const std::string& name, double& rate) const {
    const std::string folded = plat::FoldCase(name);
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
        size_t best = 0;
        const std::pair<std::string, double>* pick = nullptr;
        for (const auto& candidate : *scope) {
            const std::string c = plat::FoldCase(candidate.first);
            if (c == folded + "_fs") {
                rate = candidate.second;
                return true;
            }
            if (c.size() > 3 && c.compare(c.size() - 3, 3, "_fs") == 0) {
                const std::string prefix = c.substr(0, c.size() - 3);
                if (folded.compare(0, prefix.size(), prefix) == 0 && prefix.size() > best) {
                    best = prefix.size();
                    pick = &candidate;
                }
            } else if (!pick) {
                pick = &candidate;
            }
        }
        if (pick) {
            rate = pick->second;
            return true;
        }
    }
    return false;
}

bool MatReader::Columns(const matvar_t* v, const SignalData& like,
                        const std::vector<std::string>& names) {
    size_t n;
    if (!ElementCount(v, n) || !HasData(v, n) || v->rank != 2) return false;
    const bool vector = v->dims[0] == 1 || v->dims[1] == 1;
    if (n == 0 && !vector) return false;  // columns of no rows: nothing but a count to trust
    const size_t rows = vector ? n : v->dims[0];
    const size_t cols = vector ? 1 : v->dims[1];
    for (size_t c = 0; c < cols; ++c) {
        SignalData s = like;
        if (c < names.size() && !names[c].empty())
            s.name = names[c];
        else if (cols > 1)
            s.name = like.name + " " + std::to_string(c + 1);
        // Texts of 8-bit characters may be in the system's code page.
        s.name = text::Utf8(s.name);
        s.unit = text::Utf8(s.unit);
        s.folder = text::Utf8(s.folder);
        s.samples.resize(rows);
        for (size_t r = 0; r < rows; ++r) s.samples[r] = At(v, c * rows + r);
        loaded_.signals.push_back(std::move(s));
    }
    return true;
}

void MatReader::TakeArray(const matvar_t* v, const std::string& folder, const std::string& name) {
    size_t n;
    if (!ElementCount(v, n)) return Skip(folder, name, "its size does not fit in memory");
    if (v->isComplex) return Skip(folder, name, "complex values");
    if (v->rank != 2)
        return Skip(folder, name, std::to_string(v->rank) + " dimensions (vectors and matrices)");
    if (n == 0) return Skip(folder, name, "it is empty");
    if (n == 1) {
        double x = 0;
        Scalar(v, x);
        if (!IsRateName(name))
            scalars_.push_back(Join(folder, name) + " = " + plat::ShortestText(x));
        return;
    }
    if (!HasData(v, n)) return Skip(folder, name, "its values cannot be read");
    SignalData s;
    s.folder = folder;
    s.name = name;
    if (StepFor(folder, name, s.stepX)) Columns(v, s, {});
}

// The step of an array from the rate in the file or the user's; false
// (with a note) when that is no positive number.
bool MatReader::StepFor(const std::string& folder, const std::string& name, double& step) {
    double rate = 0;
    const bool inFile = RateFor(name, rate);
    if (!inFile) rate = options_.rate;
    if (!inFile && !(rate > 0)) {
        noRate_.push_back(Join(folder, name));
        rate = 1.0;  // the file is declined unless the user gives a rate
    }
    step = 1.0 / rate;
    if (!(rate > 0 && std::isfinite(step) && step > 0)) {
        Skip(folder, name, "its sample rate is not a positive number");
        return false;
    }
    return true;
}

namespace {

constexpr size_t kSlabRows = size_t{1} << 20;

// Rows [first, first + n) of a column of a numeric array, as the class's
// values, into `into`: version 5 by linear index (a column lies in one
// piece), version 7.3 as a hyperslab, which HDF5 reads without listing
// every element.
bool ReadSlab(mat_t* mat, matvar_t* info, size_t column, size_t rows, size_t first, size_t n,
              void* into) {
    if (Mat_GetVersion(mat) == MAT_FT_MAT73) {
        int start[2] = {static_cast<int>(first), static_cast<int>(column)};
        int stride[2] = {1, 1};
        int edge[2] = {static_cast<int>(n), 1};
        if (info->dims[0] == 1) {  // a row vector
            std::swap(start[0], start[1]);
            std::swap(edge[0], edge[1]);
        }
        return Mat_VarReadData(mat, info, into, start, stride, edge) == 0;
    }
    return Mat_VarReadDataLinear(mat, info, into, static_cast<int>(column * rows + first), 1,
                                 static_cast<int>(n)) == 0;
}

template <class T>
bool ReadConverted(mat_t* mat, matvar_t* info, size_t column, size_t rows, size_t first, size_t n,
                   std::vector<unsigned char>& buffer, double* out) {
    buffer.resize(n * sizeof(T));
    if (!ReadSlab(mat, info, column, rows, first, n, buffer.data())) return false;
    const T* v = reinterpret_cast<const T*>(buffer.data());
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<double>(v[i]);
    return true;
}

// A slab as doubles: those of a double array straight into `out`.
bool ReadDoubles(mat_t* mat, matvar_t* info, size_t column, size_t rows, size_t first, size_t n,
                 std::vector<unsigned char>& buffer, double* out) {
    switch (info->class_type) {
        case MAT_C_DOUBLE:
            return ReadSlab(mat, info, column, rows, first, n, out);
        case MAT_C_SINGLE:
            return ReadConverted<float>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_INT8:
            return ReadConverted<int8_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_UINT8:
            return ReadConverted<uint8_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_INT16:
            return ReadConverted<int16_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_UINT16:
            return ReadConverted<uint16_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_INT32:
            return ReadConverted<int32_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_UINT32:
            return ReadConverted<uint32_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_INT64:
            return ReadConverted<int64_t>(mat, info, column, rows, first, n, buffer, out);
        case MAT_C_UINT64:
            return ReadConverted<uint64_t>(mat, info, column, rows, first, n, buffer, out);
        default:
            return false;
    }
}

}  // namespace

// One column of an array read a slab at a time: into s.samples, or with a
// sink passed on slab by slab, so only a slab is held.
bool MatReader::ReadColumn(mat_t* mat, matvar_t* info, size_t column, size_t rows, SignalData& s) {
    std::vector<unsigned char> buffer;
    if (!sink_) {
        ReserveSamples(s.samples, rows);
        s.samples.resize(rows);
        for (size_t first = 0; first < rows; first += kSlabRows)
            if (!ReadDoubles(mat, info, column, rows, first, std::min(kSlabRows, rows - first),
                             buffer, s.samples.data() + first))
                return false;
        return true;
    }
    std::vector<double> slab(std::min(kSlabRows, rows));
    const size_t index = sink_->Declare(s, rows);
    ++passed_;
    for (size_t first = 0; first < rows && !sink_->Failed(); first += kSlabRows) {
        const size_t n = std::min(kSlabRows, rows - first);
        if (!ReadDoubles(mat, info, column, rows, first, n, buffer, slab.data())) return false;
        sink_->Put(index, slab.data(), n);
    }
    return true;
}

// A numeric array at the top of the file read column by column into its
// signals, never whole: a version 5 file's uncompressed array or any of
// version 7.3. False when it is not such an array; it is then read whole.
bool MatReader::TakeArrayInSlabs(mat_t* mat, matvar_t* info, const std::string& name) {
    const mat_ft version = Mat_GetVersion(mat);
    size_t n;
    if (!(version == MAT_FT_MAT73 ||
          (version == MAT_FT_MAT5 && info->compression == MAT_COMPRESSION_NONE)) ||
        !IsNumeric(info) || info->isComplex || info->rank != 2 || !ElementCount(info, n) ||
        n <= 1 || n > static_cast<size_t>(INT32_MAX))
        return false;
    SignalData like;
    like.name = text::Utf8(name);
    if (!StepFor("", name, like.stepX)) return true;
    const bool vector = info->dims[0] == 1 || info->dims[1] == 1;
    const size_t rows = vector ? n : info->dims[0];
    const size_t cols = vector ? 1 : info->dims[1];
    const size_t before = loaded_.signals.size();
    for (size_t c = 0; c < cols; ++c) {
        SignalData s = like;
        if (cols > 1) s.name += " " + std::to_string(c + 1);
        if (!ReadColumn(mat, info, c, rows, s)) {
            loaded_.signals.resize(before);
            Skip("", name, "its values cannot be read (the file may be damaged)");
            return true;
        }
        if (!sink_) loaded_.signals.push_back(std::move(s));
        if (sink_ && sink_->Failed()) break;
    }
    return true;
}

bool MatReader::TakeMeasurement(matvar_t* s, size_t element, const std::string& folder) {
    matvar_t* x = Field(s, "x_values", element);
    matvar_t* y = Field(s, "y_values", element);
    matvar_t* values = Field(y, "values");
    double step = 0, start = 0, count = 0;
    if (!x || !values || !Scalar(Field(x, "increment"), step)) return false;
    Scalar(Field(x, "start_value"), start);
    SignalData like;
    like.folder = folder;
    like.name = "Signal";
    like.stepX = step;
    like.startX = std::isfinite(start) ? start : 0.0;
    like.unit = Text(Field(Field(y, "quantity"), "label"));
    std::vector<std::string> names = Texts(Field(Field(s, "function_record", element), "name"));
    size_t n;
    if (!(step > 0 && std::isfinite(step)) || !IsNumeric(values) || values->isComplex ||
        !ElementCount(values, n) || n == 0 || !Columns(values, like, names))
        return false;
    const size_t rows = values->dims[0] == 1 ? n : values->dims[0];
    if (Scalar(Field(x, "number_of_values"), count) && count != static_cast<double>(rows))
        result_.notes.push_back("\"" + folder + "\": x_values.number_of_values says " +
                                plat::ShortestText(count) + ", y_values.values holds " +
                                std::to_string(rows) + " rows; the rows were loaded.");
    return true;
}

bool MatReader::TakeOwn(matvar_t* s, size_t element, const std::string& folder) {
    matvar_t* values = Field(s, "values", element);
    double step = 0, start = 0, date = 0;
    if (!values || !IsNumeric(values) || !Scalar(Field(s, "step", element), step) ||
        !(step > 0 && std::isfinite(step)) || !Field(s, "name", element))
        return false;
    Scalar(Field(s, "start", element), start);
    Scalar(Field(s, "start_time", element), date);
    SignalData like;
    like.stepX = step;
    like.startX = std::isfinite(start) ? start : 0.0;
    like.startTime = std::isfinite(date) ? date : 0.0;
    like.unit = Text(Field(s, "unit", element));
    like.name = Text(Field(s, "name", element));
    like.folder = Text(Field(s, "folder", element));
    if (like.folder.empty()) like.folder = folder;
    const size_t before = loaded_.signals.size();
    if (!Columns(values, like, {}) || loaded_.signals.size() != before + 1) {
        loaded_.signals.resize(before);
        return false;
    }
    return true;
}

void MatReader::TakeStruct(matvar_t* v, const std::string& folder, const std::string& name,
                           int depth) {
    size_t n;
    if (!ElementCount(v, n) || n == 0) return Skip(folder, name, "an empty struct");
    const unsigned fields = Mat_VarGetNumberOfFields(v);
    char* const* fieldNames = Mat_VarGetStructFieldnames(v);
    for (size_t e = 0; e < n && e < 10000; ++e) {
        const std::string at =
            n == 1 ? Join(folder, name) : Join(folder, name + "(" + std::to_string(e + 1) + ")");
        if (TakeMeasurement(v, e, at) || TakeOwn(v, e, folder)) continue;
        Rates rates;
        for (unsigned f = 0; f < fields && fieldNames; ++f) {
            double x;
            if (fieldNames[f] && IsRateName(fieldNames[f]) && Scalar(FieldAt(v, f, e), x))
                rates.emplace_back(fieldNames[f], x);
        }
        scopes_.push_back(std::move(rates));
        for (unsigned f = 0; f < fields && fieldNames; ++f) {
            matvar_t* field = FieldAt(v, f, e);
            if (field && fieldNames[f]) Take(field, at, fieldNames[f], depth + 1);
        }
        scopes_.pop_back();
    }
}

void MatReader::Take(matvar_t* v, const std::string& folder, const std::string& name, int depth) {
    if (depth > kMaxDepth) return Skip(folder, name, "structs nested too deep");
    if (IsNumeric(v)) return TakeArray(v, folder, name);
    switch (v->class_type) {
        case MAT_C_STRUCT:
            return TakeStruct(v, folder, name, depth);
        case MAT_C_CHAR:
            return Skip(folder, name, "text");
        case MAT_C_CELL:
            return Skip(folder, name, "a cell array (save signals as arrays or structs)");
        case MAT_C_SPARSE:
            return Skip(folder, name, "a sparse array");
        case MAT_C_EMPTY:
            return Skip(folder, name, "it is empty");
        default:
            objects_.push_back(Join(folder, name));
            return;
    }
}

bool MatReader::Read(mat_t* mat) {
    // Names first, then the rate scalars of the top level, then the rest.
    std::vector<std::pair<std::string, matio_classes>> vars;
    bool unnamedObjects = false;
    while (VarPtr info{Mat_VarReadNextInfo(mat)}) {
        if (!info->name || !*info->name) {
            // A class object, or the hidden workspace that holds their contents.
            unnamedObjects = unnamedObjects || info->class_type == MAT_C_OPAQUE;
            continue;
        }
        vars.emplace_back(info->name, info->class_type);
        if (vars.size() > 100000) break;
    }
    Rates top;
    for (const auto& [name, cls] : vars) {
        if (cls < MAT_C_DOUBLE || cls > MAT_C_UINT64 || !IsRateName(name)) continue;
        VarPtr v{Mat_VarRead(mat, name.c_str())};
        double x;
        if (Scalar(v.get(), x)) top.emplace_back(name, x);
    }
    scopes_.push_back(std::move(top));
    for (const auto& [name, cls] : vars) {
        if (cls == MAT_C_OBJECT || cls == MAT_C_OPAQUE || cls == MAT_C_FUNCTION) {
            objects_.push_back(name);
            continue;
        }
        if (cls >= MAT_C_DOUBLE && cls <= MAT_C_UINT64) {
            VarPtr info{Mat_VarReadInfo(mat, name.c_str())};
            if (info && TakeArrayInSlabs(mat, info.get(), name)) {
                Pass();
                if (sink_ && sink_->Failed()) break;
                continue;
            }
        }
        VarPtr v{Mat_VarRead(mat, name.c_str())};
        if (!v) {
            Skip("", name, "libmatio cannot read it");
            continue;
        }
        Take(v.get(), "", name, 0);
        Pass();
        if (sink_ && sink_->Failed()) break;
    }
    if (unnamedObjects && Mat_GetVersion(mat) == MAT_FT_MAT5)
        for (const std::string& name : ClassObjectNames(path_))
            if (!name.empty()) objects_.push_back(name);
    if (unnamedObjects && objects_.empty()) objects_.push_back("variables");
    if (!objects_.empty())
        result_.notes.push_back(
            "Skipped " + NameList(objects_) +
            ": class objects (tables, timetables, strings, datetimes) that the packaged libmatio "
            "cannot read; save the signals as plain arrays or structs to load them.");
    if (!scalars_.empty())
        result_.notes.push_back("Scalars, not signals: " + NameList(scalars_) + ".");
    return true;
}

}  // namespace

FileResult ReadMat(const std::string& path, DataSet& out, const ReadOptions& options,
                   SampleSink* sink) {
    FileResult result;
    LogCapture log;
    std::string error;
    {
        // libmatio reports a missing file and a folder alike, and believes
        // the sizes a file declares; both are seen to here.
        FileSource file;
        if (!file.Open(path, result.message)) return result;
        std::string fault;
        if (!CheckStructure(file, fault)) {
            result.message = "Cannot read \"" + path + "\": " + fault + ".";
            return result;
        }
    }
    MatPtr mat{Mat_Open(path.c_str(), MAT_ACC_RDONLY)};
    if (!mat) {
        result.message = "Cannot read \"" + path + "\": not a MAT file of version 4, 5 or 7.3" +
                         (log.Last().empty() ? "." : " (" + log.Last() + ").");
        return result;
    }
    MatReader reader(path, options, result, sink);
    reader.Read(mat.get());
    DataSet& loaded = reader.Loaded();
    if (!reader.WithoutRate().empty()) {
        result.needsRate = true;
        result.message = "Cannot read \"" + path + "\": it gives no sample rate for " +
                         NameList(reader.WithoutRate()) +
                         " (no scalar fs, Fs, sample_rate, samplerate or <name>_fs).";
        return result;
    }
    if (loaded.signals.empty() && reader.Passed() == 0) {
        result.message = "Cannot read \"" + path + "\": it holds no numeric vector or matrix.";
        return result;
    }
    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

}  // namespace korvex
