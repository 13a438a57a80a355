#pragma once

// Verifies the exit and says so on the status pipe: at start, and again whenever
// connections to it start failing, retrying with a growing pause until it answers. A
// failure is reported at the first failed attempt of an outage; the retries after it
// report only that they retry.
// While the exit is verified, the spare pool is kept filled.

#include "warden/Backoff.h"
#include "warden/ExitDialer.h"
#include "warden/ExitFailure.h"
#include "warden/SparePool.h"
#include "warden/StatusLine.h"

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/steady_timer.hpp>

namespace warden {

class ExitMonitor
{
public:
    static constexpr int kFailuresBeforeAlarm = 5;

    ExitMonitor(asio::any_io_executor executor, const ExitDialer& dialer, StatusLine& status,
                Backoff backoff);

    // Runs for as long as the program does.
    asio::awaitable<void> run();

    // A connection to the exit failed: when the exit was verified, it is verified anew.
    void exitFailed(ExitFailure failure);

    SparePool& spares() { return m_spares; }

private:
    asio::awaitable<bool> verify();

    const ExitDialer& m_dialer;
    StatusLine& m_status;
    SparePool m_spares;
    Backoff m_backoff;
    int m_failuresInRow = 0;
    bool m_ready = false;
    // Waits while the exit is verified; exitFailed() cancels it.
    asio::steady_timer m_whileReady;
};

} // namespace warden
