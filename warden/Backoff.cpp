#include "warden/Backoff.h"

#include <algorithm>

namespace warden {

std::chrono::milliseconds Backoff::next()
{
    const auto pause = m_next;
    m_next = std::min(m_next * 2, m_longest);
    return pause;
}

} // namespace warden
