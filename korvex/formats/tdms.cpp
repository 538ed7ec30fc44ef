// NI TDMS files, versions 4712 and 4713, read in two passes. The first walks
// the segments' lead-ins and metadata, keeping each object's properties and
// laying out where every channel's values lie; the second (tdms_data.cpp)
// reads the raw data into arrays sized by the first, so a file of gigabytes
// is neither held twice nor grown into.
//
// Taken: segments with or without metadata and raw data, new and incremental
// object lists, raw-data indexes given, repeated ("same as before") or none,
// contiguous and interleaved data, several chunks per segment, either byte
// order, every integer and float type, booleans and timestamps, DAQmx raw
// data (format-changing and digital-line scalers) with linear and
// polynomial NI_Scale chains.
// Skipped with a note: string channels, complex and extended values, other
// scale types, channels without values, and the bytes of a last segment cut
// short by a crash after its last whole chunk.
// Refused: no "TDSm" tag, other versions, metadata that does not parse,
// values of a type whose size is unknown. Behaviour: docs/data-files.md.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "korvex/formats/file_source.h"
#include "korvex/formats/readers.h"
#include "korvex/formats/tdms_data.h"
#include "korvex/formats/text_common.h"

namespace korvex {

namespace {

using namespace tdms;

constexpr uint32_t kTocMetaData = 1u << 1;
constexpr uint32_t kTocNewObjList = 1u << 2;
constexpr uint32_t kTocRawData = 1u << 3;
constexpr uint32_t kTocInterleaved = 1u << 5;
constexpr uint32_t kTocBigEndian = 1u << 6;
// DAQmx raw data (bit 7) is known by its objects' raw-data indexes.
constexpr uint32_t kNoData = 0xFFFFFFFF;
constexpr uint32_t kSameAsBefore = 0;
constexpr uint32_t kDaqmxFormatChanging = 0x1269;
constexpr uint32_t kDaqmxDigitalLine = 0x126A;
constexpr uint32_t kLeadIn = 28;

// DAQmx raw sample types to TDMS types.
uint32_t DaqmxType(uint32_t t) {
    static const uint32_t kTypes[] = {kU8,  kI8,  kU16, kI16,    kU32,
                                      kI32, kU64, kI64, kSingle, kDouble};
    if (t < std::size(kTypes)) return kTypes[t];
    return t == 0xFFFFFFFF ? kTimestamp : kVoid;
}

// Reads the numbers of one segment's metadata in its byte order.
class Cursor {
  public:
    Cursor(const unsigned char* p, size_t n, bool big) : p_(p), end_(p + n), big_(big) {}
    bool Left(size_t n) const { return static_cast<size_t>(end_ - p_) >= n; }
    bool U8(uint8_t& v) {
        if (!Left(1)) return false;
        v = *p_++;
        return true;
    }
    bool U32(uint32_t& v) {
        if (!Left(4)) return false;
        std::memcpy(&v, p_, 4);
        if (big_) v = __builtin_bswap32(v);
        p_ += 4;
        return true;
    }
    bool U64(uint64_t& v) {
        if (!Left(8)) return false;
        std::memcpy(&v, p_, 8);
        if (big_) v = __builtin_bswap64(v);
        p_ += 8;
        return true;
    }
    bool Text(std::string& s) {
        uint32_t n;
        if (!U32(n) || !Left(n)) return false;
        s.assign(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return true;
    }
    bool Skip(size_t n) {
        if (!Left(n)) return false;
        p_ += n;
        return true;
    }
    // A value of a numeric type as a double.
    bool Number(uint32_t type, double& v);
    bool Time(Timestamp& t) {
        uint64_t a, b;
        if (!U64(a) || !U64(b)) return false;
        // Little-endian files put the fraction first, big-endian the seconds.
        t.fraction = big_ ? b : a;
        t.seconds = static_cast<int64_t>(big_ ? a : b);
        return true;
    }

  private:
    const unsigned char* p_;
    const unsigned char* end_;
    bool big_;
};

bool Cursor::Number(uint32_t type, double& v) {
    const uint32_t width = TypeWidth(type);
    if (width == 0 || width > 8 || !Left(width)) return false;
    uint64_t bits = 0;
    if (big_) {
        for (uint32_t i = 0; i < width; ++i) bits = bits << 8 | p_[i];
    } else {
        for (uint32_t i = width; i-- > 0;) bits = bits << 8 | p_[i];
    }
    p_ += width;
    const int shift = static_cast<int>(64 - 8 * width);
    switch (type) {
        case kI8:
        case kI16:
        case kI32:
        case kI64:
            v = static_cast<double>(static_cast<int64_t>(bits << shift) >> shift);
            return true;
        case kSingle:
        case kSingleWithUnit:
            v = std::bit_cast<float>(static_cast<uint32_t>(bits));
            return true;
        case kDouble:
        case kDoubleWithUnit:
            v = std::bit_cast<double>(bits);
            return true;
        case kComplexSingle:
            return false;
        default:  // unsigned and boolean
            v = static_cast<double>(bits);
            return true;
    }
}

// "/'group'/'channel'" into its names; '' inside a name is a quote.
bool SplitPath(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    if (path.empty() || path[0] != '/') return false;
    size_t i = 1;
    while (i < path.size()) {
        if (path[i] != '\'') return false;
        std::string name;
        for (++i;; ++i) {
            if (i >= path.size()) return false;
            if (path[i] != '\'') {
                name += path[i];
            } else if (i + 1 < path.size() && path[i + 1] == '\'') {
                name += '\'';
                ++i;
            } else {
                break;
            }
        }
        names.push_back(std::move(name));
        ++i;  // closing quote
        if (i < path.size()) {
            if (path[i] != '/') return false;
            ++i;
            if (i == path.size()) return false;
        }
    }
    return names.size() <= 2;
}

struct Entry {
    int object = -1;
    bool hasData = false;
    RawIndex index;
};

class TdmsReader {
  public:
    TdmsReader(const std::string& path, FileSource& file) : path_(path), file_(file) {}
    bool Scan(FileResult& result);
    std::vector<Object>& Objects() { return objects_; }
    std::vector<Block>& Blocks() { return blocks_; }
    const std::string& Message() const { return message_; }

