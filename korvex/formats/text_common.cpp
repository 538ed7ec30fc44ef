// Fields, numbers, date-times and column names of CSV and text exports.

#include "korvex/formats/text_common.h"

#include <charconv>
#include <cstring>

#include "platform/text.h"

namespace korvex::text {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The end of a quoted field starting at i (the opening quote); "" inside
// is a quote.
size_t QuoteEnd(std::string_view line, size_t i) {
    for (++i; i < line.size(); ++i) {
        if (line[i] != '"') continue;
        if (i + 1 < line.size() && line[i + 1] == '"') {
            ++i;
            continue;
        }
        return i;
    }
    return line.size();
}

class Scan {
  public:
    explicit Scan(std::string_view s) : p_(s.data()), e_(s.data() + s.size()) {}
    bool Done() const { return p_ == e_; }
    bool Peek(char c) const { return p_ < e_ && *p_ == c; }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++p_;
        return true;
    }
    bool Digits(int min, int max, int& v) {
        v = 0;
        int n = 0;
        while (n < max && p_ < e_ && *p_ >= '0' && *p_ <= '9') v = v * 10 + (*p_++ - '0'), ++n;
        return n >= min;
    }
    // Digits after a decimal mark as a fraction.
    double Fraction() {
        double f = 0, scale = 0.1;
        while (p_ < e_ && *p_ >= '0' && *p_ <= '9') {
            f += (*p_++ - '0') * scale;
            scale *= 0.1;
        }
        return f;
    }
    bool Word(const char* w) {
        const size_t n = std::strlen(w);
        if (static_cast<size_t>(e_ - p_) < n || !plat::EqualNoCase(std::string_view(p_, n), w))
            return false;
        p_ += n;
        return true;
    }
    void Blanks() {
        while (p_ < e_ && *p_ == ' ') ++p_;
    }

  private:
    const char* p_;
    const char* e_;
};

int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// "hh:mm[:ss[.frac]]" with an optional AM/PM, as seconds since midnight.
bool TimeOfDay(Scan& in, double& seconds) {
    int h, mi, s = 0;
    double frac = 0;
    if (!in.Digits(1, 2, h) || !in.Take(':') || !in.Digits(2, 2, mi)) return false;
    if (in.Take(':')) {
        if (!in.Digits(2, 2, s)) return false;
        if (in.Take('.') || in.Take(',')) frac = in.Fraction();
    }
    in.Blanks();
    if (in.Word("PM")) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + 12;
    } else if (in.Word("AM")) {
        if (h < 1 || h > 12) return false;
        h %= 12;
    }
    in.Take('Z');
    if (h > 23 || mi > 59 || s > 60) return false;
    seconds = h * 3600.0 + mi * 60.0 + s + frac;
    return true;
}

}  // namespace

void Split(std::string_view line, char sep, std::vector<std::string_view>& fields) {
    fields.clear();
    const size_t n = line.size();
    size_t i = 0;
    if (sep == ' ') {
        for (;;) {
            while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
            if (i >= n) return;
            if (line[i] == '"') {
                const size_t close = QuoteEnd(line, i);
                fields.push_back(line.substr(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
            const size_t start = i;
            while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
            fields.push_back(line.substr(start, i - start));
        }
    }
    for (;;) {
        size_t start = i;
        while (start < n && line[start] == ' ') ++start;
        size_t end;
        if (start < n && line[start] == '"') {
            const size_t close = QuoteEnd(line, start);
            fields.push_back(line.substr(start + 1, close - start - 1));
            end = line.find(sep, close);
        } else {
            end = line.find(sep, i);
            fields.push_back(
                TrimBlanks(line.substr(i, end == std::string_view::npos ? n - i : end - i)));
        }
        if (end == std::string_view::npos) return;
        i = end + 1;
    }
}

bool ParseNumber(std::string_view s, char dec, double& v) {
    s = TrimBlanks(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.front() == '+') return false;
    char buffer[64];
    if (dec == ',') {
        if (s.size() > sizeof buffer) return false;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '.') return false;
            buffer[i] = s[i] == ',' ? '.' : s[i];
        }
        s = std::string_view(buffer, s.size());
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseDateTime(std::string_view s, int64_t& day, double& seconds, bool& dated) {
    s = TrimBlanks(s);
    Scan in(s);
    int a, b, c, y, m, d;
    dated = true;
    if (in.Digits(4, 4, a) && (in.Take('-') || in.Take('/'))) {
        y = a;
        if (!in.Digits(1, 2, m) || !(in.Take('-') || in.Take('/')) || !in.Digits(1, 2, d))
            return false;
    } else {
        in = Scan(s);
        if (!in.Digits(1, 2, a)) return false;
        if (in.Peek(':')) {  // a time of day alone
            in = Scan(s);
            dated = false;
            day = 0;
            return TimeOfDay(in, seconds) && in.Done();
        }
        const bool dots = in.Take('.');
        if (!dots && !in.Take('/')) return false;
        if (!in.Digits(1, 2, b) || !in.Take(dots ? '.' : '/') || !in.Digits(4, 4, c)) return false;
        y = c;
        // Day first with dots; with slashes month first unless that cannot be.
        const bool dayFirst = dots || a > 12;
        d = dayFirst ? a : b;
        m = dayFirst ? b : a;
    }
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    double time = 0;
    if (!in.Done()) {
        if (!in.Take('T') && !in.Take(' ')) return false;
        in.Blanks();
        if (!TimeOfDay(in, time)) return false;
    }
    if (!in.Done()) return false;
    day = DaysFromCivil(y, m, d);
    seconds = time;
    return true;
}

bool IsDateTime(std::string_view s) {
    int64_t day;
    double seconds;
    bool dated;
    return ParseDateTime(s, day, seconds, dated);
}

void NameAndUnit(std::string_view field, std::string& name, std::string& unit) {
    std::string_view f = TrimBlanks(field);
    name = std::string(f);
    unit.clear();
    auto split = [&](char open, char close) {
        if (f.size() < 3 || f.back() != close) return false;
        const size_t at = f.rfind(open);
        if (at == std::string_view::npos || at == 0) return false;
        const std::string_view inside = f.substr(at + 1, f.size() - at - 2);
        if (inside.empty() || inside.find_first_not_of("0123456789") == std::string_view::npos)
            return false;  // "Channel (2)" is a name
        name = std::string(TrimBlanks(f.substr(0, at)));
        unit = std::string(TrimBlanks(inside));
        return !name.empty();
    };
    if (split('[', ']') || split('(', ')')) return;
    if (const size_t at = f.find(" / "); at != std::string_view::npos && at > 0) {
        name = std::string(TrimBlanks(f.substr(0, at)));
        unit = std::string(TrimBlanks(f.substr(at + 3)));
        return;
    }
    name = std::string(f);
}

std::string BareUnit(std::string_view field) {
    std::string_view f = TrimBlanks(field);
    if (f.size() >= 2 &&
        ((f.front() == '[' && f.back() == ']') || (f.front() == '(' && f.back() == ')')))
        f = TrimBlanks(f.substr(1, f.size() - 2));
    return std::string(f);
}

std::string Utf8(std::string_view s) {
    return plat::IsValidUtf8(s) ? std::string(s) : plat::Cp1251ToUtf8(s);
}

std::vector<std::string_view> Lines(std::string_view text, bool complete) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            std::string_view line = text.substr(start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (complete) lines.push_back(line);
            break;
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace korvex::text
