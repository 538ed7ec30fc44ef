#pragma once
// Dates and times of day as the user's locale writes them (LC_TIME of the
// environment), the time always on the 24-hour clock. In the C or POSIX
// locale the date is dd.mm.yyyy and the time HH:MM:SS.

#include <string>
#include <string_view>

#include "platform/autodate.h"

namespace plat {

// The short date and the 24-hour time of day of dt. localeName picks the
// locale; null means the environment's LC_TIME (LC_ALL, LC_TIME, LANG).
std::string LocaleDateText(const DateTime& dt, const char* localeName = nullptr);
std::string LocaleTimeText(const DateTime& dt, const char* localeName = nullptr);

// A strftime time pattern turned to the 24-hour clock: %I and %l become %H
// and %k, %r becomes %H:%M:%S, the AM/PM marks %p and %P are dropped.
std::string Force24Hour(std::string_view pattern);

}  // namespace plat
