// Component-object stand-ins: result texts, class ids written and parsed, module paths.

#include "platform/com.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdio>

#include "platform/text.h"

namespace plat {

std::string HResultText(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(hr)));
    return buf;
}

std::string GuidToString(const Guid& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.data1), g.data2, g.data3, g.data4[0], g.data4[1],
                  g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return buf;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads n hex digits at text[pos].
bool Hex(std::string_view text, size_t pos, size_t n, uint64_t& out) {
    if (pos + n > text.size()) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        const int d = HexDigit(text[pos + i]);
        if (d < 0) return false;
        v = v << 4 | static_cast<uint64_t>(d);
    }
    out = v;
    return true;
}

}  // namespace

bool ParseGuid(std::string_view text, Guid& out) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return false;
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-')
        return false;
    Guid g;
    uint64_t v = 0;
    if (!Hex(text, 0, 8, v)) return false;
    g.data1 = static_cast<uint32_t>(v);
    if (!Hex(text, 9, 4, v)) return false;
    g.data2 = static_cast<uint16_t>(v);
    if (!Hex(text, 14, 4, v)) return false;
    g.data3 = static_cast<uint16_t>(v);
    const size_t bytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!Hex(text, bytePos[i], 2, v)) return false;
        g.data4[i] = static_cast<uint8_t>(v);
    }
    out = g;
    return true;
}

std::string ModulePathOf(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = DecodeUtf8(utf8, i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string FromUtf16(const char16_t* text) {
    std::string out;
    if (!text) return out;
    for (; *text; ++text) {
        char32_t c = *text;
        if (c >= 0xD800 && c < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[1] - 0xDC00);
            ++text;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;  // a lone surrogate
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace plat
