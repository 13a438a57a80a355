// The loopback helpers on Winsock, through asio. connectTo() hands out a POSIX descriptor
// and exists only where the tests that use raw sockets run.

#include "support/Loopback.h"

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <thread>

namespace warden::testing {

using asio::ip::tcp;

std::uint16_t freeLoopbackPort()
{
    asio::io_context io;
    tcp::socket probe(io, tcp::v4());
    probe.bind({asio::ip::address_v4::loopback(), 0});
    return probe.local_endpoint().port();
}

bool waitUntilListening(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout)
{
    asio::io_context io;
    const tcp::endpoint endpoint(asio::ip::make_address(host), port);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        tcp::socket socket(io);
        std::error_code error;
        socket.connect(endpoint, error);
        if (!error)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace warden::testing
