#include "warden/Warden.h"

#include "warden/Listener.h"
#include "warden/System.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>

namespace warden {

Warden::Warden(asio::io_context& io, const Options& options, StatusLine& status)
    : m_io(io), m_localPort(options.localPort), m_status(status),
      m_dialer(io.get_executor(),
               ExitSettings{options.exitHost, options.exitPort, {options.user, options.key}}),
      m_monitor(io.get_executor(), m_dialer, status), m_route(m_monitor, m_dialer, status),
      m_mover(makeBurstMover())
{
}

bool Warden::start()
{
    auto acceptor = Listener::listenOnLoopback(m_io.get_executor(), m_localPort);
    if (!acceptor) {
        m_status.report(status::kBindFailed);
        return false;
    }
    auto listener = std::make_shared<Listener>(std::move(*acceptor), m_route, *m_mover);
    asio::co_spawn(
        m_io, [listener]() { return listener->run(); }, asio::detached);
    asio::co_spawn(m_io, m_monitor.run(), asio::detached);
    return true;
}

} // namespace warden
