#include "warden/Warden.h"

#include "warden/Listener.h"
#include "warden/System.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>

namespace warden {

Warden::Warden(const Options& options, StatusLine& status)
    : m_localPort(options.localPort), m_status(status), m_handshakeLimit(options.timing.clientHandshake),
      m_dialer(m_io.get_executor(),
               ExitSettings{options.exitHost, options.exitPort, {options.user, options.key}}),
      m_monitor(m_io.get_executor(), m_dialer, status,
                Backoff(options.timing.firstRetry, options.timing.longestRetry)),
      m_route(m_monitor, m_dialer, status), m_mover(makeBurstMover())
{
}

Warden::~Warden()
{
    // A session that took a spare asks for its replacement when it ends; with the pool
    // stopped first, the sessions destroyed below dial nothing.
    m_monitor.spares().stop();
    m_io.destroyPendingWork();
}

bool Warden::start()
{
    auto acceptor = Listener::listenOnLoopback(m_io.get_executor(), m_localPort);
    if (!acceptor) {
        m_status.report(status::kBindFailed);
        return false;
    }
    auto listener = std::make_shared<Listener>(std::move(*acceptor), m_route, *m_mover, m_handshakeLimit);
    asio::co_spawn(
        m_io, [listener]() { return listener->run(); }, asio::detached);
    asio::co_spawn(m_io, m_monitor.run(), asio::detached);
    return true;
}

void Warden::run()
{
    m_io.run();
}

void Warden::stop()
{
    m_io.stop();
}

} // namespace warden
