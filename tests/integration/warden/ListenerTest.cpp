// Where Warden listens: a local port another program listens on is reported as taken,
// not joined, and a restarted Warden gets its port back while connections of the last
// one linger.

#include "warden/Listener.h"

#include <asio/io_context.hpp>
#include <gtest/gtest.h>

namespace warden {
namespace {

using asio::ip::tcp;

TEST(Listener, APortAnotherProgramListensOnIsNotShared)
{
    asio::io_context io;
    // Opened the way most servers open theirs: asio's acceptor asks for address reuse,
    // which on Windows lets a second socket that asks for it too share the port.
    tcp::acceptor other(io, {asio::ip::address_v4::loopback(), 0});
    EXPECT_FALSE(Listener::listenOnLoopback(io.get_executor(), other.local_endpoint().port()));
}

TEST(Listener, ARestartedWardenGetsItsPortBack)
{
    asio::io_context io;
    auto first = Listener::listenOnLoopback(io.get_executor(), 0);
    ASSERT_TRUE(first);
    const std::uint16_t port = first->local_endpoint().port();
    EXPECT_EQ(first->local_endpoint().address(), asio::ip::address_v4::loopback());
    {
        tcp::socket client(io);
        client.connect(first->local_endpoint());
        tcp::socket served = first->accept();
        // Warden's side closes first, so its end of the connection lingers in TIME_WAIT.
        served.close();
        client.close();
    }
    first->close();
    EXPECT_TRUE(Listener::listenOnLoopback(io.get_executor(), port));
}

} // namespace
} // namespace warden
