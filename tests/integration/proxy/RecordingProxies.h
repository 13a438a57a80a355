#pragma once

// Proxies of the test's own on 127.0.0.1 that record what they were asked, so a test sees
// which way a browser's traffic went: a SOCKS5 exit that notes how each destination was
// handed to it (a name, or an address the client resolved itself), and an HTTP proxy that
// counts the connections it gets. Browsers call their vendors at start and nothing of a test
// may leave the machine, so the exit reaches loopback only and the HTTP proxy nothing.

#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <atomic>
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

// An HTTP proxy that answers every request with 502 and goes nowhere.
class RecordingHttpProxy
{
public:
    RecordingHttpProxy();
    ~RecordingHttpProxy(); // stops the server and joins its thread

    std::uint16_t port() const { return m_port; }
    // The connections accepted so far, with a request or without.
    int connections() const { return m_connections; }
    // The first line of each request, in order.
    std::vector<std::string> requests() const;

private:
    asio::awaitable<void> serve();
    asio::awaitable<void> answer(asio::ip::tcp::socket client);

    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
