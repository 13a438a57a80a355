#pragma once

// Opens the way to a client's destination through the exit: a spare connection when one
// is ready, a fresh one otherwise, then the CONNECT with the destination as the client
// gave it, so names are resolved by the exit and not on this machine.

#include "warden/ExitDialer.h"
#include "warden/ExitHandshake.h"
#include "warden/ExitMonitor.h"
#include "warden/RateLimit.h"
#include "warden/Socks5.h"
#include "warden/StatusLine.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <optional>

namespace warden {

class ExitRoute
{
public:
    static constexpr std::chrono::seconds kReportInterval{10};

    struct Route
    {
        std::optional<asio::ip::tcp::socket> exit; // connected to the destination on success
        socks5::Answer answer;                     // what to tell the client
        SparePool::Replacement replacement;        // for the spare this route used, if any
        socks5::Bytes early{};                     // the destination's first data, if any came
    };

    ExitRoute(ExitMonitor& monitor, const ExitDialer& dialer, StatusLine& status);

    asio::awaitable<Route> open(socks5::Address destination);

private:
    Route finish(asio::ip::tcp::socket exit, ConnectResult result, SparePool::Replacement replacement);

    ExitMonitor& m_monitor;
    const ExitDialer& m_dialer;
    StatusLine& m_status;
    RateLimit m_destinationReports{kReportInterval};
};

} // namespace warden
