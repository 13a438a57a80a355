#pragma once

// Pauses between verification attempts: 1, 2, 4 ... seconds, doubling up to 30, so a
// dead exit is not hammered and a returning one is noticed within half a minute.

#include <chrono>

namespace warden {

class Backoff
{
public:
    static constexpr std::chrono::seconds kFirst{1};
    static constexpr std::chrono::seconds kLongest{30};

    std::chrono::seconds next();
    void reset() { m_next = kFirst; }

private:
    std::chrono::seconds m_next = kFirst;
};

} // namespace warden
