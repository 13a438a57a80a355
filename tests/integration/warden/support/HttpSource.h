#pragma once

// A small HTTP server on 127.0.0.1 for the tests to fetch through Warden. "/bytes/N"
// answers N bytes of a fixed pseudo-random pattern (so a transfer can be checked byte
// for byte without storing it); any other path answers kPage.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <string_view>
#include <thread>

namespace warden::testing {

inline constexpr std::string_view kPage = "<html><body>served through the chain</body></html>\n";

std::uint8_t patternByte(std::uint64_t offset);

class HttpSource
{
public:
    HttpSource();
    ~HttpSource(); // stops the server and joins its thread

    std::uint16_t port() const { return m_port; }

private:
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    std::thread m_thread;
};

} // namespace warden::testing
