#include "platform/linux/LinuxClock.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

void expectValid(const DateTime& t)
{
    EXPECT_GE(t.year, 2024);
    EXPECT_TRUE(t.month >= 1 && t.month <= 12);
    EXPECT_TRUE(t.day >= 1 && t.day <= 31);
    EXPECT_TRUE(t.hour >= 0 && t.hour <= 23);
    EXPECT_TRUE(t.minute >= 0 && t.minute <= 59);
    EXPECT_TRUE(t.second >= 0 && t.second <= 59);
    EXPECT_TRUE(t.millisecond >= 0 && t.millisecond <= 999);
}

int minutesOfDay(const DateTime& t)
{
    return t.hour * 60 + t.minute;
}

} // namespace

TEST(LinuxClock, LocalTimeFollowsTheZoneSetNow)
{
    LinuxClock clock;
    const auto offsetMinutes = [&clock]() {
        const DateTime utc = clock.utcNow();
        const DateTime local = clock.localNow();
        expectValid(utc);
        expectValid(local);
        return ((minutesOfDay(local) - minutesOfDay(utc)) % 1440 + 1440) % 1440;
    };
    // UTC is read first: the minute may turn before the local time is read.
    {
        ScopedEnv zone("TZ", "UTC0");
        EXPECT_LE(offsetMinutes(), 1);
    }
    ScopedEnv zone("TZ", "<+0530>-5:30");
    const int offset = offsetMinutes();
    EXPECT_TRUE(offset == 330 || offset == 331) << offset;
}
