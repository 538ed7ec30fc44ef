#pragma once
// Automation dates: days since 30 December 1899 as a double, the fraction
// being the time of day.

#include <cstdint>

namespace plat {

struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// False for dates outside 1 January 100 .. 31 December 9999 or invalid fields.
bool ToAutomationDate(const DateTime& dt, double& out);
bool FromAutomationDate(double date, DateTime& out);
// The current local time as an automation date.
double NowAutomationDate();
// The automation date of a Unix time (seconds, UTC) shifted to local time.
double AutomationDateFromUnix(int64_t unixSeconds, bool localTime = true);

}  // namespace plat
