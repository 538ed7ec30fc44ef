// Dates and times of day in the environment's LC_TIME, dd.mm.yyyy and HH:MM:SS in C.

#include "platform/datefmt.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <ctime>

#include "platform/text.h"

namespace plat {

namespace {

constexpr char kCDate[] = "%d.%m.%Y";
constexpr char kCTime[] = "%H:%M:%S";

// The name the environment gives LC_TIME, as setlocale(LC_TIME, "") would
// take it.
std::string EnvironmentTimeLocale() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return "C";
}

bool IsCLocale(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

std::tm ToTm(const DateTime& dt) {
    std::tm tm{};
    tm.tm_year = dt.year - 1900;
    tm.tm_mon = dt.month - 1;
    tm.tm_mday = dt.day;
    tm.tm_hour = dt.hour;
    tm.tm_min = dt.minute;
    tm.tm_sec = dt.second;
    // Day of the week and of the year, for patterns that name them.
    static constexpr int kCum[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int y = dt.year;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    tm.tm_yday = kCum[(dt.month - 1) % 12] + dt.day - 1 + (leap && dt.month > 2 ? 1 : 0);
    // Zeller-style count of days, 1 January 1 being a Monday.
    const long yy = y - 1;
    const long days = yy * 365 + yy / 4 - yy / 100 + yy / 400 + tm.tm_yday;
    tm.tm_wday = static_cast<int>((days + 1) % 7);
    return tm;
}

std::string Format(const DateTime& dt, const char* localeName, bool time) {
    const std::string name = localeName ? localeName : EnvironmentTimeLocale();
    const std::tm tm = ToTm(dt);
    char buf[100];  // a report line takes at most 99 characters of either
    if (!IsCLocale(name)) {
        if (locale_t loc = newlocale(LC_TIME_MASK, name.c_str(), static_cast<locale_t>(0))) {
            std::string pattern = nl_langinfo_l(time ? T_FMT : D_FMT, loc);
            if (time) pattern = Force24Hour(pattern);
            size_t n = pattern.empty() ? 0 : strftime_l(buf, sizeof buf, pattern.c_str(), &tm, loc);
            freelocale(loc);
            std::string text(buf, n);
            std::string_view trimmed = Trim(text);
            // A locale whose texts are not UTF-8 would garble the report.
            if (!trimmed.empty() && IsValidUtf8(trimmed)) return std::string(trimmed);
        }
    }
    const size_t n = std::strftime(buf, sizeof buf, time ? kCTime : kCDate, &tm);
    return std::string(buf, n);
}

}  // namespace

std::string LocaleDateText(const DateTime& dt, const char* localeName) {
    return Format(dt, localeName, false);
}

std::string LocaleTimeText(const DateTime& dt, const char* localeName) {
    return Format(dt, localeName, true);
}

std::string Force24Hour(std::string_view p) {
    std::string out;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] != '%' || i + 1 >= p.size()) {
            out += p[i];
            continue;
        }
        // Flags and width between "%" and the conversion are kept.
        size_t j = i + 1;
        while (j < p.size() &&
               (p[j] == '_' || p[j] == '-' || p[j] == '0' || p[j] == '^' || p[j] == '#' ||
                p[j] == 'E' || p[j] == 'O' || (p[j] >= '1' && p[j] <= '9')))
            ++j;
        if (j >= p.size()) {
            out.append(p.substr(i));
            break;
        }
        const std::string_view head = p.substr(i, j - i);
        switch (p[j]) {
            case 'I':
                out.append(head).push_back('H');
                break;
            case 'l':
                out.append(head).push_back('k');
                break;
            case 'r':
                out += "%H:%M:%S";
                break;
            case 'p':
            case 'P':
                // The blank before the mark goes with it.
                while (!out.empty() && out.back() == ' ') out.pop_back();
                break;
            default:
                out.append(head).push_back(p[j]);
                break;
        }
        i = j;
    }
    return out;
}

}  // namespace plat
