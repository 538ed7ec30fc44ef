// Raw values of a TDMS file into the signals: each window of the file is
// decoded straight into the arrays, whatever the layout (contiguous chunks,
// interleaved samples, DAQmx raw buffers) and byte order.

#include "korvex/formats/tdms_data.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace korvex::tdms {

namespace {

inline uint16_t Swap(uint16_t v) {
    return __builtin_bswap16(v);
}
inline uint32_t Swap(uint32_t v) {
    return __builtin_bswap32(v);
}
inline uint64_t Swap(uint64_t v) {
    return __builtin_bswap64(v);
}

template <class T>
struct Bits;
template <>
struct Bits<int8_t> {
    using U = uint8_t;
};
template <>
struct Bits<uint8_t> {
    using U = uint8_t;
};
template <>
struct Bits<int16_t> {
    using U = uint16_t;
};
template <>
struct Bits<uint16_t> {
    using U = uint16_t;
};
template <>
struct Bits<int32_t> {
    using U = uint32_t;
};
template <>
struct Bits<uint32_t> {
    using U = uint32_t;
};
template <>
struct Bits<float> {
    using U = uint32_t;
};
template <>
struct Bits<int64_t> {
    using U = uint64_t;
};
template <>
struct Bits<uint64_t> {
    using U = uint64_t;
};
template <>
struct Bits<double> {
    using U = uint64_t;
};

template <class T, bool Big>
void Load(const unsigned char* p, size_t n, size_t stride, double* out) {
    using U = typename Bits<T>::U;
    for (size_t i = 0; i < n; ++i, p += stride) {
        U u;
        std::memcpy(&u, p, sizeof u);
        if constexpr (Big && sizeof(U) > 1) u = Swap(u);
        out[i] = static_cast<double>(std::bit_cast<T>(u));
    }
}

using LoadFn = void (*)(const unsigned char*, size_t, size_t, double*);

template <bool Big>
LoadFn Loader(uint32_t type) {
    switch (type) {
        case kI8:
            return Load<int8_t, Big>;
        case kI16:
            return Load<int16_t, Big>;
        case kI32:
            return Load<int32_t, Big>;
        case kI64:
            return Load<int64_t, Big>;
        case kU8:
        case kBoolean:
            return Load<uint8_t, Big>;
        case kU16:
            return Load<uint16_t, Big>;
        case kU32:
            return Load<uint32_t, Big>;
        case kU64:
            return Load<uint64_t, Big>;
        case kSingle:
        case kSingleWithUnit:
            return Load<float, Big>;
        case kDouble:
        case kDoubleWithUnit:
            return Load<double, Big>;
        default:
            return nullptr;
    }
}

Timestamp LoadTime(const unsigned char* p, bool big) {
    uint64_t a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    Timestamp t;
    if (big) {
        t.seconds = static_cast<int64_t>(Swap(a));
        t.fraction = Swap(b);
    } else {
        t.fraction = a;
        t.seconds = static_cast<int64_t>(b);
    }
    return t;
}

// Seconds from origin to t, exact to the double's precision.
double SecondsSince(const Timestamp& origin, const Timestamp& t) {
    const double whole = static_cast<double>(t.seconds) - static_cast<double>(origin.seconds);
    const double fraction =
        (static_cast<double>(t.fraction) - static_cast<double>(origin.fraction)) * 0x1p-64;
    return whole + fraction;
}

constexpr size_t kBatch = 4096;

void Scale(const Sink& sink, double* v, size_t n) {
    for (const ScaleStep& step : sink.steps) {
        if (step.coefficients.empty()) {
            const double a = step.slope, b = step.intercept;
            for (size_t i = 0; i < n; ++i) v[i] = a * v[i] + b;
            continue;
        }
        const std::vector<double>& c = step.coefficients;
        for (size_t i = 0; i < n; ++i) {
            double y = 0.0;
            for (size_t k = c.size(); k-- > 0;) y = y * v[i] + c[k];
            v[i] = y;
        }
    }
}

// n values of the slot from p, stride bytes apart, onto the sink's array.
void Append(Sink& sink, const Slot& slot, const unsigned char* p, size_t n, size_t stride,
            bool big) {
    double batch[kBatch];
    const LoadFn load = big ? Loader<true>(slot.type) : Loader<false>(slot.type);
    while (n > 0) {
        const size_t m = std::min(n, kBatch);
        if (slot.digital) {
            for (size_t i = 0; i < m; ++i) batch[i] = (p[i * stride] >> slot.bit) & 1;
        } else if (slot.type == kTimestamp) {
            for (size_t i = 0; i < m; ++i) {
                const Timestamp t = LoadTime(p + i * stride, big);
                if (!sink.haveOrigin) {
                    sink.origin = t;
                    sink.haveOrigin = true;
                }
                batch[i] = SecondsSince(sink.origin, t);
            }
        } else if (load) {
            load(p, m, stride, batch);
        } else {
            std::fill(batch, batch + m, std::nan(""));
        }
        Scale(sink, batch, m);
        if (sink.out)
            sink.out->Put(sink.signal, batch, m);
        else
            sink.samples->insert(sink.samples->end(), batch, batch + m);
        p += m * stride;
        n -= m;
    }
}

bool ReadRun(FileSource& file, uint64_t start, const Run& run, const std::vector<const Slot*>& used,
             bool big, std::vector<Sink>& sinks, std::string& error) {
    const uint64_t width = run.recordBytes;
    auto fetch = [&](uint64_t offset, size_t n) {
        const unsigned char* p = file.At(offset, n);
        if (!p)
            error = "the raw data at byte " + std::to_string(offset) + " cannot be read" +
                    (file.ReadError().empty() ? std::string() : ": " + file.ReadError());
        return p;
    };
    if (width <= file.Window()) {
        const uint64_t per = file.Window() / width;
        for (uint64_t first = 0; first < run.records; first += per) {
            const size_t m = static_cast<size_t>(std::min(per, run.records - first));
            const unsigned char* p = fetch(start + first * width, m * width);
            if (!p) return false;
            for (const Slot* s : used) {
                Sink& sink = sinks[s->object];
                if (s->count == 1) {
                    Append(sink, *s, p + s->offset, m, width, big);
                    continue;
                }
                for (size_t r = 0; r < m; ++r)
                    Append(sink, *s, p + r * width + s->offset, s->count, s->width, big);
            }
        }
        return true;
    }
    // Records wider than a window: each channel's values in pieces.
    for (uint64_t r = 0; r < run.records; ++r) {
        for (const Slot* s : used) {
            const uint64_t per = file.Window() / s->width;
            for (uint64_t done = 0; done < s->count; done += per) {
                const size_t k = static_cast<size_t>(std::min(per, s->count - done));
                const unsigned char* p =
                    fetch(start + r * width + s->offset + done * s->width, k * s->width);
                if (!p) return false;
                Append(sinks[s->object], *s, p, k, s->width, big);
            }
        }
    }
    return true;
}

std::string ScaleKey(size_t index, const std::string& field) {
    return "NI_Scale[" + std::to_string(index) + "]_" + field;
}

}  // namespace

