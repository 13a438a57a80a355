#pragma once

// A SOCKS5 exit of the test's own on 127.0.0.1 that notes how each destination was handed
// to it: a name, or an address the client resolved itself. Browsers call their vendors at
// start and nothing of a test may leave the machine, so it reaches loopback only.

#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A SOCKS5 exit (RFC 1928) that takes the test credentials by username/password (RFC 1929)
// only, as the exits Warden chains through do. A CONNECT to a loopback address, to
// "localhost" or a name below ".localhost" is relayed to 127.0.0.0/8; any other destination
// is refused with "not allowed by ruleset".
class RecordingExit
{
public:
    struct Connect
    {
        warden::socks5::AddressType type;
        std::string host; // the name as sent, or the address as text
        std::uint16_t port = 0;
        bool operator==(const Connect&) const = default;
    };

    RecordingExit();
    ~RecordingExit(); // stops the server and joins its thread

    std::uint16_t port() const { return m_port; }
    // Every CONNECT of an authenticated client, in order, refused ones included.
    std::vector<Connect> connects() const;

private:
    asio::awaitable<void> serve();
    asio::awaitable<void> session(asio::ip::tcp::socket client);

    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    mutable std::mutex m_mutex;
    std::vector<Connect> m_connects;
    std::thread m_thread;
};
