#pragma once

// Reads SOCKS5 messages from a socket, one receive per message where the peer sent it in
// one piece. Whatever arrives after a message (the rest of a pipelined handshake, or the
// first data of the connection) stays in the reader for the next message or for
// takeRest(), so nothing the peer sent is lost.

#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>

namespace warden {

template <typename T> using MessageParser = socks5::Parsed<T> (*)(std::span<const std::uint8_t>);

class MessageReader
{
public:
    // Room for the longest message (262 bytes) and what a peer may send along with it.
    static constexpr std::size_t kReceiveSize = 512;

    explicit MessageReader(asio::ip::tcp::socket& socket) : m_socket(socket) {}

    // The next message. On a read error `error` is set and the result is NeedMore.
    // Terminates: a NeedMore asks for more bytes than the reader holds, each receive adds
    // at least one, and no message exceeds 262 bytes.
    template <typename T>
    asio::awaitable<socks5::Parsed<T>> next(MessageParser<T> parse, std::error_code& error)
    {
        for (;;) {
            socks5::Parsed<T> parsed = parse(m_bytes);
            if (parsed.status == socks5::ParseStatus::Done)
                m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(parsed.length));
            if (parsed.status != socks5::ParseStatus::NeedMore)
                co_return parsed;
            const std::size_t have = m_bytes.size();
            m_bytes.resize(have + kReceiveSize);
            const std::size_t got =
                co_await m_socket.async_read_some(asio::buffer(m_bytes.data() + have, kReceiveSize),
                                                  asio::redirect_error(asio::use_awaitable, error));
            m_bytes.resize(have + got);
            if (error)
                co_return parsed;
        }
    }

    // The bytes received beyond the messages read so far.
    socks5::Bytes takeRest() { return std::exchange(m_bytes, {}); }

private:
    asio::ip::tcp::socket& m_socket;
    socks5::Bytes m_bytes;
};

} // namespace warden
