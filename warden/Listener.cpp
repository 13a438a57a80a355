#include "warden/Listener.h"

#include "warden/ClientSession.h"

#include <asio/co_spawn.hpp>
#include <asio/ip/address_v4.hpp>
#include <asio/redirect_error.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>

#include <exception>

namespace warden {

using asio::ip::tcp;

std::optional<tcp::acceptor> Listener::listenOnLoopback(const asio::any_io_executor& executor,
                                                        std::uint16_t port)
{
    tcp::acceptor acceptor(executor);
    const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    std::error_code error;
    acceptor.open(endpoint.protocol(), error);
#ifndef _WIN32
    // Lets a restarted Warden listen again while connections of the last one linger in
    // TIME_WAIT. Windows allows that anyway, and there the option would let it share a
    // port another program listens on instead of reporting the port as taken.
    if (!error)
        acceptor.set_option(tcp::acceptor::reuse_address(true), error);
#endif
    if (!error)
        acceptor.bind(endpoint, error);
    if (!error)
        acceptor.listen(tcp::acceptor::max_listen_connections, error);
    if (error)
        return std::nullopt;
    return acceptor;
}

Listener::Listener(tcp::acceptor acceptor, ExitRoute& route, BurstMover& mover,
                   std::chrono::milliseconds handshakeLimit)
    : m_acceptor(std::move(acceptor)), m_route(route), m_mover(mover), m_handshakeLimit(handshakeLimit)
{
}

asio::awaitable<void> Listener::run()
{
    asio::steady_timer pause(m_acceptor.get_executor());
    for (;;) {
        std::error_code error;
        tcp::socket client =
            co_await m_acceptor.async_accept(asio::redirect_error(asio::use_awaitable, error));
        if (error == asio::error::operation_aborted)
            co_return;
        if (error) {
            pause.expires_after(kAcceptPause);
            co_await pause.async_wait(asio::use_awaitable);
            continue;
        }
        if (m_clients >= kMaxClients)
            continue; // `client` closes as it goes out of scope
        // Set on each client: Linux hands the listener's option down to accepted sockets,
        // Windows does not promise to.
        client.non_blocking(true, error);
        if (!error)
            client.set_option(tcp::no_delay(true), error);
        if (error)
            continue;
        ++m_clients;
        asio::co_spawn(m_acceptor.get_executor(),
                       serveClient(std::move(client), m_route, m_mover, m_handshakeLimit),
                       [this](const std::exception_ptr&) { --m_clients; });
    }
}

} // namespace warden
