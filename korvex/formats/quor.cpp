// The host's own data-set file, ".quor". Layout: docs/quor-format.md.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "korvex/formats/file_io.h"
#include "korvex/formats/file_source.h"
#include "korvex/formats/formats.h"
#include "platform/mapped_file.h"
#include "platform/text.h"

namespace korvex {

namespace {

constexpr char kMagic[8] = {'Q', 'U', 'O', 'R', '\r', '\n', '\x1A', '\n'};
constexpr char kEndMagic[4] = {'Q', 'E', 'N', 'D'};
constexpr uint32_t kVersion = 1;
// Version 2 pads each signal's sample count to a multiple of 8 bytes, so
// the samples can be used where they lie in the file.
constexpr uint32_t kAlignedVersion = 2;
// Shorter signals are read: mapping them saves nothing.
constexpr size_t kMapMinSamples = size_t{1} << 16;
constexpr size_t kHeaderSize = 20;  // magic, version, flags, signal count
constexpr size_t kTrailerSize = 8;  // end magic, CRC-32
// Smallest possible signal: four empty strings, three doubles, two counts
// and the sample count.
constexpr size_t kMinSignalSize = 4 * 4 + 3 * 8 + 4 + 4 + 8;

// CRC-32 as zip and PNG use it; crc is the running value (start with 0).
uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    return static_cast<uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
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

// Bounds-checked reading of the file body through the file's windows;
// every read checks what remains so that a bad count never drives an
// allocation.
class Reader {
  public:
    Reader(FileSource& src, uint64_t begin, uint64_t end) : src_(src), pos_(begin), end_(end) {}
    uint64_t Remaining() const { return end_ - pos_; }
    uint64_t Pos() const { return pos_; }
    const unsigned char* Take(size_t n) {
        if (Remaining() < n) return nullptr;
        const unsigned char* at = src_.At(pos_, n);
        if (at) pos_ += n;
        return at;
    }
    bool U32(uint32_t& v) {
        const unsigned char* p = Take(4);
        if (p) v = GetU32(p);
        return p != nullptr;
    }
    bool U64(uint64_t& v) {
        const unsigned char* p = Take(8);
        if (p) v = GetU64(p);
        return p != nullptr;
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
        const unsigned char* p = Take(len);
        if (p) s.assign(reinterpret_cast<const char*>(p), len);
        return p != nullptr;
    }
    void Skip(uint64_t n) { pos_ += n; }

  private:
    FileSource& src_;
    uint64_t pos_;
    uint64_t end_;
};

std::string SignalLabel(size_t index, const std::string& name) {
    std::string label = "signal " + std::to_string(index + 1);
    if (!name.empty()) label += " (\"" + name + "\")";
    return label;
}

}  // namespace

FileResult ReadQuor(const std::string& path, DataSet& out, const ReadOptions& options) {
    FileResult result;
    FileSource src;
    if (!src.Open(path, result.message)) return result;
    src.ExpectSequential();
    const std::string prefix = "Cannot read \"" + path + "\": ";
    auto fail = [&](const std::string& fault) {
        result.ok = false;
        result.message = prefix + fault;
        return result;
    };
    const uint64_t size = src.Size();
    const unsigned char* head = src.At(0, std::min<uint64_t>(size, kHeaderSize));
    if (!head) return fail(src.ReadError() + ".");
    if (size < sizeof kMagic || std::memcmp(head, kMagic, sizeof kMagic) != 0)
        return fail("not a .quor data file (its first bytes are not the .quor signature).");
    if (size < kHeaderSize + kTrailerSize)
        return fail("the file is truncated (shorter than its header).");
    const uint32_t version = GetU32(head + 8);
    if (version != kVersion && version != kAlignedVersion)
        return fail("file version " + std::to_string(version) +
                    " is not supported (this program reads versions 1 and " +
                    std::to_string(kAlignedVersion) + "); it was made by a newer program.");
    if (GetU32(head + 12) != 0) return fail("the file is damaged (unknown flags in the header).");
    const uint32_t count = GetU32(head + 16);
    const uint64_t bodyEnd = size - kTrailerSize;
    const unsigned char* trailer = src.At(bodyEnd, kTrailerSize);
    if (!trailer || std::memcmp(trailer, kEndMagic, sizeof kEndMagic) != 0)
        return fail("the file is truncated or damaged (its end marker is missing).");
    const uint32_t stored = GetU32(trailer + 4);
    // The checksum in windows: the file is never held whole.
    uint32_t crc = 0;
    for (uint64_t at = 0; at < bodyEnd;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(bodyEnd - at, src.Window()));
        const unsigned char* p = src.At(at, n);
        if (!p) return fail(src.ReadError() + ".");
        crc = Crc32(crc, p, n);
        at += n;
    }
    if (crc != stored) return fail("the file is damaged (checksum mismatch).");

