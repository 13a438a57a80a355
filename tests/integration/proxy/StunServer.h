#pragma once

// A STUN server on 127.0.0.1 (UDP, RFC 5389), the one a test's WebRTC page names: it answers
// every binding request with the address it came from (XOR-MAPPED-ADDRESS) and counts every
// datagram it receives. A page can only reach it over UDP, which no SOCKS proxy of the
// program carries, so anything it receives went around the proxy.

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/udp.hpp>

#include <atomic>
#include <cstdint>
#include <thread>

class StunServer
{
public:
    StunServer();
    ~StunServer(); // stops the server and joins its thread

    std::uint16_t port() const { return m_port; }
    // The datagrams received so far, binding requests or not.
    int received() const { return m_received; }

private:
    asio::awaitable<void> serve();

    asio::io_context m_io;
    asio::ip::udp::socket m_socket;
    std::uint16_t m_port;
    std::atomic<int> m_received{0};
    std::thread m_thread;
};
