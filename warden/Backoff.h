#pragma once

// Pauses between verification attempts: the first, doubling up to the longest (1, 2, 4 ...
// seconds up to 30 as Warden ships), so a dead exit is not hammered and a returning one is
// noticed within the longest pause.

#include <chrono>

namespace warden {

class Backoff
{
public:
    Backoff(std::chrono::milliseconds first, std::chrono::milliseconds longest)
        : m_first(first), m_longest(longest), m_next(first)
    {
    }

    std::chrono::milliseconds next();
    void reset() { m_next = m_first; }

private:
    std::chrono::milliseconds m_first;
    std::chrono::milliseconds m_longest;
    std::chrono::milliseconds m_next;
};

} // namespace warden
