// Variants: their conversions, copies and texts, and the late-bound calls made with them.

#include "platform/dispatch.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/numtext.h"

namespace plat {

namespace {

// With a decimal point whatever the process locale says, as the texts come
// from files and other programs.
bool ParseDouble(std::string_view s, double& out) {
    const char* b = s.data();
    const char* end = b + s.size();
    while (b < end && (*b == ' ' || *b == '\t')) ++b;
    double v = 0.0;
    const char* e = ReadDecimal(b, end, v);
    if (e == b) return false;
    while (e < end && (*e == ' ' || *e == '\t')) ++e;
    if (e != end) return false;
    out = v;
    return true;
}

bool ParseInt64(const std::string& s, int64_t& out) {
    const char* b = s.c_str();
    while (*b == ' ' || *b == '\t') ++b;
    if (!*b) return false;
    char* e = nullptr;
    errno = 0;
    long long v = std::strtoll(b, &e, 10);
    if (errno != 0) return false;
    while (*e == ' ' || *e == '\t') ++e;
    if (*e) {
        // "12.5" converts through double, as automation coercion does.
        double d = 0;
        if (!ParseDouble(s, d) || !std::isfinite(d) || d < -9.2e18 || d > 9.2e18) return false;
        out = static_cast<int64_t>(std::llround(d));
        return true;
    }
    out = v;
    return true;
}

// Doubles convert to integers by rounding, as automation coercion does.
template <class I>
bool DoubleToInt(double d, I& out) {
    if (!std::isfinite(d)) return false;
    double r = std::nearbyint(d);
    // 2^63 and 2^64 are exact in double; the integer limits are not.
    constexpr double hi = std::is_signed_v<I> ? 9223372036854775808.0 : 18446744073709551616.0;
    constexpr double lo = std::is_signed_v<I> ? -9223372036854775808.0 : 0.0;
    if (r < lo || r >= hi) return false;
    out = static_cast<I>(r);
    return true;
}

}  // namespace

void Variant::CopySlow(const Variant& o) {
    if (o.type_ == VarType::Text) {
        new (&u_.text) std::string(o.u_.text);
    } else {
        u_.obj = o.u_.obj;
        if (u_.obj) u_.obj->AddRef();
    }
    type_ = o.type_;
    small_ = 0;
    heap_ = true;
}

void Variant::MoveSlow(Variant& o) noexcept {
    if (o.type_ == VarType::Text) {
        new (&u_.text) std::string(std::move(o.u_.text));
        o.u_.text.~basic_string();
    } else {
        u_.obj = std::exchange(o.u_.obj, nullptr);
    }
    type_ = o.type_;
    small_ = 0;
    heap_ = true;
    o.type_ = VarType::Empty;
    o.heap_ = false;
    o.u_.u64 = 0;
}

void Variant::DestroySlow() noexcept {
    if (type_ == VarType::Text)
        u_.text.~basic_string();
    else if (u_.obj)
        u_.obj->Release();
    heap_ = false;
}

bool Variant::IsNumeric() const noexcept {
    switch (Type()) {
        case VarType::Bool:
        case VarType::Int32:
        case VarType::Int64:
        case VarType::UInt64:
        case VarType::Double:
            return true;
        default:
            return false;
    }
}

bool Variant::ToInt64(int64_t& out) const {
    switch (Type()) {
        case VarType::Bool:
            out = u_.b ? 1 : 0;
            return true;
        case VarType::Int32:
            out = u_.i32;
            return true;
        case VarType::Int64:
            out = u_.i64;
            return true;
        case VarType::UInt64: {
            uint64_t u = u_.u64;
            if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
            out = static_cast<int64_t>(u);
            return true;
        }
        case VarType::Double:
            return DoubleToInt(u_.d, out);
        case VarType::Text:
            return ParseInt64(std::string(TextView()), out);
        case VarType::Ref:
            return RefTarget() && RefTarget()->ToInt64(out);
        default:
            return false;
    }
}

bool Variant::ToInt32Slow(int32_t& out) const {
    int64_t v = 0;
    if (!ToInt64(v)) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool Variant::ToUInt64(uint64_t& out) const {
    switch (Type()) {
        case VarType::UInt64:
            out = u_.u64;
            return true;
        case VarType::Double:
            return DoubleToInt(u_.d, out);
        case VarType::Text: {
            const std::string s(TextView());
            char* e = nullptr;
            errno = 0;
            unsigned long long v = std::strtoull(s.c_str(), &e, 0);
            if (s.empty() || errno || *e || s.find('-') != std::string::npos) return false;
            out = v;
            return true;
        }
        default: {
            int64_t v = 0;
            if (!ToInt64(v) || v < 0) return false;
            out = static_cast<uint64_t>(v);
            return true;
        }
    }
}

bool Variant::ToBool(bool& out) const {
    if (Type() == VarType::Bool) {
        out = u_.b;
        return true;
    }
    if (Type() == VarType::Text) {
        const std::string_view s = TextView();
        if (s == "true" || s == "True" || s == "TRUE") {
            out = true;
            return true;
        }
        if (s == "false" || s == "False" || s == "FALSE") {
            out = false;
            return true;
        }
    }
    if (Type() == VarType::Double) {
        double d = u_.d;
        if (std::isnan(d)) return false;
        out = d != 0.0;
        return true;
    }
    int64_t v = 0;
    if (!ToInt64(v)) return false;
    out = v != 0;
    return true;
}

double Variant::AsDoubleSlow(double def) const {
    ToDoubleSlow(def);
    return def;
}

bool Variant::ToDoubleSlow(double& out) const {
    switch (Type()) {
        case VarType::Double:
            out = u_.d;
            return true;
        case VarType::Bool:
            out = u_.b ? 1.0 : 0.0;
            return true;
        case VarType::Int32:
            out = u_.i32;
            return true;
        case VarType::Int64:
            out = static_cast<double>(u_.i64);
            return true;
        case VarType::UInt64:
            out = static_cast<double>(u_.u64);
            return true;
        case VarType::Text:
            return ParseDouble(TextView(), out);
        case VarType::Ref:
            return RefTarget() && RefTarget()->ToDouble(out);
        default:
            return false;
    }
}

bool Variant::ToText(std::string& out) const {
    char buf[64];
    switch (Type()) {
        case VarType::Empty:
            out.clear();
            return true;
        case VarType::Text:
            out = TextView();
            return true;
        case VarType::Bool:
            out = u_.b ? "1" : "0";
            return true;
        case VarType::Int32:
            std::snprintf(buf, sizeof buf, "%d", u_.i32);
            out = buf;
            return true;
        case VarType::Int64:
            std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(u_.i64));
            out = buf;
            return true;
        case VarType::UInt64:
            std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(u_.u64));
            out = buf;
            return true;
        case VarType::Double:
            out = GeneralText(u_.d, 17);
            return true;
        case VarType::Ref:
            return RefTarget() && RefTarget()->ToText(out);
        default:
            return false;
    }
}

bool Variant::ToObject(DispPtr& out) const {
    if (Type() == VarType::Object) {
        out = DispPtr(u_.obj);
        return true;
    }
    if (Type() == VarType::Ref) return RefTarget() && RefTarget()->ToObject(out);
    if (Type() == VarType::Empty) {
        out.reset();
        return true;
    }
    return false;
}

const char* DispResultText(DispResult r) {
    switch (r) {
        case DispResult::Ok:
            return "ok";
        case DispResult::MemberNotFound:
            return "member not found";
        case DispResult::BadArgCount:
            return "wrong number of arguments";
        case DispResult::TypeMismatch:
            return "argument type mismatch";
        case DispResult::Failed:
            return "call failed";
    }
    return "unknown";
}

}  // namespace plat
