#include "warden/ExitMonitor.h"

#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>

#include <string>

namespace warden {

namespace {

// "in 4 s": the shipped pauses are whole seconds; shorter ones are said in milliseconds.
std::string pauseText(std::chrono::milliseconds pause)
{
    if (pause % std::chrono::seconds(1) == std::chrono::milliseconds(0))
        return "in " + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(pause).count()) + " s";
    return "in " + std::to_string(pause.count()) + " ms";
}

} // namespace

ExitMonitor::ExitMonitor(asio::any_io_executor executor, const ExitDialer& dialer, StatusLine& status,
                         Backoff backoff)
    : m_dialer(dialer), m_status(status),
      m_spares(executor, dialer, [this](ExitFailure failure) { exitFailed(failure); }), m_backoff(backoff),
      m_whileReady(executor)
{
}

asio::awaitable<void> ExitMonitor::run()
{
    asio::steady_timer pause(m_whileReady.get_executor());
    bool first = true;
    for (;;) {
        if (!first) {
            const auto wait = m_backoff.next();
            m_status.report(status::kRetrying, pauseText(wait));
            pause.expires_after(wait);
            co_await pause.async_wait(asio::use_awaitable);
        }
        first = false;
        if (!co_await verify())
            continue;

        m_ready = true;
        m_status.report(status::kReady);
        m_whileReady.expires_at(asio::steady_timer::time_point::max());
        std::error_code cancelled;
        co_await m_whileReady.async_wait(asio::redirect_error(asio::use_awaitable, cancelled));
        m_ready = false;
        m_spares.stop();
        m_status.report(status::kDisconnected);
    }
}

asio::awaitable<bool> ExitMonitor::verify()
{
    const ExitDialer::Progress report = [this](const status::Event& event) { m_status.report(event); };
    DialResult result = co_await m_dialer.dial(&report);
    if (!result.socket) {
        // Once per outage: the tray program puts most failure codes in front of the user,
        // and a box for every retry of a long outage would bury the screen.
        if (m_failuresInRow == 0)
            m_status.report(eventFor(result.failure));
        if (++m_failuresInRow == kFailuresBeforeAlarm)
            m_status.report(status::kFailingRepeatedly);
        co_return false;
    }
    m_failuresInRow = 0;
    m_backoff.reset();
    m_status.report(status::kConnected);
    m_spares.start(std::move(*result.socket));
    co_return true;
}

void ExitMonitor::exitFailed(ExitFailure failure)
{
    if (m_ready && failure != ExitFailure::Local)
        m_whileReady.cancel();
}

} // namespace warden
