#pragma once

// Serves one local client: the SOCKS5 handshake (no authentication, CONNECT only), the
// route through the exit, then the relay. Whatever the client does, only its own
// connection is affected.

#include "warden/BurstMover.h"
#include "warden/ExitRoute.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>

namespace warden {

asio::awaitable<void> serveClient(asio::ip::tcp::socket client, ExitRoute& route, BurstMover& mover,
                                  std::chrono::steady_clock::duration handshakeLimit);

} // namespace warden
