#include "warden/RateLimit.h"

namespace warden {

bool RateLimit::allow(Clock::time_point now)
{
    if (m_last && now - *m_last < m_interval)
        return false;
    m_last = now;
    return true;
}

} // namespace warden
