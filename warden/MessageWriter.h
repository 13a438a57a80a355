#pragma once

// Sends a short message on a non-blocking socket. It is handed to the kernel at once
// when the socket has room, as it nearly always has for a handshake message, without a
// round through the event loop; whatever does not fit is written asynchronously.

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <span>
#include <system_error>

namespace warden {

asio::awaitable<std::error_code> sendMessage(asio::ip::tcp::socket& socket,
                                             std::span<const std::uint8_t> message);

} // namespace warden
