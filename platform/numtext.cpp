// Numbers as text with a decimal point whatever the locale: shortest, fixed, exact.

#include "platform/numtext.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace plat {

namespace {

// Large enough for "%.*f" of the largest double with any precision asked for
// here (309 digits before the point); a cut number would be another value.
constexpr int kMaxDecimals = 40;
constexpr size_t kBufSize = 400;

template <class... Args>
void Append(std::string& out, double v, Args... args) {
    char buf[kBufSize];
    auto res = std::to_chars(buf, buf + sizeof buf, v, args...);
    if (res.ec == std::errc()) out.append(buf, res.ptr);
}

int Clamp(int digits) {
    return digits < 0 ? 0 : digits > kMaxDecimals ? kMaxDecimals : digits;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether an out-of-range number is too large (else too small): the power of
// ten of its first significant digit is positive.
bool TooLarge(const char* first, const char* last) {
    long long power = 0;  // the value is 0.d1d2... x 10^power before the exponent
    bool seen = false, point = false;
    const char* p = first;
    for (; p < last && (IsDigit(*p) || (*p == '.' && !point)); ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        if (!seen) {
            if (*p == '0') {
                if (point) --power;
                continue;
            }
            seen = true;
        }
        if (!point) ++power;
    }
    long long exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = p < last && *p == '-';
        if (p < last && (*p == '-' || *p == '+')) ++p;
        for (; p < last && IsDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), 1LL << 40);
        if (negative) exponent = -exponent;
    }
    return power + exponent > 0;
}

}  // namespace

const char* ReadDecimal(const char* first, const char* last, double& v) {
    v = 0.0;
    const char* p = first;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // from_chars takes a "-" of its own, which would let "--5" through.
    if (p == last || *p == '-' || *p == '+') return first;
    double x = 0.0;
    auto res = std::from_chars(p, last, x, std::chars_format::general);
    if (res.ec == std::errc::invalid_argument) return first;
    if (res.ec == std::errc::result_out_of_range)
        x = TooLarge(p, res.ptr) ? std::numeric_limits<double>::infinity() : 0.0;
    v = negative ? -x : x;
    return res.ptr;
}

void AppendFixed(std::string& out, double v, int decimals) {
    Append(out, v, std::chars_format::fixed, Clamp(decimals));
}

std::string FixedText(double v, int decimals) {
    std::string s;
    AppendFixed(s, v, decimals);
    return s;
}

void AppendGeneral(std::string& out, double v, int precision) {
    Append(out, v, std::chars_format::general, Clamp(precision));
}

std::string GeneralText(double v, int precision) {
    std::string s;
    AppendGeneral(s, v, precision);
    return s;
}

std::string ScientificText(double v, int digits) {
    std::string s;
    Append(s, v, std::chars_format::scientific, Clamp(digits));
    return s;
}

std::string ShortestText(double v) {
    std::string s;
    Append(s, v);
    return s;
}

}  // namespace plat