  private:
    bool Fail(const std::string& fault) {
        message_ = "Cannot read \"" + path_ + "\": segment " + std::to_string(segment_) +
                   " (at byte " + std::to_string(segmentStart_) + "): " + fault;
        return false;
    }
    std::string Label(int object) const { return "\"" + objects_[object].path + "\""; }
    bool ReadMetadata(const unsigned char* p, size_t n, uint32_t toc);
    bool ReadObject(Cursor& in, uint32_t k);
    bool ReadIndex(Cursor& in, uint32_t length, int object, Entry& entry);
    bool ReadDaqmxIndex(Cursor& in, uint32_t kind, int object, RawIndex& index);
    bool ReadProperty(Cursor& in, int object, uint32_t k);
    bool LayOut(uint32_t toc, uint64_t dataStart, uint64_t dataBytes, bool cut);
    bool DaqmxRuns(const std::vector<const Entry*>& data, std::vector<Run>& runs,
                   uint64_t& chunkBytes);
    bool PlainRun(const std::vector<const Entry*>& data, bool interleaved, Run& run,
                  uint64_t& chunkBytes);

    std::string path_;
    FileSource& file_;
    std::string message_;
    std::vector<std::string> notes_;
    std::vector<Object> objects_;
    std::unordered_map<std::string, int> byPath_;
    std::vector<Entry> list_;  // the segment's objects, in raw-data order
    std::vector<Block> blocks_;
    int segment_ = 0;
    uint64_t segmentStart_ = 0;
};

bool TdmsReader::Scan(FileResult& result) {
    const uint64_t size = file_.Size();
    uint64_t pos = 0;
    for (segment_ = 1; pos < size; ++segment_) {
        segmentStart_ = pos;
        const unsigned char* lead = file_.At(pos, std::min<uint64_t>(kLeadIn, size - pos));
        if (!lead) return Fail("cannot be read: " + file_.ReadError() + ".");
        if (segment_ == 1 && size >= 4 && std::memcmp(lead, "TDSh", 4) == 0)
            return Fail("this is a TDMS index file; open the .tdms file it belongs to.");
        if (size - pos < kLeadIn || std::memcmp(lead, "TDSm", 4) != 0) {
            if (segment_ == 1) return Fail("not a TDMS file (no \"TDSm\" tag).");
            if (size - pos < kLeadIn) {
                notes_.push_back("The file ends with " + std::to_string(size - pos) +
                                 " bytes of a segment cut short before its metadata; they were "
                                 "ignored.");
                break;
            }
            return Fail("no \"TDSm\" tag where the segment should start.");
        }
        // The table of contents is little-endian in every file.
        const uint32_t toc = static_cast<uint32_t>(lead[4]) | static_cast<uint32_t>(lead[5]) << 8 |
                             static_cast<uint32_t>(lead[6]) << 16 |
                             static_cast<uint32_t>(lead[7]) << 24;
        const bool big = (toc & kTocBigEndian) != 0;
        Cursor head(lead + 8, kLeadIn - 8, big);
        uint32_t version;
        uint64_t next, rawOffset;
        head.U32(version);
        head.U64(next);
        head.U64(rawOffset);
        if (version != 4712 && version != 4713)
            return Fail("version " + std::to_string(version) + " is not supported (4712, 4713).");
        const uint64_t bodyStart = pos + kLeadIn;
        const uint64_t available = size - bodyStart;
        // A writer that stopped mid-segment leaves the offset all ones, or
        // one past the end of what it wrote.
        const bool cut = next == ~uint64_t{0} || next > available;
        const uint64_t body = cut ? available : next;
        if (rawOffset > body) {
            if (!cut) return Fail("its raw data would start past its end.");
            notes_.push_back("The last segment (" + std::to_string(segment_) +
                             ") was cut short inside its metadata, as by a crash while writing; "
                             "it was ignored.");
            break;
        }
        if (toc & kTocMetaData) {
            const unsigned char* meta = file_.At(bodyStart, static_cast<size_t>(rawOffset));
            if (!meta && rawOffset > 0) return Fail("cannot be read: " + file_.ReadError() + ".");
            if (!ReadMetadata(meta, static_cast<size_t>(rawOffset), toc)) return false;
        }
        if (toc & kTocRawData) {
            if (!LayOut(toc, bodyStart + rawOffset, body - rawOffset, cut)) return false;
        }
        if (cut) break;
        pos = bodyStart + next;
    }
    result.notes.insert(result.notes.end(), notes_.begin(), notes_.end());
    notes_.clear();
    return true;
}

bool TdmsReader::ReadMetadata(const unsigned char* p, size_t n, uint32_t toc) {
    const bool big = (toc & kTocBigEndian) != 0;
    Cursor in(p, n, big);
    uint32_t count;
    if (!in.U32(count)) return Fail("the metadata is too short to hold its object count.");
    if (toc & kTocNewObjList) list_.clear();
    for (uint32_t k = 0; k < count; ++k)
        if (!ReadObject(in, k)) return false;
    return true;
}

bool TdmsReader::ReadObject(Cursor& in, uint32_t k) {
    const std::string where = "object " + std::to_string(k + 1);
    std::string path;
    if (!in.Text(path)) return Fail("the metadata ends inside the path of " + where + ".");
    auto found = byPath_.find(path);
    int object;
    if (found != byPath_.end()) {
        object = found->second;
    } else {
        std::vector<std::string> names;
        if (!SplitPath(path, names))
            return Fail(where + ": \"" + path + "\" is not an object path.");
        Object o;
        o.path = path;
        if (!names.empty()) o.group = names[0];
        if (names.size() > 1) o.channel = names[1];
        object = static_cast<int>(objects_.size());
        objects_.push_back(std::move(o));
        byPath_.emplace(path, object);
    }
    uint32_t length;
    if (!in.U32(length))
        return Fail("the metadata ends inside " + where + " " + Label(object) + ".");
    auto inList = std::find_if(list_.begin(), list_.end(),
                               [&](const Entry& e) { return e.object == object; });
    Entry entry;
    entry.object = object;
    if (!ReadIndex(in, length, object, entry)) return false;
    if (inList != list_.end())
        *inList = std::move(entry);
    else
        list_.push_back(std::move(entry));
    uint32_t properties;
    if (!in.U32(properties))
        return Fail("the metadata ends inside " + where + " " + Label(object) + ".");
    for (uint32_t i = 0; i < properties; ++i)
        if (!ReadProperty(in, object, i)) return false;
    return true;
}

bool TdmsReader::ReadIndex(Cursor& in, uint32_t length, int object, Entry& entry) {
    Object& o = objects_[object];
    if (length == kNoData) return true;
    entry.hasData = true;
    if (length == kSameAsBefore) {
        if (!o.indexed)
            return Fail(Label(object) + " repeats a raw-data index it was never given.");
        entry.index = o.index;
        return true;
    }
    RawIndex index;
    if (length == kDaqmxFormatChanging || length == kDaqmxDigitalLine) {
        if (!ReadDaqmxIndex(in, length, object, index)) return false;
    } else {
        uint32_t dimension = 0;
        if (length < 20 || !in.Left(length - 4))
            return Fail(Label(object) + ": its raw-data index is malformed (length " +
                        std::to_string(length) + ").");
        in.U32(index.type);
        in.U32(dimension);
        in.U64(index.count);
        if (dimension != 1)
            return Fail(Label(object) + ": array dimension " + std::to_string(dimension) +
                        " (only 1 is defined).");
        size_t rest = length - 20;
        // A string index carries the byte count of its raw data after the
        // value count, whatever its length field says: some writers give the
        // 20 of a numeric index and still write the count.
        if (index.type == kString) {
            if (!in.U64(index.bytes))
                return Fail(Label(object) + ": its string index lacks the byte count.");
            rest = rest >= 8 ? rest - 8 : 0;
        }
        in.Skip(rest);
    }
    o.indexed = true;
    o.index = index;
    entry.index = std::move(index);
    return true;
}

bool TdmsReader::ReadDaqmxIndex(Cursor& in, uint32_t kind, int object, RawIndex& index) {
    const std::string fault = Label(object) + ": its DAQmx raw-data index is cut short.";
    uint32_t dimension = 0, scalers = 0, widths = 0;
    index.daqmx = true;
    if (!in.U32(index.type) || !in.U32(dimension) || !in.U64(index.count) || !in.U32(scalers))
        return Fail(fault);
    const size_t scalerBytes = kind == kDaqmxDigitalLine ? 17 : 20;
    if (!in.Left(uint64_t{scalers} * scalerBytes)) return Fail(fault);
    for (uint32_t i = 0; i < scalers; ++i) {
        DaqmxScaler s;
        uint32_t format = 0;
        uint8_t bitmap = 0;
        s.digital = kind == kDaqmxDigitalLine;
        in.U32(s.type);
        in.U32(s.buffer);
        in.U32(s.offset);
        if (s.digital)
            in.U8(bitmap);
        else
            in.U32(format);
        in.U32(s.scaleId);
        index.scalers.push_back(s);
    }
    if (!in.U32(widths) || !in.Left(uint64_t{widths} * 4)) return Fail(fault);
    index.widths.resize(widths);
    for (uint32_t& w : index.widths) in.U32(w);
    return true;
}

bool TdmsReader::ReadProperty(Cursor& in, int object, uint32_t k) {
    Property p;
    const std::string fault =
        "the metadata ends inside property " + std::to_string(k + 1) + " of " + Label(object) + ".";
    if (!in.Text(p.name) || !in.U32(p.type)) return Fail(fault);
    if (p.type == kString) {
        if (!in.Text(p.text)) return Fail(fault);
    } else if (p.type == kTimestamp) {
        if (!in.Time(p.time)) return Fail(fault);
    } else if (TypeWidth(p.type) == 0) {
        return Fail("property \"" + p.name + "\" of " + Label(object) + " is of " +
                    TypeName(p.type) + ", which has no known size.");
    } else if (!in.Number(p.type, p.number)) {
        // Complex and extended values are kept by name only.
        if (!in.Skip(TypeWidth(p.type))) return Fail(fault);
    }
    std::vector<Property>& props = objects_[object].properties;
    auto same = std::find_if(props.begin(), props.end(),
                             [&](const Property& q) { return q.name == p.name; });
    if (same != props.end())
        *same = std::move(p);
    else
        props.push_back(std::move(p));
    return true;
}

// Bytes per chunk of n values of width w, or false when it overflows.
bool Product(uint64_t n, uint64_t w, uint64_t& out) {
    return !__builtin_mul_overflow(n, w, &out);
}

bool TdmsReader::DaqmxRuns(const std::vector<const Entry*>& data, std::vector<Run>& runs,
                           uint64_t& chunkBytes) {
    const RawIndex& first = data[0]->index;
    std::vector<uint64_t> runOffset(first.widths.size());
    chunkBytes = 0;
    for (size_t b = 0; b < first.widths.size(); ++b) {
        Run run;
        run.offset = chunkBytes;
        run.records = first.count;
        run.recordBytes = first.widths[b];
        uint64_t bytes;
        if (!Product(first.count, first.widths[b], bytes) ||
            __builtin_add_overflow(chunkBytes, bytes, &chunkBytes))
            return Fail("its DAQmx raw buffers declare more bytes than a file can hold.");
        runs.push_back(std::move(run));
    }
    for (const Entry* e : data) {
        const RawIndex& ix = e->index;
        if (!ix.daqmx || ix.count != first.count || ix.widths != first.widths)
            return Fail(Label(e->object) + " does not share the DAQmx layout of " +
                        Label(data[0]->object) + ".");
        for (const DaqmxScaler& s : ix.scalers) {
            const uint32_t type = DaqmxType(s.type);
            const uint64_t width = s.digital ? 1 : TypeWidth(type);
            const uint64_t end = s.digital ? s.offset / 8 + 1 : uint64_t{s.offset} + width;
            if (s.buffer >= runs.size() || width == 0 || end > runs[s.buffer].recordBytes)
                return Fail(Label(e->object) + ": a DAQmx scaler lies outside its raw buffer.");
            Slot slot;
            slot.object = e->object;
            slot.type = s.digital ? kU8 : type;
            slot.width = static_cast<uint32_t>(width);
            slot.offset = s.digital ? s.offset / 8 : s.offset;
            slot.bit = s.digital ? s.offset % 8 : 0;
            slot.count = 1;
            slot.digital = s.digital;
            slot.scaleId = s.scaleId;
            runs[s.buffer].slots.push_back(slot);
        }
    }
    return true;
}

bool TdmsReader::PlainRun(const std::vector<const Entry*>& data, bool interleaved, Run& run,
                          uint64_t& chunkBytes) {
    run.records = interleaved ? data[0]->index.count : 1;
    for (const Entry* e : data) {
        const RawIndex& ix = e->index;
        if (ix.daqmx)
            return Fail(Label(e->object) + " mixes DAQmx and plain raw data in one segment.");
        const uint32_t width = TypeWidth(ix.type);
        uint64_t bytes = ix.bytes;
        if (ix.type != kString && ix.count > 0 && width == 0 && ix.type != kVoid)
            return Fail(Label(e->object) + " holds values of " + TypeName(ix.type) +
                        ", whose size is not known.");
        if (ix.type != kString && !Product(ix.count, width, bytes))
            return Fail(Label(e->object) + " declares more values than a file can hold.");
        if (interleaved && ix.type == kString)
            return Fail(Label(e->object) + ": strings cannot be interleaved.");
        if (interleaved && ix.count != data[0]->index.count)
            return Fail("its interleaved channels declare different value counts.");
        Object& o = objects_[e->object];
        if (ix.type == kString && (ix.count > 0 || ix.bytes > 0))
            o.skipWhy = "string";
        else if (ix.type != kVoid && ix.count > 0 && !IsNumeric(ix.type))
            o.skipWhy = TypeName(ix.type);
        if (ix.type != kString && ix.type != kVoid) {
            Slot slot;
            slot.object = e->object;
            slot.type = ix.type;
            slot.width = width;
            slot.offset = run.recordBytes;
            slot.count = interleaved ? 1 : ix.count;
            run.slots.push_back(slot);
        }
        if (__builtin_add_overflow(run.recordBytes, interleaved ? width : bytes, &run.recordBytes))
            return Fail("its channels declare more bytes than a file can hold.");
    }
    if (!Product(run.records, run.recordBytes, chunkBytes))
        return Fail("its channels declare more bytes than a file can hold.");
    return true;
}

bool TdmsReader::LayOut(uint32_t toc, uint64_t dataStart, uint64_t dataBytes, bool cut) {
    std::vector<const Entry*> data;
    for (const Entry& e : list_)
        if (e.hasData) data.push_back(&e);
    auto runs = std::make_shared<std::vector<Run>>();
    uint64_t chunkBytes = 0;
    if (!data.empty() && data[0]->index.daqmx) {
        if (!DaqmxRuns(data, *runs, chunkBytes)) return false;
    } else if (!data.empty()) {
        runs->emplace_back();
        if (!PlainRun(data, (toc & kTocInterleaved) != 0, runs->back(), chunkBytes)) return false;
    }
    if (chunkBytes == 0) {
        if (dataBytes > 0)
            notes_.push_back("Segment " + std::to_string(segment_) + ": " +
                             std::to_string(dataBytes) +
                             " bytes of raw data belong to no channel; they were ignored.");
        return true;
    }
    Block block;
    block.segment = segment_;
    block.offset = dataStart;
    block.chunks = dataBytes / chunkBytes;
    block.chunkBytes = chunkBytes;
    block.bigEndian = (toc & kTocBigEndian) != 0;
    if (const uint64_t rest = dataBytes % chunkBytes; rest != 0) {
        notes_.push_back(
            cut ? "The last segment (" + std::to_string(segment_) +
                      ") was cut short, as by a crash while writing: its " +
                      std::to_string(block.chunks) + " complete chunks were kept and the " +
                      std::to_string(rest) + " bytes after them dropped."
                : "Segment " + std::to_string(segment_) + ": the " + std::to_string(rest) +
                      " bytes after its last whole chunk were ignored.");
    }
    // A single run of whole chunks reads as one run of all their records.
    if (runs->size() == 1 && block.chunks > 1) {
        Run& r = runs->front();
        if (r.records == 1 || std::all_of(r.slots.begin(), r.slots.end(),
                                          [](const Slot& s) { return s.count == 1; })) {
            r.records *= block.chunks;
            block.chunkBytes *= block.chunks;
            block.chunks = 1;
        }
    }
    for (const Run& r : *runs)
        for (const Slot& s : r.slots)
            objects_[s.object].values += s.count * r.records * block.chunks;
    block.runs = std::move(runs);
    if (block.chunks > 0) blocks_.push_back(std::move(block));
    return true;
}

// Days of an automation date from a TDMS time; false outside the years
// the host can show.
bool ToDate(const Timestamp& t, double offsetSeconds, double& date) {
    constexpr double kDays1904 = 1462.0;  // 1 January 1904 as an automation date
    const double seconds =
        static_cast<double>(t.seconds) + static_cast<double>(t.fraction) * 0x1p-64 + offsetSeconds;
    date = kDays1904 + seconds / 86400.0;
    return std::isfinite(date) && date >= 1.0 && date < 2958466.0;
}

std::string TextProperty(const Object& o, const char* name) {
    const Property* p = o.Find(name);
    return p && p->type == kString ? p->text : std::string();
}

// "a, b, c" of at most a few names, then how many more.
std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < 8; ++i)
        text += (i ? ", \"" : "\"") + names[i] + "\"";
    if (names.size() > 8) text += " and " + std::to_string(names.size() - 8) + " more";
    return text;
}

struct Notes {
    std::vector<std::string> noStep, noValues, strings, renamedGroups;
};

// Name, folder, unit and time axis of a channel from its properties.
SignalData Describe(const Object& o, const std::vector<Object>& objects,
                    const std::unordered_map<std::string, int>& groups, Notes& notes,
                    std::vector<std::string>& out) {
    SignalData s;
    s.name = TextProperty(o, "name");
    if (s.name.empty()) s.name = o.channel;
    std::string folder = o.group;
    if (auto g = groups.find(o.group); g != groups.end()) {
        const std::string renamed = TextProperty(objects[g->second], "name");
        if (!renamed.empty()) folder = renamed;
    }
    // "/" separates host folders, and "." and ".." or a zero byte name none.
    const bool slash = folder.find('/') != std::string::npos;
    if (slash || folder.find('\0') != std::string::npos || folder == "." || folder == "..") {
        const std::string given = folder;
        std::replace(folder.begin(), folder.end(), '/', '_');
        std::replace(folder.begin(), folder.end(), '\0', '_');
        if (folder == "." || folder == "..") folder.assign(folder.size(), '_');
        if (std::find(notes.renamedGroups.begin(), notes.renamedGroups.end(), given) ==
            notes.renamedGroups.end()) {
            notes.renamedGroups.push_back(given);
            out.push_back(
                "Group \"" + given + "\" is the folder \"" + folder +
                "\": " + (slash ? "\"/\" separates host folders." : "no host folder is named so."));
        }
    }
    s.folder = folder;
    s.unit = TextProperty(o, "unit_string");
    if (s.unit.empty()) s.unit = TextProperty(o, "NI_UnitDescription");
    const Property* step = o.Find("wf_increment");
    if (step && step->IsNumber() && std::isfinite(step->number) && step->number > 0) {
        s.stepX = step->number;
    } else {
        s.stepX = 1.0;
        notes.noStep.push_back(o.group + "/" + o.channel);
    }
    const Property* offset = o.Find("wf_start_offset");
    const double startOffset =
        offset && offset->IsNumber() && std::isfinite(offset->number) ? offset->number : 0.0;
    const Property* start = o.Find("wf_start_time");
    double date = 0.0;
    if (start && start->type == kTimestamp && !start->time.IsZero() &&
        ToDate(start->time, startOffset, date))
        s.startTime = date;
    else
        s.startX = startOffset;
    if (o.index.type == kTimestamp) s.unit = "s";
    // Older writers put texts in the system's code page.
    s.name = text::Utf8(s.name);
    s.folder = text::Utf8(s.folder);
    s.unit = text::Utf8(s.unit);
    return s;
}

}  // namespace

