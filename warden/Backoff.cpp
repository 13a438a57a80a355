#include "warden/Backoff.h"

#include <algorithm>

namespace warden {

std::chrono::seconds Backoff::next()
{
    const auto pause = m_next;
    m_next = std::min(m_next * 2, kLongest);
    return pause;
}

} // namespace warden
