// The structure of a MAT file of version 4 or 5 checked before libmatio
// reads it. libmatio believes the sizes a file declares and allocates and
// clears what they add up to, so a few damaged bytes could cost gigabytes
// and minutes; here every declared size must fit in the bytes that hold it.
// Compressed variables are inflated to be checked (at most zlib's ratio of
// their compressed size). Version 7.3 files are left to HDF5.

#include "korvex/formats/mat_check.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "korvex/formats/file_io.h"
#include "korvex/formats/file_source.h"

namespace korvex::matfile {

namespace {

constexpr int kMaxDepth = 32;
constexpr uint32_t miINT8 = 1, miINT32 = 5, miMATRIX = 14, miCOMPRESSED = 15;

// Bytes by offset, from the file or from an inflated variable.
class Bytes {
  public:
    virtual ~Bytes() = default;
    virtual const unsigned char* At(uint64_t offset, size_t n) = 0;
    virtual uint64_t Size() const = 0;
};

class FileBytes : public Bytes {
  public:
    explicit FileBytes(FileSource& f) : f_(f) {}
    const unsigned char* At(uint64_t offset, size_t n) override { return f_.At(offset, n); }
    uint64_t Size() const override { return f_.Size(); }

  private:
    FileSource& f_;
};

class MemoryBytes : public Bytes {
  public:
    explicit MemoryBytes(std::vector<unsigned char> b) : b_(std::move(b)) {}
    const unsigned char* At(uint64_t offset, size_t n) override {
        return offset <= b_.size() && n <= b_.size() - offset ? b_.data() + offset : nullptr;
    }
    uint64_t Size() const override { return b_.size(); }