FileResult ReadTdms(const std::string& path, DataSet& out, SampleSink* sink) {
    FileResult result;
    FileSource file;
    if (!file.Open(path, result.message)) return result;
    TdmsReader reader(path, file);
    if (!reader.Scan(result)) {
        result.message = reader.Message();
        return result;
    }
    std::vector<Object>& objects = reader.Objects();
    std::unordered_map<std::string, int> groups;
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].channel.empty() && !objects[i].group.empty())
            groups.emplace(objects[i].group, static_cast<int>(i));

    DataSet loaded;
    Notes notes;
    std::vector<Sink> sinks(objects.size());
    std::vector<int> owner;  // object of each signal
    for (size_t i = 0; i < objects.size(); ++i) {
        const Object& o = objects[i];
        if (o.channel.empty()) continue;
        const std::string label = o.group + "/" + o.channel;
        if (o.skipWhy == "string") {
            notes.strings.push_back(label);
            continue;
        }
        if (!o.skipWhy.empty()) {
            result.notes.push_back("Skipped channel \"" + label + "\": its values are " +
                                   o.skipWhy + ", which this reader does not load.");
            continue;
        }
        if (o.values == 0) {
            notes.noValues.push_back(label);
            continue;
        }
        std::string why;
        if (!BuildScaleChain(o, sinks[i], why)) {
            result.notes.push_back("Skipped channel \"" + label + "\": " + why + ".");
            sinks[i] = Sink();
            continue;
        }
        loaded.signals.push_back(Describe(o, objects, groups, notes, result.notes));
        owner.push_back(static_cast<int>(i));
    }
    if (!notes.strings.empty())
        result.notes.push_back(
            "Skipped string channels (text, not samples): " + NameList(notes.strings) + ".");
    if (!notes.noValues.empty())
        result.notes.push_back("Skipped channels without values: " + NameList(notes.noValues) +
                               ".");
    if (!notes.noStep.empty())
        result.notes.push_back("No wf_increment, so a step of 1: " + NameList(notes.noStep) + ".");
    if (loaded.signals.empty()) {
        result.message = "Cannot read \"" + path + "\": it holds no numeric channel with values.";
        return result;
    }
    for (size_t k = 0; k < owner.size(); ++k) sinks[owner[k]].samples = &loaded.signals[k].samples;
    std::vector<uint64_t> counts;
    CountValues(reader.Blocks(), sinks, counts);
    for (size_t k = 0; k < owner.size(); ++k) {
        Sink& to = sinks[owner[k]];
        if (sink) {
            to.out = sink;
            to.samples = nullptr;
            to.signal = sink->Declare(loaded.signals[k], counts[owner[k]]);
        } else {
            ReserveSamples(loaded.signals[k].samples, static_cast<size_t>(counts[owner[k]]));
        }
    }
    std::string error;
    if (!ReadValues(file, reader.Blocks(), sinks, error)) {
        result.message = "Cannot read \"" + path + "\": " + error;
        return result;
    }
    if (sink) loaded.signals.clear();
    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

}  // namespace korvex
