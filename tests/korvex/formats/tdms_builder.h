#pragma once
// TDMS files built byte by byte for the tests, in either byte order.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tdmstest {

constexpr uint32_t kMeta = 1u << 1, kNewList = 1u << 2, kRaw = 1u << 3, kInterleaved = 1u << 5,
                   kBig = 1u << 6, kDaqmx = 1u << 7;

class Builder {
  public:
    explicit Builder(bool big = false) : big_(big) {}

    std::string U32(uint32_t v) const { return Bytes(v, 4); }
    std::string U64(uint64_t v) const { return Bytes(v, 8); }
    std::string Text(const std::string& s) const {
        return U32(static_cast<uint32_t>(s.size())) + s;
    }
    template <class T>
    std::string Value(T v) const {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        return Bytes(bits, sizeof v);
    }
    std::string Time(int64_t seconds, uint64_t fraction) const {
        return big_ ? U64(static_cast<uint64_t>(seconds)) + U64(fraction)
                    : U64(fraction) + U64(static_cast<uint64_t>(seconds));
    }

    // Raw-data indexes: plain values, strings, DAQmx format-changing scalers
    // (type, buffer, byte offset, scale id) with the raw buffer widths.
    std::string Index(uint32_t type, uint64_t count) const {
        return U32(20) + U32(type) + U32(1) + U64(count);
    }
    // length: the index's own length field, 28; some writers give 20.
    std::string StringIndex(uint64_t count, uint64_t bytes, uint32_t length = 28) const {
        return U32(length) + U32(0x20) + U32(1) + U64(count) + U64(bytes);
    }
    struct Scaler {
        uint32_t type, buffer, offset, scaleId;
    };
    std::string DaqmxIndex(uint64_t count, const std::vector<Scaler>& scalers,
                           const std::vector<uint32_t>& widths, bool digital = false) const {
        std::string s = U32(digital ? 0x126A : 0x1269) + U32(0xFFFFFFFF) + U32(1) + U64(count) +
                        U32(static_cast<uint32_t>(scalers.size()));
        for (const Scaler& c : scalers)
            s += U32(c.type) + U32(c.buffer) + U32(c.offset) +
                 (digital ? std::string(1, '\0') : U32(0)) + U32(c.scaleId);
        s += U32(static_cast<uint32_t>(widths.size()));
        for (uint32_t w : widths) s += U32(w);
        return s;
    }
    static constexpr uint32_t kNoData = 0xFFFFFFFF, kSame = 0;

    // Properties.
    std::string Prop(const std::string& name, const std::string& text) const {
        return Text(name) + U32(0x20) + Text(text);
    }
    std::string Prop(const std::string& name, double v) const {
        return Text(name) + U32(10) + Value(v);
    }
    std::string PropU32(const std::string& name, uint32_t v) const {
        return Text(name) + U32(7) + U32(v);
    }
    std::string PropTime(const std::string& name, int64_t seconds, uint64_t fraction) const {
        return Text(name) + U32(0x44) + Time(seconds, fraction);
    }

    struct Object {
        std::string path;
        std::string index;  // U32(kNoData), U32(kSame) or one of the indexes
        std::vector<std::string> props;
    };
    std::string Metadata(const std::vector<Object>& objects) const {
        std::string m = U32(static_cast<uint32_t>(objects.size()));
        for (const Object& o : objects) {
            m += Text(o.path) + o.index + U32(static_cast<uint32_t>(o.props.size()));
            for (const std::string& p : o.props) m += p;
        }
        return m;
    }

    // Appends a segment; crashed leaves the next-segment offset all ones as
    // a writer that stopped does.
    void Segment(uint32_t toc, const std::vector<Object>& objects, const std::string& raw,
                 bool crashed = false) {
        const std::string meta = (toc & kMeta) ? Metadata(objects) : std::string();
        if (big_) toc |= kBig;
        std::string lead = "TDSm";
        for (int i = 0; i < 4; ++i) lead += static_cast<char>((toc >> (8 * i)) & 0xFF);
        lead +=
            U32(4713) + U64(crashed ? ~uint64_t{0} : meta.size() + raw.size()) + U64(meta.size());
        file += lead + meta + raw;
    }

    std::string file;

  private:
    std::string Bytes(uint64_t v, int n) const {
        std::string s(n, '\0');
        for (int i = 0; i < n; ++i)
            s[big_ ? n - 1 - i : i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    }
    bool big_;
};

}  // namespace tdmstest
