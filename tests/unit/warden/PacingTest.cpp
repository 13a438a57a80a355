#include "warden/Backoff.h"
#include "warden/CommandLine.h"
#include "warden/RateLimit.h"

#include <gtest/gtest.h>

namespace warden {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// As Warden ships.
Backoff shippedBackoff()
{
    return Backoff(Timing{}.firstRetry, Timing{}.longestRetry);
}

TEST(Backoff, DoublesFromOneSecondUpToThirty)
{
    Backoff backoff = shippedBackoff();
    const seconds expected[] = {seconds(1),  seconds(2),  seconds(4), seconds(8),
                                seconds(16), seconds(30), seconds(30)};
    for (const seconds pause : expected)
        EXPECT_EQ(backoff.next(), pause);

    Backoff quick(milliseconds(50), milliseconds(300));
    for (const int pause : {50, 100, 200, 300, 300})
        EXPECT_EQ(quick.next(), milliseconds(pause));
}

TEST(Backoff, StartsOverAfterReset)
{
    Backoff backoff = shippedBackoff();
    for (int i = 0; i < 10; ++i)
        backoff.next();
    backoff.reset();
    EXPECT_EQ(backoff.next(), seconds(1));
    EXPECT_EQ(backoff.next(), seconds(2));
}

TEST(RateLimit, AllowsOneEventPerInterval)
{
    RateLimit limit(seconds(10));
    const RateLimit::Clock::time_point start{seconds(1000)};
    EXPECT_TRUE(limit.allow(start));
    EXPECT_FALSE(limit.allow(start));
    EXPECT_FALSE(limit.allow(start + seconds(9)));
    EXPECT_TRUE(limit.allow(start + seconds(10)));
    // The interval counts from the last event let through, not from the refused ones.
    EXPECT_FALSE(limit.allow(start + seconds(19)));
    EXPECT_TRUE(limit.allow(start + seconds(20)));
}

} // namespace
} // namespace warden