    Reader in(src, kHeaderSize, bodyEnd);
    if (count > in.Remaining() / kMinSignalSize)
        return fail("the file is damaged (it claims " + std::to_string(count) +
                    " signals, more than its size can hold).");
    plat::ObjPtr<plat::MappedFile> map;
    bool mapFailed = false;

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

        if (version == kAlignedVersion) {
            const size_t pad = static_cast<size_t>((8 - in.Pos() % 8) % 8);
            const unsigned char* p = in.Take(pad);
            if (!p || std::any_of(p, p + pad, [](unsigned char b) { return b != 0; }))
                return bad("the padding before the samples is not zero");
        }
        uint64_t samples;
        if (!in.U64(samples) || samples > in.Remaining() / 8)
            return bad("the sample count exceeds the data");
        const auto n = static_cast<size_t>(samples);
        if (options.mapSamples && n >= kMapMinSamples && in.Pos() % 8 == 0 &&
            std::endian::native == std::endian::little && !mapFailed) {
            std::string ignored;  // a file that cannot be mapped is read instead
            if (!map) map = plat::MappedFile::Open(path, ignored);
            if (map && map->Size() == size) {
                s.mapped = SampleBuffer::Mapped(map, in.Pos(), n);
                in.Skip(samples * 8);
                loaded.signals.push_back(std::move(s));
                continue;
            }
            mapFailed = true;
        }
        ReserveSamples(s.samples, n);
        s.samples.resize(n);
        for (size_t k = 0; k < n;) {
            const size_t chunk = std::min(n - k, src.Window() / 8);
            const unsigned char* p = in.Take(chunk * 8);
            if (!p) return fail(src.ReadError() + ".");
            for (size_t j = 0; j < chunk; ++j) s.samples[k + j] = BitsDouble(GetU64(p + 8 * j));
            k += chunk;
        }
        loaded.signals.push_back(std::move(s));
    }
    if (in.Remaining() != 0)
        return fail("the file is damaged (unexpected bytes after the last signal).");

    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

namespace {

// What the reader would refuse in a signal's header; empty when fine.
std::string HeaderFault(const SignalData& s) {
    if (!IsValidFolder(s.folder)) return "invalid folder \"" + s.folder + "\"";
    if (!plat::IsValidUtf8(s.name) || !plat::IsValidUtf8(s.unit) || !plat::IsValidUtf8(s.text5) ||
        !plat::IsValidUtf8(s.folder))
        return "a text is not valid UTF-8";
    for (const auto& [name, value] : s.attributes)
        if (!plat::IsValidUtf8(name) || !plat::IsValidUtf8(value))
            return "an attribute is not valid UTF-8";
    return {};
}

// A signal's header as it is written at byte offset at of the file: up to
// and with the sample count, the padding before it included.
void AppendSignalHeader(std::string& buf, const SignalData& s, uint64_t at, uint64_t samples) {
    const size_t first = buf.size();
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
    while ((at + buf.size() - first) % 8 != 0) buf.push_back('\0');
    PutU64(buf, samples);
}

void AppendFileHeader(std::string& buf, size_t signals) {
    buf.append(kMagic, sizeof kMagic);
    PutU32(buf, kAlignedVersion);
    PutU32(buf, 0);
    PutU32(buf, static_cast<uint32_t>(signals));
}

void AppendTrailer(std::string& buf, uint32_t crc) {
    buf.append(kEndMagic, sizeof kEndMagic);
    PutU32(buf, crc);
}

}  // namespace

struct QuorWriter::File {
    AtomicFile file;
    std::string path;
    uint32_t crc = 0;
    uint64_t written = 0;  // bytes flushed so far
    std::string buf;
    uint32_t signalsLeft = 0;
    uint64_t samplesLeft = 0;
    uint32_t index = 0;
    std::string fault;
    void Flush() {
        crc = Crc32(crc, buf.data(), buf.size());
        written += buf.size();
        file.Write(buf);
        buf.clear();
    }
};

