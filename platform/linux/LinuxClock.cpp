#include "platform/linux/LinuxClock.h"

#include <ctime>

namespace platform {

namespace {

// Reads the real-time clock once and splits it with `split` (localtime_r or gmtime_r).
DateTime now(struct tm* (*split)(const time_t*, struct tm*))
{
    timespec instant{};
    clock_gettime(CLOCK_REALTIME, &instant);
    struct tm civil
    {
    };
    split(&instant.tv_sec, &civil);
    DateTime t;
    t.year = civil.tm_year + 1900;
    t.month = civil.tm_mon + 1;
    t.day = civil.tm_mday;
    t.hour = civil.tm_hour;
    t.minute = civil.tm_min;
    // A leap second shows as 60; the civil time of this seam stops at 59.
    t.second = civil.tm_sec > 59 ? 59 : civil.tm_sec;
    t.millisecond = static_cast<int>(instant.tv_nsec / 1000000);
    return t;
}

} // namespace

DateTime LinuxClock::localNow() const
{
    // localtime_r need not look at TZ again; tzset makes a changed zone count.
    tzset();
    return now(localtime_r);
}

DateTime LinuxClock::utcNow() const
{
    return now(gmtime_r);
}

} // namespace platform
