#pragma once

// Accepts local clients and starts a session for each, within limits that keep
// misbehaving clients from starving the rest.

#include "warden/BurstMover.h"
#include "warden/ExitRoute.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace warden {

class Listener
{
public:
    static constexpr std::size_t kMaxClients = 4096;
    // Pause after a failed accept: when descriptors have run out, the pending connection
    // stays readable and retrying at once would spin.
    static constexpr std::chrono::milliseconds kAcceptPause{100};

    // Listens on 127.0.0.1 only; nothing when the port cannot be bound.
    static std::optional<asio::ip::tcp::acceptor> listenOnLoopback(const asio::any_io_executor& executor,
                                                                   std::uint16_t port);

    // Each client has `handshakeLimit` for its greeting and request.
    Listener(asio::ip::tcp::acceptor acceptor, ExitRoute& route, BurstMover& mover,
             std::chrono::milliseconds handshakeLimit);

    asio::awaitable<void> run();

private:
    asio::ip::tcp::acceptor m_acceptor;
    ExitRoute& m_route;
    BurstMover& m_mover;
    std::chrono::milliseconds m_handshakeLimit;
    std::size_t m_clients = 0;
};

} // namespace warden
