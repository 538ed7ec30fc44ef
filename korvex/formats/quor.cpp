// The host's own data-set file, ".quor". Layout: docs/quor-format.md.

#include <algorithm>
#include <array>
#include <cstring>

#include "korvex/formats/file_io.h"
#include "korvex/formats/formats.h"
#include "platform/text.h"

namespace korvex {

namespace {

constexpr char kMagic[8] = {'Q', 'U', 'O', 'R', '\r', '\n', '\x1A', '\n'};
constexpr char kEndMagic[4] = {'Q', 'E', 'N', 'D'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 20;  // magic, version, flags, signal count
constexpr size_t kTrailerSize = 8;  // end magic, CRC-32
// Smallest possible signal: four empty strings, three doubles, two counts
// and the sample count.
constexpr size_t kMinSignalSize = 4 * 4 + 3 * 8 + 4 + 4 + 8;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// CRC-32 as zip and PNG use it; crc is the running value (start with 0).
uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint64_t DoubleBits(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double BitsDouble(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// "" or "a/b": no leading, trailing or doubled "/", no "." or ".." parts.
bool IsValidFolder(std::string_view folder) {
    if (folder.empty()) return true;
    size_t start = 0;
    while (true) {
        size_t slash = folder.find('/', start);
        std::string_view part = folder.substr(
            start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (part.empty() || part == "." || part == ".." ||
            part.find('\0') != std::string_view::npos)
            return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

void PutString(std::string& out, const std::string& s) {
    PutU32(out, static_cast<uint32_t>(s.size()));
    out += s;
}

// Bounds-checked reading of the file body; every read checks what remains
// so that a bad count never drives an allocation.
class Reader {
  public:
    Reader(const unsigned char* p, size_t size) : p_(p), size_(size) {}
    size_t Remaining() const { return size_ - pos_; }
    bool U32(uint32_t& v) {
        if (Remaining() < 4) return false;
        v = GetU32(p_ + pos_);
        pos_ += 4;
        return true;
    }
    bool U64(uint64_t& v) {
        if (Remaining() < 8) return false;
        v = GetU64(p_ + pos_);
        pos_ += 8;
        return true;
    }
    bool F64(double& v) {
        uint64_t bits;
        if (!U64(bits)) return false;
        v = BitsDouble(bits);
        return true;
    }
    bool Str(std::string& s) {
        uint32_t len;
        if (!U32(len) || Remaining() < len) return false;
        s.assign(reinterpret_cast<const char*>(p_ + pos_), len);
        pos_ += len;
        return true;
    }
    const unsigned char* Take(size_t n) {
        if (Remaining() < n) return nullptr;
        const unsigned char* at = p_ + pos_;
        pos_ += n;
        return at;
    }

  private:
    const unsigned char* p_;
    size_t size_;
    size_t pos_ = 0;
};

std::string SignalLabel(size_t index, const std::string& name) {
    std::string label = "signal " + std::to_string(index + 1);
    if (!name.empty()) label += " (\"" + name + "\")";
    return label;
}

}  // namespace

FileResult ReadQuor(const std::string& path, DataSet& out) {
    FileResult result;
    std::string bytes;
    if (!ReadFileBytes(path, bytes, result.message)) return result;
    const std::string prefix = "Cannot read \"" + path + "\": ";
    auto fail = [&](const std::string& fault) {
        result.ok = false;
        result.message = prefix + fault;
        return result;
    };

    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return fail("not a .quor data file (its first bytes are not the .quor signature).");
    if (bytes.size() < kHeaderSize + kTrailerSize)
        return fail("the file is truncated (shorter than its header).");
    uint32_t version = GetU32(data + 8);
    if (version != kVersion)
        return fail("file version " + std::to_string(version) +
                    " is not supported (this program reads version " + std::to_string(kVersion) +
                    "); it was made by a newer program.");
    if (GetU32(data + 12) != 0) return fail("the file is damaged (unknown flags in the header).");
    const size_t bodyEnd = bytes.size() - kTrailerSize;
    if (std::memcmp(data + bodyEnd, kEndMagic, sizeof kEndMagic) != 0)
        return fail("the file is truncated or damaged (its end marker is missing).");
    if (Crc32(0, data, bodyEnd) != GetU32(data + bodyEnd + 4))
        return fail("the file is damaged (checksum mismatch).");

    uint32_t count = GetU32(data + 16);
    Reader in(data + kHeaderSize, bodyEnd - kHeaderSize);
    if (count > in.Remaining() / kMinSignalSize)
        return fail("the file is damaged (it claims " + std::to_string(count) +
                    " signals, more than its size can hold).");

    DataSet loaded;
    loaded.signals.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        SignalData s;
        auto bad = [&](const std::string& what) {
            return fail("the file is damaged (" + SignalLabel(i, s.name) + ": " + what + ").");
        };
        if (!in.Str(s.folder) || !in.Str(s.name) || !in.Str(s.unit) || !in.Str(s.text5))
            return bad("a text runs past the end of the data");
        for (const std::string* t : {&s.folder, &s.name, &s.unit, &s.text5})
            if (!plat::IsValidUtf8(*t)) return bad("a text is not valid UTF-8");
        if (!IsValidFolder(s.folder)) return bad("invalid folder \"" + s.folder + "\"");
        if (!in.F64(s.startX) || !in.F64(s.stepX) || !in.F64(s.startTime))
            return bad("the axis values run past the end of the data");

        uint32_t codes;
        if (!in.U32(codes) || codes > in.Remaining() / 16)
            return bad("the axis-code count exceeds the data");
        for (uint32_t k = 0; k < codes; ++k) {
            uint32_t part = 0, axis = 0;
            uint64_t code = 0;
            in.U32(part);
            in.U32(axis);
            in.U64(code);
            auto key = std::make_pair(static_cast<int>(part), static_cast<int>(axis));
            if (!s.axisCodes.emplace(key, code).second) return bad("an axis code is repeated");
        }

        uint32_t attrs;
        if (!in.U32(attrs) || attrs > in.Remaining() / 8)
            return bad("the attribute count exceeds the data");
        s.attributes.reserve(attrs);
        for (uint32_t k = 0; k < attrs; ++k) {
            std::string name, value;
            if (!in.Str(name) || !in.Str(value)) return bad("an attribute runs past the data");
            if (!plat::IsValidUtf8(name) || !plat::IsValidUtf8(value))
                return bad("an attribute is not valid UTF-8");
            s.attributes.emplace_back(std::move(name), std::move(value));
        }

        uint64_t samples;
        if (!in.U64(samples) || samples > in.Remaining() / 8)
            return bad("the sample count exceeds the data");
        const unsigned char* p = in.Take(static_cast<size_t>(samples) * 8);
        s.samples.resize(static_cast<size_t>(samples));
        for (size_t k = 0; k < s.samples.size(); ++k) s.samples[k] = BitsDouble(GetU64(p + 8 * k));
        loaded.signals.push_back(std::move(s));
    }
    if (in.Remaining() != 0)
        return fail("the file is damaged (unexpected bytes after the last signal).");

    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

FileResult WriteQuor(const std::string& path, const DataSet& data) {
    FileResult result;
    const std::string prefix = "Cannot write \"" + path + "\": ";
    if (data.signals.size() > UINT32_MAX) {
        result.message = prefix + "too many signals.";
        return result;
    }
    // Refuse what the reader would refuse, before touching the disk.
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const SignalData& s = data.signals[i];
        std::string fault;
        if (!IsValidFolder(s.folder))
            fault = "invalid folder \"" + s.folder + "\"";
        else if (!plat::IsValidUtf8(s.name) || !plat::IsValidUtf8(s.unit) ||
                 !plat::IsValidUtf8(s.text5) || !plat::IsValidUtf8(s.folder))
            fault = "a text is not valid UTF-8";
        for (const auto& [name, value] : s.attributes)
            if (fault.empty() && (!plat::IsValidUtf8(name) || !plat::IsValidUtf8(value)))
                fault = "an attribute is not valid UTF-8";
        if (!fault.empty()) {
            result.message = prefix + SignalLabel(i, s.name) + ": " + fault + ".";
            return result;
        }
    }

    AtomicFile file;
    if (!file.Open(path, result.message)) return result;
    uint32_t crc = 0;
    std::string buf;
    auto flush = [&] {
        crc = Crc32(crc, buf.data(), buf.size());
        file.Write(buf);
        buf.clear();
    };

    buf.append(kMagic, sizeof kMagic);
    PutU32(buf, kVersion);
    PutU32(buf, 0);
    PutU32(buf, static_cast<uint32_t>(data.signals.size()));
    for (const SignalData& s : data.signals) {
        PutString(buf, s.folder);
        PutString(buf, s.name);
        PutString(buf, s.unit);
        PutString(buf, s.text5);
        PutU64(buf, DoubleBits(s.startX));
        PutU64(buf, DoubleBits(s.stepX));
        PutU64(buf, DoubleBits(s.startTime));
        PutU32(buf, static_cast<uint32_t>(s.axisCodes.size()));
        for (const auto& [key, code] : s.axisCodes) {
            PutU32(buf, static_cast<uint32_t>(key.first));
            PutU32(buf, static_cast<uint32_t>(key.second));
            PutU64(buf, code);
        }
        PutU32(buf, static_cast<uint32_t>(s.attributes.size()));
        for (const auto& [name, value] : s.attributes) {
            PutString(buf, name);
            PutString(buf, value);
        }
        PutU64(buf, s.samples.size());
        flush();
        // Samples in blocks, so a long signal is not copied whole.
        constexpr size_t kBlock = 8192;
        for (size_t k = 0; k < s.samples.size(); k += kBlock) {
            size_t end = std::min(s.samples.size(), k + kBlock);
            for (size_t j = k; j < end; ++j) PutU64(buf, DoubleBits(s.samples[j]));
            flush();
        }
    }
    flush();
    char trailer[kTrailerSize];
    std::memcpy(trailer, kEndMagic, sizeof kEndMagic);
    for (int i = 0; i < 4; ++i) trailer[4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    file.Write(trailer, sizeof trailer);
    if (!file.Commit(result.message)) return result;
    result.ok = true;
    return result;
}

}  // namespace korvex
