#pragma once

// Gives an asynchronous step a time limit: when the limit passes before the deadline is
// destroyed, it runs its action once (typically closing the socket the step waits on, so
// the step ends with an error) and expired() tells the step why it ended.

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>

#include <chrono>
#include <functional>
#include <memory>

namespace warden {

class Deadline
{
public:
    Deadline(const asio::any_io_executor& executor, std::chrono::steady_clock::duration limit,
             std::function<void()> onExpiry);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    bool expired() const { return m_state->expired; }

private:
    // Shared with the timer's handler, which may run after this object is gone (the
    // handler then sees the deadline disarmed and leaves the step's objects alone).
    struct State
    {
        bool armed = true;
        bool expired = false;
    };
    std::shared_ptr<State> m_state;
    asio::steady_timer m_timer;
};

} // namespace warden
