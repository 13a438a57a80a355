#pragma once

// A scripted exit server on 127.0.0.1 for the tests of the exit side: each accepted
// connection is handed to the script, which plays the exit's part byte by byte.

#include "warden/Socks5.h"

#include <asio/awaitable.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace warden::testing {

class FakeExit
{
public:
    using Socket = std::shared_ptr<asio::ip::tcp::socket>;
    using Script = std::function<asio::awaitable<void>(Socket)>;

    FakeExit(asio::io_context& io, Script script);
    ~FakeExit();

    std::uint16_t port() const { return m_port; }
    int accepted() const { return *m_accepted; }
    // Stops accepting and closes every connection the scripts still hold.
    void kill();

private:
    asio::ip::tcp::acceptor m_acceptor;
    std::uint16_t m_port;
    std::shared_ptr<int> m_accepted = std::make_shared<int>(0);
    std::vector<std::weak_ptr<asio::ip::tcp::socket>> m_held;
};

// Scripts. Each reads the client's greeting first.

// Answers the greeting with `reply` (anything at all), then waits for the client to leave.
asio::awaitable<void> answerGreeting(FakeExit::Socket socket, socks5::Bytes reply);

// Picks username/password and accepts the test credentials only (answering anything else
// with a refusal), then waits for the client to leave.
asio::awaitable<void> authenticate(FakeExit::Socket socket);

// Like authenticate(), then closes the connection as a server does after a time-out.
asio::awaitable<void> authenticateThenClose(FakeExit::Socket socket);

// Needs no authentication and answers a CONNECT to an IPv4 address with success and,
// in the same segment, `banner`: a destination that speaks first.
asio::awaitable<void> connectWithBanner(FakeExit::Socket socket, std::string banner);

// Accepts and never says a word.
asio::awaitable<void> stayMute(FakeExit::Socket socket);

} // namespace warden::testing
