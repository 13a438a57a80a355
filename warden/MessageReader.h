#pragma once

// Reads exactly one SOCKS5 message from a socket: the parser tells from the bytes so far
// how long the message is, so nothing that follows it (the client's first data, say) is
// taken out of the socket.

#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>

namespace warden {

template <typename T> using MessageParser = socks5::Parsed<T> (*)(std::span<const std::uint8_t>);

// On a read error `error` is set and the result is still NeedMore. Terminates: each
// NeedMore asks for more bytes than it was given, and no message exceeds 262 bytes.
template <typename T>
asio::awaitable<socks5::Parsed<T>> readMessage(asio::ip::tcp::socket& socket, MessageParser<T> parse,
                                               std::error_code& error)
{
    socks5::Bytes bytes;
    for (;;) {
        socks5::Parsed<T> parsed = parse(bytes);
        if (parsed.status != socks5::ParseStatus::NeedMore)
            co_return parsed;
        const std::size_t have = bytes.size();
        bytes.resize(parsed.length);
        co_await asio::async_read(socket, asio::buffer(bytes.data() + have, parsed.length - have),
                                  asio::redirect_error(asio::use_awaitable, error));
        if (error)
            co_return parsed;
    }
}

} // namespace warden
