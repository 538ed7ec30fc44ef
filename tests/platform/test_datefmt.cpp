// Date and time texts of the user's locale, always on the 24-hour clock.

#include <gtest/gtest.h>
#include <locale.h>

#include "platform/datefmt.h"

namespace {

TEST(DateFormat, CLocaleReadsDayMonthYearAnd24Hours) {
    const plat::DateTime dt{2026, 12, 6, 14, 3, 27, 0};
    for (const char* name : {"C", "POSIX", "C.UTF-8", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(plat::LocaleDateText(dt, name), "06.12.2026");
        EXPECT_EQ(plat::LocaleTimeText(dt, name), "14:03:27");
    }
    // A locale that is not installed falls back to the same texts.
    EXPECT_EQ(plat::LocaleDateText(dt, "xx_NOWHERE.UTF-8"), "06.12.2026");
    const plat::DateTime epoch{};
    EXPECT_EQ(plat::LocaleDateText(epoch, "C"), "30.12.1899");
    EXPECT_EQ(plat::LocaleTimeText(epoch, "C"), "00:00:00");
}

TEST(DateFormat, TwelveHourPatternsBecomeTwentyFourHour) {
    EXPECT_EQ(plat::Force24Hour("%r"), "%H:%M:%S");
    EXPECT_EQ(plat::Force24Hour("%I:%M:%S %p"), "%H:%M:%S");
    EXPECT_EQ(plat::Force24Hour("%l:%M %P"), "%k:%M");
    EXPECT_EQ(plat::Force24Hour("%H:%M:%S"), "%H:%M:%S");
    EXPECT_EQ(plat::Force24Hour("%OI.%M"), "%OH.%M");
    EXPECT_EQ(plat::Force24Hour("100%% %"), "100%% %");
}

TEST(DateFormat, InstalledLocaleGivesItsOwnPattern) {
    // Only where the machine has the locale; the C texts are checked above.
    locale_t loc = newlocale(LC_TIME_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
    if (!loc) GTEST_SKIP() << "en_US.UTF-8 is not installed";
    freelocale(loc);
    const plat::DateTime dt{2026, 12, 6, 14, 3, 27, 0};
    EXPECT_EQ(plat::LocaleDateText(dt, "en_US.UTF-8"), "12/06/2026");
    EXPECT_EQ(plat::LocaleTimeText(dt, "en_US.UTF-8"), "14:03:27");
}

}  // namespace
