#include "warden/Backoff.h"
#include "warden/RateLimit.h"

#include <gtest/gtest.h>

namespace warden {
namespace {

using std::chrono::seconds;

TEST(Backoff, DoublesFromOneSecondUpToThirty)
{
    Backoff backoff;
    const seconds expected[] = {seconds(1),  seconds(2),  seconds(4), seconds(8),
                                seconds(16), seconds(30), seconds(30)};
    for (const seconds pause : expected)
        EXPECT_EQ(backoff.next(), pause);
}

TEST(Backoff, StartsOverAfterReset)
{
    Backoff backoff;
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