  private:
    std::vector<unsigned char> b_;
};

size_t TypeSize(uint32_t type) {
    static const size_t kSizes[] = {0, 1, 1, 2, 2, 4, 4, 4, 0, 8, 0, 0, 8, 8, 0, 0, 1, 2, 4};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

class Checker {
  public:
    Checker(Bytes& b, bool swap) : b_(b), swap_(swap) {}

    uint32_t U32(const unsigned char* p) const {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return swap_ ? __builtin_bswap32(v) : v;
    }
    // The element at offset within [offset, end): its type, where its data
    // starts, its bytes and where the next element starts.
    bool Tag(uint64_t offset, uint64_t end, uint32_t& type, uint64_t& data, uint64_t& bytes,
             uint64_t& next) {
        const unsigned char* p = end - offset >= 8 ? b_.At(offset, 8) : nullptr;
        if (!p) return Fault("an element runs past the end");
        type = U32(p);
        if (type >> 16) {  // small element: the size in the upper half, 4 bytes of data
            bytes = type >> 16;
            type &= 0xFFFF;
            data = offset + 4;
            next = offset + 8;
            return bytes <= 4 || Fault("a small element declares more than 4 bytes");
        }
        bytes = U32(p + 4);
        data = offset + 8;
        next = data + bytes + (type == miCOMPRESSED ? 0 : (8 - bytes % 8) % 8);
        if (bytes > end - data) return Fault("an element declares more bytes than it holds");
        if (next > end) next = end;  // the padding of the last one may be missing
        return true;
    }
    bool Matrix(uint64_t offset, uint64_t end, int depth);
    bool Fault(const std::string& what) {
        if (fault_.empty()) fault_ = what;
        return false;
    }
    const std::string& FaultText() const { return fault_; }

  private:
    // A data element of the variable: count values of its type must fit.
    bool Data(uint64_t& at, uint64_t end, uint64_t count) {
        uint32_t type;
        uint64_t data, bytes, next;
        if (!Tag(at, end, type, data, bytes, next)) return false;
        const size_t size = TypeSize(type);
        if (count > 0 && (size == 0 || count > bytes / size))
            return Fault("an array declares more values than its data holds");
        at = next;
        return true;
    }
    Bytes& b_;
    bool swap_;
    std::string fault_;
};

bool Checker::Matrix(uint64_t offset, uint64_t end, int depth) {
    if (depth > kMaxDepth) return Fault("arrays nested too deep");
    uint32_t type;
    uint64_t data, bytes, next;
    if (!Tag(offset, end, type, data, bytes, next)) return false;
    if (type != miMATRIX) return Fault("an element inside an array is no array");
    // An empty cell or field; a variable of no bytes libmatio reads on past.
    if (bytes == 0) return depth > 0 || Fault("a variable of no bytes");
    const uint64_t stop = data + bytes;
    // Array flags: the class in the low byte.
    uint64_t at = data, fdata, fbytes;
    // libmatio takes the flags as 8 bytes and the dimensions' tag right
    // after them, whatever size the flags' tag declares.
    if (!Tag(at, stop, type, fdata, fbytes, next) || fbytes != 8)
        return Fault("array flags missing or not of 8 bytes");
    const unsigned char* flags = b_.At(fdata, 8);
    if (!flags) return Fault("array flags missing");
    const uint32_t cls = U32(flags) & 0xFF;
    const bool complex = (U32(flags) & 0x0800) != 0;
    at = next;
    // Class objects are skipped later, but libmatio first takes the element
    // after the flags for dimensions and allocates what it declares.
    if (cls == 17) return Tag(at, stop, type, fdata, fbytes, next);
    // Dimensions.
    if (!Tag(at, stop, type, fdata, fbytes, next) || type != miINT32 || fbytes % 4 || fbytes == 0)
        return Fault("array dimensions missing");
    const unsigned char* dims = b_.At(fdata, fbytes);
    if (!dims) return Fault("array dimensions missing");
    uint64_t count = 1;
    for (uint64_t i = 0; i < fbytes; i += 4) {
        const int32_t d = static_cast<int32_t>(U32(dims + i));
        if (d < 0 || __builtin_mul_overflow(count, static_cast<uint64_t>(d), &count))
            return Fault("array dimensions out of range");
    }
    at = next;
    if (!Tag(at, stop, type, fdata, fbytes, next) || type != miINT8)
        return Fault("array name missing");
    at = next;
    switch (cls) {
        case 1:   // cell: an array per element
        case 16:  // function handle: libmatio reads it as a cell
            if (count > (stop - at) / 8)
                return Fault("a cell declares more elements than it holds");
            for (uint64_t i = 0; i < count; ++i) {
                if (!Matrix(at, stop, depth + 1)) return false;
                if (!Tag(at, stop, type, fdata, fbytes, next)) return false;
                at = next;
            }
            return true;
        case 2:    // struct
        case 3: {  // object: its class name first
            if (cls == 3) {
                if (!Tag(at, stop, type, fdata, fbytes, next)) return false;
                at = next;
            }
            if (!Tag(at, stop, type, fdata, fbytes, next) || fbytes != 4)
                return Fault("struct field name length missing");
            const unsigned char* p = b_.At(fdata, 4);
            const uint32_t length = p ? U32(p) : 0;
            at = next;
            if (!Tag(at, stop, type, fdata, fbytes, next)) return false;
            const uint64_t fields = length ? fbytes / length : 0;
            at = next;
            uint64_t arrays;
            if (__builtin_mul_overflow(count, fields, &arrays) || arrays > (stop - at) / 8)
                return Fault("a struct declares more fields than it holds");
            for (uint64_t i = 0; i < arrays; ++i) {
                if (!Matrix(at, stop, depth + 1)) return false;
                if (!Tag(at, stop, type, fdata, fbytes, next)) return false;
                at = next;
            }
            return true;
        }
        case 4:  // char
            return Data(at, stop, count);
        case 5:  // sparse: row indexes, column starts, values (and imaginary parts)
            // libmatio allocates what each part declares, reading on past the
            // array if a part is missing; so every part must be within it.
            for (int part = 0; part < (complex ? 4 : 3); ++part) {
                if (!Tag(at, stop, type, fdata, fbytes, next)) return false;
                if (TypeSize(type) == 0) return Fault("a sparse array's part of unknown type");
                at = next;
            }
            return true;
        default:
            if (cls < 6 || cls > 15)
                return Fault("an array of unknown class " + std::to_string(cls));
            return Data(at, stop, count) && (!complex || Data(at, stop, count));
    }
}

// The variable compressed at [data, data + bytes), inflated.
bool Inflate(Bytes& b, uint64_t data, uint64_t bytes, std::vector<unsigned char>& out) {
    const unsigned char* in = b.At(data, static_cast<size_t>(bytes));
    if (!in) return false;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    // zlib inflates at most about 1032 times; more is damage.
    const uint64_t cap = std::max<uint64_t>(bytes * 1100, 1 << 16);
    out.resize(std::min<uint64_t>(cap, bytes * 4 + 4096));
    z.next_in = const_cast<unsigned char*>(in);
    z.avail_in = static_cast<uInt>(std::min<uint64_t>(bytes, UINT32_MAX));
    int r = Z_OK;
    size_t done = 0;
    while (r == Z_OK) {
        if (done == out.size()) {
            if (out.size() >= cap) break;
            out.resize(std::min<uint64_t>(cap, out.size() * 2));
        }
        z.next_out = out.data() + done;
        z.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - done, UINT32_MAX));
        r = inflate(&z, Z_NO_FLUSH);
        done = out.size() - z.avail_out;
    }
    inflateEnd(&z);
    out.resize(done);
    return r == Z_STREAM_END || r == Z_BUF_ERROR || r == Z_OK;
}

bool CheckVersion5(FileSource& f, std::string& fault) {
    const unsigned char* head = f.At(0, 128);
    const bool swap = head[126] == 'M';
    FileBytes file(f);
    Checker top(file, swap);
    uint64_t at = 128;
    for (int k = 1; at < f.Size(); ++k) {
        uint32_t type;
        uint64_t data, bytes, next;
        const std::string where =
            "variable " + std::to_string(k) + " (at byte " + std::to_string(at) + "): ";
        if (!top.Tag(at, f.Size(), type, data, bytes, next)) {
            fault = where + top.FaultText();
            return false;
        }
        if (type == miMATRIX) {
            if (!top.Matrix(at, f.Size(), 0)) {
                fault = where + top.FaultText();
                return false;
            }
        } else if (type == miCOMPRESSED) {
            std::vector<unsigned char> inflated;
            Inflate(file, data, bytes, inflated);
            MemoryBytes mem(std::move(inflated));
            Checker inner(mem, swap);
            if (mem.Size() >= 8 && !inner.Matrix(0, mem.Size(), 0)) {
                fault = where + "compressed: " + inner.FaultText();
                return false;
            }
        }
        at = next;
    }
    return true;
}

// Version 4: records of a 20-byte header (type MOPT, rows, columns,
// imaginary flag, name length), the name and the values.
bool CheckVersion4(FileSource& f, std::string& fault) {
    uint64_t at = 0;
    for (int k = 1; at < f.Size(); ++k) {
        const std::string where =
            "variable " + std::to_string(k) + " (at byte " + std::to_string(at) + "): ";
        const unsigned char* p = f.Size() - at >= 20 ? f.At(at, 20) : nullptr;
        if (!p) {
            fault = where + "the header runs past the end";
            return false;
        }
        uint32_t v[5];
        std::memcpy(v, p, 20);
        // M, the thousands of the type, is the byte order: 0 little, 1 big.
        if (v[0] > 4052)
            for (uint32_t& x : v) x = __builtin_bswap32(x);
        const uint32_t type = v[0], precision = (type / 10) % 10;
        static const uint64_t kSize[] = {8, 4, 4, 2, 2, 1};
        if (type > 4052 || (type / 100) % 10 != 0 || precision > 5 || v[3] > 1 || v[4] == 0 ||
            v[4] > 4096) {
            fault = k == 1 ? "not a MAT file of version 4, 5 or 7.3"
                           : where + "the header is not a version 4 header";
            return false;
        }
        uint64_t values;
        if (__builtin_mul_overflow(uint64_t{v[1]}, uint64_t{v[2]}, &values) ||
            __builtin_mul_overflow(values, kSize[precision] * (v[3] + 1), &values) ||
            values > f.Size() - at - 20 || v[4] > f.Size() - at - 20 - values) {
            fault = where + "it declares more bytes than the file holds";
            return false;
        }
        at += 20 + v[4] + values;
    }
    return true;
}

// A version 7.3 file is an HDF5 file after the 512 bytes of its header.
// HDF5's superblock gives where the file ends; a file shorter than that was
// cut short, and HDF5 would only find its variables missing.
bool CheckVersion73(FileSource& f, std::string& fault) {
    constexpr uint64_t kAt = 512;
    static const unsigned char kSignature[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1a, '\n'};
    const unsigned char* p = f.Size() >= kAt + 12 ? f.At(kAt, 12) : nullptr;
    if (!p || std::memcmp(p, kSignature, 8) != 0) {
        fault = "it is damaged: its HDF5 part is missing or cut short";
        return false;
    }
    // Version 0 and 1 superblocks hold the address sizes at byte 13 and
    // the addresses from byte 24 (28 in version 1); versions 2 and 3 at
    // byte 9 and from byte 12: the base, one more, then the end of file.
    const unsigned version = p[8];
    if (version > 3) return true;  // unknown: left to HDF5
    const unsigned char* q = f.At(kAt, 32);
    if (!q) {
        fault = "it is damaged: its HDF5 part is cut short";
        return false;
    }
    const unsigned width = version < 2 ? q[13] : q[9];
    const uint64_t first = version == 0 ? 24 : version == 1 ? 28 : 12;
    if (width != 4 && width != 8) return true;
    const unsigned char* a = f.At(kAt + first, 3 * width);
    if (!a) {
        fault = "it is damaged: its HDF5 part is cut short";
        return false;
    }
    // The end of file counts the 512 bytes before the superblock (as the
    // HDF5 library writes it for a file with a user block).
    const uint64_t end = width == 8 ? GetU64(a + 16) : GetU32(a + 8);
    if (end != ~uint64_t{0} && end > f.Size()) {
        fault = "it is damaged: cut short at " + std::to_string(f.Size()) + " of its " +
                std::to_string(end) + " bytes";
        return false;
    }
    return true;
}

}  // namespace

bool CheckStructure(FileSource& f, std::string& fault) {
    const unsigned char* head = f.At(0, static_cast<size_t>(std::min<uint64_t>(f.Size(), 128)));
    if (head && f.Size() >= 6 && std::memcmp(head, "MATLAB", 6) == 0) {
        if (f.Size() < 128) {
            fault = "not a MAT file of version 4, 5 or 7.3 (its header is cut short)";
            return false;
        }
        uint16_t version;
        std::memcpy(&version, head + 124, 2);
        if (version == 0x0200 || version == 0x0002) return CheckVersion73(f, fault);
        return CheckVersion5(f, fault);
    }
    return CheckVersion4(f, fault);
}

}  // namespace korvex::matfile
