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
    Warden(const Options& options, StatusLine& status);
    // Ends every session, spare connection and timer before the parts they refer to.
    ~Warden();
    Warden(const Warden&) = delete;
    Warden& operator=(const Warden&) = delete;

    // Listens on the local port, then starts verifying the exit: "ready" is reported only
    // once both hold. False, after reporting it, when the port cannot be bound.
    bool start();
    // Serves until stop(); stop() may be called from any thread.
    void run();
    void stop();

private:
    // The sessions are coroutines whose frames live in the context's pending operations;
    // shutting the context down destroys them, which only the context itself may do.
    class Context : public asio::io_context
    {
    public:
        Context() : asio::io_context(1) {}
        void destroyPendingWork() { shutdown(); }
    };

    // Declared first so it is built before and destroyed after everything that uses it.
    Context m_io;
    std::uint16_t m_localPort;
    StatusLine& m_status;
    std::chrono::milliseconds m_handshakeLimit;
    ExitDialer m_dialer;
    ExitMonitor m_monitor;
    ExitRoute m_route;
    std::unique_ptr<BurstMover> m_mover;
};

} // namespace warden
