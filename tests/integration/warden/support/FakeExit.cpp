#include "FakeExit.h"

#include "TestCredentials.h"

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/read.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

namespace warden::testing {

using asio::ip::tcp;

namespace {

asio::awaitable<void> acceptLoop(tcp::acceptor& acceptor, FakeExit::Script script,
                                 std::shared_ptr<int> accepted, std::vector<std::weak_ptr<tcp::socket>>& held)
{
    for (;;) {
        std::error_code error;
        tcp::socket socket = co_await acceptor.async_accept(asio::redirect_error(asio::use_awaitable, error));
        if (error)
            co_return;
        ++*accepted;
        auto shared = std::make_shared<tcp::socket>(std::move(socket));
        held.push_back(shared);
        asio::co_spawn(acceptor.get_executor(), script(std::move(shared)), asio::detached);
    }
}

asio::awaitable<void> readGreeting(tcp::socket& socket)
{
    socks5::Bytes head(2);
    co_await asio::async_read(socket, asio::buffer(head), asio::use_awaitable);
    socks5::Bytes methods(head[1]);
    co_await asio::async_read(socket, asio::buffer(methods), asio::use_awaitable);
}

asio::awaitable<void> waitForLeave(tcp::socket& socket)
{
    std::error_code error;
    char sink[256];
    while (!error)
        co_await socket.async_read_some(asio::buffer(sink), asio::redirect_error(asio::use_awaitable, error));
}

// Reads the RFC 1929 request and answers it; true when the credentials were the test's.
asio::awaitable<bool> checkCredentials(tcp::socket& socket)
{
    co_await asio::async_write(socket,
                               asio::buffer(socks5::buildMethodSelection(socks5::Method::UsernamePassword)),
                               asio::use_awaitable);
    // VER ULEN UNAME PLEN PASSWD, read field by field.
    socks5::Bytes got(2);
    co_await asio::async_read(socket, asio::buffer(got), asio::use_awaitable);
    got.resize(2 + got[1] + 1);
    co_await asio::async_read(socket, asio::buffer(got.data() + 2, got.size() - 2), asio::use_awaitable);
    const std::size_t passwordAt = got.size();
    got.resize(passwordAt + got.back());
    co_await asio::async_read(socket, asio::buffer(got.data() + passwordAt, got.size() - passwordAt),
                              asio::use_awaitable);
    const bool accepted = got == socks5::buildAuthRequest(kUser, kKey);
    const socks5::Bytes reply{socks5::kAuthVersion, static_cast<std::uint8_t>(accepted ? 0x00 : 0x01)};
    co_await asio::async_write(socket, asio::buffer(reply), asio::use_awaitable);
    co_return accepted;
}

} // namespace

FakeExit::FakeExit(asio::io_context& io, Script script)
    : m_acceptor(io, tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      m_port(m_acceptor.local_endpoint().port())
{
    asio::co_spawn(io, acceptLoop(m_acceptor, std::move(script), m_accepted, m_held), asio::detached);
}

FakeExit::~FakeExit()
{
    kill();
}

void FakeExit::kill()
{
    std::error_code ignored;
    m_acceptor.close(ignored);
    for (const auto& weak : m_held)
        if (const auto socket = weak.lock())
            socket->close(ignored);
    m_held.clear();
}

asio::awaitable<void> answerGreeting(FakeExit::Socket socket, socks5::Bytes reply)
{
    co_await readGreeting(*socket);
    co_await asio::async_write(*socket, asio::buffer(reply), asio::use_awaitable);
    co_await waitForLeave(*socket);
}

asio::awaitable<void> authenticate(FakeExit::Socket socket)
{
    co_await readGreeting(*socket);
    co_await checkCredentials(*socket);
    co_await waitForLeave(*socket);
}

asio::awaitable<void> connectWithBanner(FakeExit::Socket socket, std::string banner)
{
    co_await readGreeting(*socket);
    co_await asio::async_write(*socket,
                               asio::buffer(socks5::buildMethodSelection(socks5::Method::NoAuthentication)),
                               asio::use_awaitable);
    socks5::Bytes request(10); // VER CMD RSV ATYP=1 ADDR(4) PORT(2)
    co_await asio::async_read(*socket, asio::buffer(request), asio::use_awaitable);
    socks5::Bytes answer = socks5::buildReply({socks5::Reply::Succeeded, {}});
    answer.insert(answer.end(), banner.begin(), banner.end());
    co_await asio::async_write(*socket, asio::buffer(answer), asio::use_awaitable);
    co_await waitForLeave(*socket);
}

asio::awaitable<void> authenticateThenClose(FakeExit::Socket socket)
{
    co_await readGreeting(*socket);
    co_await checkCredentials(*socket);
    socket->close();
}

asio::awaitable<void> stayMute(FakeExit::Socket socket)
{
    co_await waitForLeave(*socket);
}

} // namespace warden::testing