uint32_t TypeWidth(uint32_t type) {
    switch (type) {
        case kI8:
        case kU8:
        case kBoolean:
            return 1;
        case kI16:
        case kU16:
            return 2;
        case kI32:
        case kU32:
        case kSingle:
        case kSingleWithUnit:
            return 4;
        case kI64:
        case kU64:
        case kDouble:
        case kDoubleWithUnit:
        case kComplexSingle:
            return 8;
        case kTimestamp:
        case kComplexDouble:
        case kExtended:
        case kExtendedWithUnit:
            return 16;
        default:
            return 0;
    }
}

bool IsNumeric(uint32_t type) {
    return (type >= kI8 && type <= kDouble) || type == kSingleWithUnit || type == kDoubleWithUnit ||
           type == kBoolean || type == kTimestamp;
}

std::string TypeName(uint32_t type) {
    switch (type) {
        case kString:
            return "string";
        case kExtended:
        case kExtendedWithUnit:
            return "extended-precision float";
        case kComplexSingle:
        case kComplexDouble:
            return "complex";
        case kFixedPoint:
            return "fixed-point";
        case kVoid:
            return "void";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "0x%X", type);
            return std::string("type ") + text;
        }
    }
}

bool BuildScaleChain(const Object& channel, Sink& sink, std::string& why) {
    sink.steps.clear();
    sink.daqmx = channel.index.daqmx;
    if (sink.daqmx && !channel.index.scalers.empty())
        sink.rawScale = channel.index.scalers[0].scaleId;
    const Property* status = channel.Find("NI_Scaling_Status");
    const Property* count = channel.Find("NI_Number_Of_Scales");
    if (!status || status->text != "unscaled" || !count || !count->IsNumber()) return true;
    const double scales = count->number;
    if (!(scales >= 1 && scales <= 1000)) return true;
    // From the last scale down its inputs to the raw values; a scale with
    // no type is the raw input itself.
    std::vector<ScaleStep> down;
    double index = scales - 1;
    for (size_t guard = 0;; ++guard) {
        const size_t k = static_cast<size_t>(index);
        const Property* type = channel.Find(ScaleKey(k, "Scale_Type"));
        if (!type || type->type != kString) {
            if (sink.daqmx)
                for (const DaqmxScaler& s : channel.index.scalers)
                    if (s.scaleId == k) sink.rawScale = s.scaleId;
            break;
        }
        if (guard >= static_cast<size_t>(scales)) {
            why = "its NI_Scale chain loops";
            return false;
        }
        auto number = [&](const std::string& field, double fallback) {
            const Property* p = channel.Find(ScaleKey(k, field));
            return p && p->IsNumber() ? p->number : fallback;
        };
        ScaleStep step;
        const std::string& kind = type->text;
        if (kind == "Linear") {
            step.slope = number("Linear_Slope", 1.0);
            step.intercept = number("Linear_Y_Intercept", 0.0);
        } else if (kind == "Polynomial") {
            const double n = number("Polynomial_Coefficients_Size", 0.0);
            if (!(n >= 1 && n <= 64)) {
                why =
                    "its polynomial scale NI_Scale[" + std::to_string(k) + "] has no coefficients";
                return false;
            }
            for (size_t i = 0; i < static_cast<size_t>(n); ++i)
                step.coefficients.push_back(
                    number("Polynomial_Coefficients[" + std::to_string(i) + "]", 0.0));
        } else {
            why = "its scale NI_Scale[" + std::to_string(k) + "] is of type \"" + kind +
                  "\", which this reader does not apply";
            return false;
        }
        down.push_back(std::move(step));
        const double source = number(kind + "_Input_Source", -1.0);
        if (!(source >= 0 && source < scales) || source == index) {
            // No source, or one out of range: the raw values.
            if (sink.daqmx && source >= 0)
                for (const DaqmxScaler& s : channel.index.scalers)
                    if (s.scaleId == source) sink.rawScale = s.scaleId;
            break;
        }
        index = std::floor(source);
    }
    sink.steps.assign(down.rbegin(), down.rend());
    return true;
}