QuorWriter::QuorWriter() = default;
QuorWriter::~QuorWriter() = default;

bool QuorWriter::Open(const std::string& path, size_t signals, std::string& error) {
    f_ = std::make_unique<File>();
    f_->path = path;
    if (signals > UINT32_MAX) {
        error = "Cannot write \"" + path + "\": too many signals.";
        f_.reset();
        return false;
    }
    if (!f_->file.Open(path, error)) {
        f_.reset();
        return false;
    }
    f_->signalsLeft = static_cast<uint32_t>(signals);
    AppendFileHeader(f_->buf, signals);
    return true;
}

bool QuorWriter::BeginSignal(const SignalData& s, uint64_t samples) {
    if (!f_ || !f_->fault.empty()) return false;
    std::string fault = HeaderFault(s);
    if (fault.empty() && (f_->samplesLeft != 0 || f_->signalsLeft == 0))
        fault = "more signals or samples than announced";
    if (!fault.empty()) {
        f_->fault = SignalLabel(f_->index, s.name) + ": " + fault;
        return false;
    }
    AppendSignalHeader(f_->buf, s, f_->written + f_->buf.size(), samples);
    f_->Flush();
    --f_->signalsLeft;
    ++f_->index;
    f_->samplesLeft = samples;
    return true;
}

void QuorWriter::Put(std::span<const double> samples) {
    if (!f_ || !f_->fault.empty()) return;
    if (samples.size() > f_->samplesLeft) {
        f_->fault = "more samples than announced";
        return;
    }
    // In blocks, so a long signal is not copied whole.
    constexpr size_t kBlock = 8192;
    for (size_t k = 0; k < samples.size(); k += kBlock) {
        const size_t end = std::min(samples.size(), k + kBlock);
        for (size_t j = k; j < end; ++j) PutU64(f_->buf, DoubleBits(samples[j]));
        f_->Flush();
    }
    f_->samplesLeft -= samples.size();
}

bool QuorWriter::Commit(std::string& error) {
    if (!f_) return false;
    const std::string prefix = "Cannot write \"" + f_->path + "\": ";
    if (f_->fault.empty() && f_->file.Failed()) {  // the disk's refusal says why
        f_->file.Commit(error);
        f_.reset();
        return false;
    }
    if (f_->fault.empty() && (f_->signalsLeft != 0 || f_->samplesLeft != 0))
        f_->fault = "fewer signals or samples than announced";
    if (!f_->fault.empty()) {
        error = prefix + f_->fault + ".";
        f_.reset();  // the temporary file goes, the target stays as it was
        return false;
    }
    f_->Flush();
    std::string trailer;
    AppendTrailer(trailer, f_->crc);
    f_->file.Write(trailer);
    const bool ok = f_->file.Commit(error);
    f_.reset();
    return ok;
}

struct QuorSpill::File {
    struct Signal {
        uint64_t at = 0;  // where its next value goes
        uint64_t left = 0;
        uint64_t bytes = 0;  // of its values
        uint64_t headBytes = 0;
        uint32_t headCrc = 0;
        uint32_t crc = 0;  // of the values given so far
        std::string buf;
    };
    static constexpr size_t kBuffer = size_t{256} << 10;
    AtomicFile file;
    std::string path;
    uint64_t end = kHeaderSize;
    std::vector<Signal> signals;
    std::string fault;
    void Flush(Signal& s) {
        s.crc = Crc32(s.crc, s.buf.data(), s.buf.size());
        file.WriteAt(s.at, s.buf.data(), s.buf.size());
        s.at += s.buf.size();
        s.buf.clear();
    }
};

QuorSpill::QuorSpill() = default;
QuorSpill::~QuorSpill() = default;

bool QuorSpill::Open(const std::string& path, std::string& error) {
    f_ = std::make_unique<File>();
    f_->path = path;
    f_->file.SetDurable(false);
    if (f_->file.Open(path, error)) return true;
    f_.reset();
    return false;
}

size_t QuorSpill::Declare(const SignalData& s, uint64_t samples) {
    if (!f_) return 0;
    const size_t index = f_->signals.size();
    f_->signals.emplace_back();
    if (!f_->fault.empty()) return index;
    std::string fault = HeaderFault(s);
    if (fault.empty() && (index >= UINT32_MAX || samples > (uint64_t{1} << 60) / 8))
        fault = "too many signals or samples";
    if (!fault.empty()) {
        f_->fault = SignalLabel(index, s.name) + ": " + fault;
        return index;
    }
    std::string head;
    AppendSignalHeader(head, s, f_->end, samples);
    f_->file.WriteAt(f_->end, head.data(), head.size());
    File::Signal& sig = f_->signals.back();
    sig.headBytes = head.size();
    sig.headCrc = Crc32(0, head.data(), head.size());
    sig.at = f_->end + head.size();
    sig.left = samples;
    sig.bytes = samples * 8;
    f_->end = sig.at + sig.bytes;
    return index;
}

