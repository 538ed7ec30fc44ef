// The "key=value/key=value" records split and written, and their lenient number readers.

#include "platform/keyvalue.h"

#include <string>

#include "platform/numtext.h"

namespace plat {

KeyValues SplitKeyValues(std::string_view text) {
    KeyValues kv;
    size_t pos = 0;
    for (;;) {
        size_t slash = text.find('/', pos);
        bool more = slash != std::string_view::npos && slash > 0;
        std::string_view token = more ? text.substr(pos, slash - pos) : text.substr(pos);
        size_t eq = token.find('=');
        if (eq != std::string_view::npos && eq > 0)
            kv[std::string(token.substr(0, eq))] = std::string(token.substr(eq + 1));
        if (!more) break;
        pos = slash + 1;
    }
    return kv;
}

std::string KvText(const KeyValues& kv, const std::string& key) {
    auto it = kv.find(key);
    return it == kv.end() ? std::string() : it->second;
}

namespace {

bool IsCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view SkipBlanksAndPlus(std::string_view s, bool& negative) {
    while (!s.empty() && IsCBlank(s.front())) s.remove_prefix(1);
    negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    return s;
}

}  // namespace

int AtoI(std::string_view text) {
    bool negative = false;
    std::string_view s = SkipBlanksAndPlus(text, negative);
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) v = 2147483648LL;  // saturate instead of overflowing
    }
    if (negative) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    return static_cast<int>(v);
}

double AtoF(std::string_view text) {
    while (!text.empty() && IsCBlank(text.front())) text.remove_prefix(1);
    double v = 0.0;
    ReadDecimal(text.data(), text.data() + text.size(), v);
    return v;
}

int KvInt(const KeyValues& kv, const std::string& key) {
    return AtoI(KvText(kv, key));
}

double KvDouble(const KeyValues& kv, const std::string& key) {
    return AtoF(KvText(kv, key));
}

bool KvBool(const KeyValues& kv, const std::string& key) {
    return KvInt(kv, key) != 0;
}

}  // namespace plat
