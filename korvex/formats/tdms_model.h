#pragma once
// What the TDMS reader keeps of a file between its passes: the objects with
// their properties, and where each channel's values lie in the raw data.
// Internal to korvex/formats/tdms*.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::tdms {

// Data types as the files give them.
enum Type : uint32_t {
    kVoid = 0,
    kI8 = 1,
    kI16 = 2,
    kI32 = 3,
    kI64 = 4,
    kU8 = 5,
    kU16 = 6,
    kU32 = 7,
    kU64 = 8,
    kSingle = 9,
    kDouble = 10,
    kExtended = 11,
    kSingleWithUnit = 0x19,
    kDoubleWithUnit = 0x1A,
    kExtendedWithUnit = 0x1B,
    kString = 0x20,
    kBoolean = 0x21,
    kTimestamp = 0x44,
    kFixedPoint = 0x4F,
    kComplexSingle = 0x08000C,
    kComplexDouble = 0x10000D,
    kDaqmxRaw = 0xFFFFFFFF,
};

// Bytes of one value; 0 for strings and types whose size is not known.
uint32_t TypeWidth(uint32_t type);
// Whether values of the type become signal samples.
bool IsNumeric(uint32_t type);
std::string TypeName(uint32_t type);

// Seconds since 1 January 1904 UTC and 2^-64 fractions of a second.
struct Timestamp {
    int64_t seconds = 0;
    uint64_t fraction = 0;
    bool IsZero() const { return seconds == 0 && fraction == 0; }
};

struct Property {
    std::string name;
    uint32_t type = 0;
    double number = 0.0;  // numbers and booleans
    std::string text;     // strings
    Timestamp time;       // timestamps
    bool IsNumber() const { return type != kString && type != kTimestamp; }
};

// Where a DAQmx channel's raw value sits in a sample of a raw buffer.
struct DaqmxScaler {
    uint32_t type = 0;     // TDMS type of the raw value
    uint32_t buffer = 0;   // raw buffer index
    uint32_t offset = 0;   // bytes into the sample; bits for a digital line
    uint32_t scaleId = 0;  // the scale that takes this raw value
    bool digital = false;
};

struct RawIndex {
    uint32_t type = 0;
    uint64_t count = 0;  // values per chunk
    uint64_t bytes = 0;  // strings: bytes per chunk
    bool daqmx = false;
    std::vector<DaqmxScaler> scalers;
    std::vector<uint32_t> widths;  // DAQmx: bytes of a sample of each raw buffer
};

struct Object {
    std::string path;
    std::string group;    // decoded name; empty for the file object
    std::string channel;  // decoded name; empty for file and group objects
    std::vector<Property> properties;
    bool indexed = false;  // an index was given, which "same as before" repeats
    RawIndex index;
    uint64_t values = 0;  // values the raw data holds for it
    std::string skipWhy;  // why its values are not loaded; "" when they are

    const Property* Find(std::string_view name) const {
        for (const Property& p : properties)
            if (p.name == name) return &p;
        return nullptr;
    }
};

// A channel's values in a record of raw data: count values one after
// another from offset (count is 1 when channels are interleaved).
struct Slot {
    int object = -1;
    uint32_t type = 0;
    uint32_t width = 0;
    uint64_t offset = 0;
    uint64_t count = 0;
    bool digital = false;  // a DAQmx digital line: the value is bit `bit` of the byte at offset
    uint32_t bit = 0;
    uint32_t scaleId = 0;
};

// Records of the same layout one after another.
struct Run {
    uint64_t offset = 0;  // from the start of the chunk
    uint64_t records = 0;
    uint64_t recordBytes = 0;
    std::vector<Slot> slots;
};

// The raw data of one segment: chunks of the same runs.
struct Block {
    int segment = 0;
    uint64_t offset = 0;  // in the file
    uint64_t chunks = 0;
    uint64_t chunkBytes = 0;
    bool bigEndian = false;
    std::shared_ptr<const std::vector<Run>> runs;
};

}  // namespace korvex::tdms