void QuorSpill::Put(size_t signal, const double* values, size_t n) {
    if (!f_ || !f_->fault.empty() || signal >= f_->signals.size()) return;
    File::Signal& s = f_->signals[signal];
    if (n > s.left) {
        f_->fault = SignalLabel(signal, "") + ": more samples than announced";
        return;
    }
    s.left -= n;
    while (n > 0) {
        const size_t m = std::min(n, (File::kBuffer - s.buf.size()) / 8);
        if constexpr (std::endian::native == std::endian::little) {
            const size_t old = s.buf.size();
            s.buf.resize(old + m * 8);
            std::memcpy(s.buf.data() + old, values, m * 8);
        } else {
            for (size_t k = 0; k < m; ++k) PutU64(s.buf, DoubleBits(values[k]));
        }
        values += m;
        n -= m;
        if (s.buf.size() >= File::kBuffer) f_->Flush(s);
    }
    if (s.left == 0) {  // done: its buffer goes, as the file may hold thousands
        f_->Flush(s);
        std::string().swap(s.buf);
    }
}

bool QuorSpill::Failed() const {
    return !f_ || !f_->fault.empty() || f_->file.Failed();
}

std::string QuorSpill::Folder() const {
    if (!f_) return {};
    const size_t slash = f_->path.rfind('/');
    return slash == std::string::npos ? std::string(".") : f_->path.substr(0, slash);
}

bool QuorSpill::Commit(std::string& error) {
    if (!f_) return false;
    if (f_->file.Failed()) {  // the disk's refusal, not the counts it cut short
        f_->file.Commit(error);
        f_.reset();
        return false;
    }
    for (File::Signal& s : f_->signals) {
        if (f_->fault.empty() && s.left != 0) f_->fault = "fewer samples than announced";
        if (f_->fault.empty()) f_->Flush(s);
    }
    if (!f_->fault.empty()) {
        error = "Cannot write \"" + f_->path + "\": " + f_->fault + ".";
        f_.reset();
        return false;
    }
    // The checksum of the whole from those of its pieces, in file order.
    std::string head;
    AppendFileHeader(head, f_->signals.size());
    uint32_t crc = Crc32(0, head.data(), head.size());
    f_->file.WriteAt(0, head.data(), head.size());
    for (const File::Signal& s : f_->signals) {
        crc =
            static_cast<uint32_t>(crc32_combine(crc, s.headCrc, static_cast<z_off_t>(s.headBytes)));
        crc = static_cast<uint32_t>(crc32_combine(crc, s.crc, static_cast<z_off_t>(s.bytes)));
    }
    std::string trailer;
    AppendTrailer(trailer, crc);
    f_->file.WriteAt(f_->end, trailer.data(), trailer.size());
    const bool ok = f_->file.Commit(error);
    f_.reset();
    return ok;
}

FileResult WriteQuor(const std::string& path, const DataSet& data) {
    FileResult result;
    // Refuse what the reader would refuse, before touching the disk.
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const std::string fault = HeaderFault(data.signals[i]);
        if (!fault.empty()) {
            result.message = "Cannot write \"" + path +
                             "\": " + SignalLabel(i, data.signals[i].name) + ": " + fault + ".";
            return result;
        }
    }
    QuorWriter w;
    if (!w.Open(path, data.signals.size(), result.message)) return result;
    for (const SignalData& s : data.signals) {
        const std::span<const double> values = Values(s);
        w.BeginSignal(s, values.size());
        // A signal read from the disk gives its pages back as it is written.
        constexpr size_t kStep = size_t{1} << 20;
        for (size_t k = 0; k < values.size(); k += kStep) {
            const size_t n = std::min(kStep, values.size() - k);
            w.Put(values.subspan(k, n));
            s.mapped.DoneBefore(k + n);
        }
        s.mapped.DoneWithAll();
    }
    result.ok = w.Commit(result.message);
    return result;
}

}  // namespace korvex
