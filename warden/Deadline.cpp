#include "warden/Deadline.h"

namespace warden {

Deadline::Deadline(const asio::any_io_executor& executor, std::chrono::steady_clock::duration limit,
                   std::function<void()> onExpiry)
    : m_state(std::make_shared<State>()), m_timer(executor, limit)
{
    m_timer.async_wait([state = m_state, onExpiry = std::move(onExpiry)](const std::error_code& error) {
        if (error || !state->armed)
            return;
        state->armed = false;
        state->expired = true;
        onExpiry();
    });
}

Deadline::~Deadline()
{
    m_state->armed = false;
    m_timer.cancel();
}

} // namespace warden
