#include "platform/keyvalue.h"

#include <cstdlib>

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

int KvInt(const KeyValues& kv, const std::string& key) {
    return std::atoi(KvText(kv, key).c_str());
}

double KvDouble(const KeyValues& kv, const std::string& key) {
    return std::atof(KvText(kv, key).c_str());
}

bool KvBool(const KeyValues& kv, const std::string& key) { return KvInt(kv, key) != 0; }

}  // namespace plat