void CountValues(const std::vector<Block>& blocks, const std::vector<Sink>& sinks,
                 std::vector<uint64_t>& counts) {
    counts.assign(sinks.size(), 0);
    for (const Block& b : blocks)
        for (const Run& r : *b.runs)
            for (const Slot& s : r.slots)
                if (sinks[s.object].Takes(s)) counts[s.object] += s.count * r.records * b.chunks;
}

bool ReadValues(FileSource& file, const std::vector<Block>& blocks, std::vector<Sink>& sinks,
                std::string& error) {
    file.ExpectSequential();
    file.SetWindow(FileSource::kCachedWindow);
    SampleSink* out = nullptr;
    for (const Sink& s : sinks)
        if (s.out) out = s.out;
    for (const Block& b : blocks) {
        if (out && out->Failed()) {
            error = "its values could not be passed on.";
            return false;
        }
        std::vector<std::vector<const Slot*>> used(b.runs->size());
        for (size_t i = 0; i < b.runs->size(); ++i)
            for (const Slot& s : (*b.runs)[i].slots)
                if (sinks[s.object].Takes(s)) used[i].push_back(&s);
        for (uint64_t c = 0; c < b.chunks; ++c) {
            const uint64_t chunk = b.offset + c * b.chunkBytes;
            for (size_t i = 0; i < b.runs->size(); ++i) {
                if (used[i].empty()) continue;
                const Run& run = (*b.runs)[i];
                if (!ReadRun(file, chunk + run.offset, run, used[i], b.bigEndian, sinks, error)) {
                    error = "segment " + std::to_string(b.segment) + ": " + error + ".";
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace korvex::tdms
