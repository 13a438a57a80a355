#pragma once

// The whole program on one io_context: the listener on the local port, the exit monitor
// with its spare connections, and the sessions between them.

#include "warden/BurstMover.h"
#include "warden/CommandLine.h"
#include "warden/ExitDialer.h"
#include "warden/ExitMonitor.h"
#include "warden/ExitRoute.h"
#include "warden/StatusLine.h"

#include <asio/io_context.hpp>

#include <memory>

namespace warden {

class Warden
{
public:
    Warden(asio::io_context& io, const Options& options, StatusLine& status);

    // Listens on the local port, then starts verifying the exit: "ready" is reported only
    // once both hold. False, after reporting it, when the port cannot be bound.
    bool start();

private:
    asio::io_context& m_io;
    std::uint16_t m_localPort;
    StatusLine& m_status;
    ExitDialer m_dialer;
    ExitMonitor m_monitor;
    ExitRoute m_route;
    std::unique_ptr<BurstMover> m_mover;
};

} // namespace warden
