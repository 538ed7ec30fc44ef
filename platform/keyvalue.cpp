#include "platform/keyvalue.h"

#include <charconv>
#include <cstdlib>
#include <string>

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

std::string_view SkipBlanksAndPlus(std::string_view s, bool& negative) {
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
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
    bool negative = false;
    std::string_view s = SkipBlanksAndPlus(text, negative);
    double v = 0.0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars leaves v alone on overflow; strtod gives inf or 0.
        v = std::strtod(std::string(s.substr(0, static_cast<size_t>(r.ptr - s.data()))).c_str(),
                        nullptr);
    } else if (r.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -v : v;
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
