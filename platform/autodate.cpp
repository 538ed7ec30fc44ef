// Automation dates to and from the civil calendar and Unix time, and now.

#include "platform/autodate.h"

#include <cmath>
#include <ctime>

namespace plat {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);  // 1899-12-30 relative to 1970

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

bool ToAutomationDate(const DateTime& dt, double& out) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (dt.year < 100 || dt.year > 9999 || dt.month < 1 || dt.month > 12 || dt.day < 1)
        return false;
    int dim = kDays[dt.month - 1] + (dt.month == 2 && IsLeap(dt.year) ? 1 : 0);
    if (dt.day > dim || dt.hour < 0 || dt.hour > 23 || dt.minute < 0 || dt.minute > 59 ||
        dt.second < 0 || dt.second > 59 || dt.millisecond < 0 || dt.millisecond > 999)
        return false;
    int64_t days =
        DaysFromCivil(dt.year, static_cast<unsigned>(dt.month), static_cast<unsigned>(dt.day)) -
        kEpochOffset;
    double frac =
        (dt.hour * 3600.0 + dt.minute * 60.0 + dt.second + dt.millisecond / 1000.0) / 86400.0;
    // Before the epoch the day counts down but the time of day still counts
    // up: -1.25 is 29 December 1899, 06:00.
    out = days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
    return true;
}

bool FromAutomationDate(double date, DateTime& out) {
    if (!std::isfinite(date) || date < -657434.0 || date >= 2958466.0) return false;
    double whole = std::trunc(date);
    double frac = std::fabs(date - whole);
    // Round to the millisecond so that 0.5 s steps come out exact.
    int64_t ms = std::llround(frac * 86400000.0);
    int64_t days = static_cast<int64_t>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += date >= 0 ? 1 : -1;
    }
    CivilFromDays(days + kEpochOffset, out.year, out.month, out.day);
    out.hour = static_cast<int>(ms / 3600000);
    out.minute = static_cast<int>(ms / 60000 % 60);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.millisecond = static_cast<int>(ms % 1000);
    return true;
}

double AutomationDateFromUnix(int64_t unixSeconds, bool localTime) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (localTime)
        localtime_r(&t, &tm);
    else
        gmtime_r(&t, &tm);
    DateTime dt{tm.tm_year + 1900,
                tm.tm_mon + 1,
                tm.tm_mday,
                tm.tm_hour,
                tm.tm_min,
                tm.tm_sec > 59 ? 59 : tm.tm_sec,
                0};
    double d = 0;
    ToAutomationDate(dt, d);
    return d;
}

double NowAutomationDate() {
    return AutomationDateFromUnix(static_cast<int64_t>(std::time(nullptr)), true);
}

}  // namespace plat
