#pragma once

// Relays both ways between a client and the exit until both directions have ended. The
// end of one direction is passed on as a half-close, so a peer that shuts down its
// sending side still gets its answer; an error in either direction ends both.

#include "warden/BurstMover.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

namespace warden {

asio::awaitable<void> relay(asio::ip::tcp::socket& a, asio::ip::tcp::socket& b, BurstMover& mover);

} // namespace warden
