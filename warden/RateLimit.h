#pragma once

// Lets an event through at most once per interval; used to keep a burst of failing
// destinations from flooding the status pipe.

#include <chrono>
#include <optional>

namespace warden {

class RateLimit
{
public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimit(Clock::duration interval) : m_interval(interval) {}

    // True when the previous allowed event is at least one interval before `now`.
    bool allow(Clock::time_point now);

private:
    Clock::duration m_interval;
    std::optional<Clock::time_point> m_last;
};

} // namespace warden
