#include "platform/linux/LinuxClock.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Minutes the local time is ahead of UTC, 0 ... 1439.
int localOffsetMinutes(const Clock& clock)
{
    const DateTime utc = clock.utcNow();
    const DateTime local = clock.localNow();
    EXPECT_TRUE(utc.millisecond >= 0 && utc.millisecond <= 999 && utc.month >= 1 && utc.month <= 12);
    const int minutes = (local.hour - utc.hour) * 60 + local.minute - utc.minute;
    return (minutes % 1440 + 1440) % 1440;
}

} // namespace

TEST(LinuxClock, LocalTimeFollowsTheZoneSetNow)
{
    LinuxClock clock;
    // UTC is read first: the minute may turn before the local time is read.
    {
        ScopedEnv zone("TZ", "UTC0");
        EXPECT_LE(localOffsetMinutes(clock), 1);
    }
    ScopedEnv zone("TZ", "<+0530>-5:30");
    const int offset = localOffsetMinutes(clock);
    EXPECT_TRUE(offset == 330 || offset == 331) << offset;
}
