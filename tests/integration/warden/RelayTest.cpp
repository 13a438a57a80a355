#include "support/Async.h"
#include "support/HttpSource.h"

#include "warden/CopyMover.h"
#include "warden/Relay.h"
#ifdef __linux__
#include "warden/linux/SpliceMover.h"
#endif

#include <asio/experimental/awaitable_operators.hpp>
#include <asio/read.hpp>
#include <asio/redirect_error.hpp>
#include <asio/write.hpp>

#include <memory>
#include <vector>
#ifdef __linux__
#include <filesystem>
#endif

namespace warden {
namespace {

using asio::ip::tcp;
using namespace asio::experimental::awaitable_operators;
using testing::patternByte;
using testing::runToEnd;

struct Link
{
    tcp::socket nearEnd;
    tcp::socket farEnd;
};

// Two connected loopback sockets.
asio::awaitable<Link> makeLink()
{
    const auto executor = co_await asio::this_coro::executor;
    tcp::acceptor acceptor(executor, tcp::endpoint(asio::ip::address_v4::loopback(), 0));
    tcp::socket nearEnd(executor);
    co_await nearEnd.async_connect(acceptor.local_endpoint(), asio::use_awaitable);
    tcp::socket farEnd = co_await acceptor.async_accept(asio::use_awaitable);
    co_return Link{std::move(nearEnd), std::move(farEnd)};
}

asio::awaitable<void> sendPattern(tcp::socket& socket, std::size_t length)
{
    std::vector<std::uint8_t> chunk(100'000); // not a multiple of any buffer size
    for (std::size_t sent = 0; sent < length;) {
        const std::size_t n = std::min(chunk.size(), length - sent);
        for (std::size_t i = 0; i < n; ++i)
            chunk[i] = patternByte(sent + i);
        co_await asio::async_write(socket, asio::buffer(chunk.data(), n), asio::use_awaitable);
        sent += n;
    }
    socket.shutdown(tcp::socket::shutdown_send);
}

// Reads to the end of the stream; the count of bytes that matched the pattern in order.
asio::awaitable<std::size_t> receivePattern(tcp::socket& socket)
{
    std::vector<std::uint8_t> chunk(64 * 1024);
    std::size_t received = 0;
    for (;;) {
        std::error_code error;
        const std::size_t n = co_await socket.async_read_some(
            asio::buffer(chunk), asio::redirect_error(asio::use_awaitable, error));
        for (std::size_t i = 0; i < n; ++i)
            if (chunk[i] != patternByte(received + i))
                co_return received + i;
        received += n;
        if (error)
            co_return received;
    }
}

asio::awaitable<std::string> readToEnd(tcp::socket& socket)
{
    std::string text;
    std::error_code error;
    co_await asio::async_read(socket, asio::dynamic_buffer(text),
                              asio::redirect_error(asio::use_awaitable, error));
    co_return text;
}

asio::awaitable<std::string> askThenHalfClose(tcp::socket& client)
{
    const std::string question = "question";
    co_await asio::async_write(client, asio::buffer(question), asio::use_awaitable);
    client.shutdown(tcp::socket::shutdown_send);
    co_return co_await readToEnd(client);
}

// Answers only once the question has ended, which it does with the half-close.
asio::awaitable<std::string> answerAfterTheEnd(tcp::socket& server)
{
    std::string question = co_await readToEnd(server);
    const std::string answer = "answer";
    co_await asio::async_write(server, asio::buffer(answer), asio::use_awaitable);
    server.shutdown(tcp::socket::shutdown_send);
    co_return question;
}

asio::awaitable<void> reset(tcp::socket& socket)
{
    socket.set_option(asio::socket_base::linger(true, 0));
    socket.close();
    co_return;
}

struct MoverKind
{
    const char* name;
    std::unique_ptr<BurstMover> (*make)();
};

class RelayTest : public ::testing::TestWithParam<MoverKind>
{
protected:
    asio::io_context m_io;
    std::unique_ptr<BurstMover> m_mover = GetParam().make();
};

TEST_P(RelayTest, CarriesBulkDataBothWaysAtOnce)
{
    constexpr std::size_t kLength = 8 * 1024 * 1024 + 7;
    std::tuple<std::size_t, std::size_t> received{};
    const bool ended = runToEnd(m_io, [&]() -> asio::awaitable<void> {
        Link client = co_await makeLink();
        Link server = co_await makeLink();
        received = co_await (relay(client.farEnd, server.nearEnd, *m_mover) &&
                             sendPattern(client.nearEnd, kLength) && sendPattern(server.farEnd, kLength) &&
                             receivePattern(server.farEnd) && receivePattern(client.nearEnd));
    }());
    EXPECT_TRUE(ended);
    EXPECT_EQ(std::get<0>(received), kLength);
    EXPECT_EQ(std::get<1>(received), kLength);
}

TEST_P(RelayTest, AHalfClosedClientStillGetsItsAnswer)
{
    std::tuple<std::string, std::string> exchanged;
    const bool ended = runToEnd(m_io, [&]() -> asio::awaitable<void> {
        Link client = co_await makeLink();
        Link server = co_await makeLink();
        exchanged = co_await (relay(client.farEnd, server.nearEnd, *m_mover) &&
                              askThenHalfClose(client.nearEnd) && answerAfterTheEnd(server.farEnd));
    }());
    EXPECT_TRUE(ended);
    EXPECT_EQ(std::get<0>(exchanged), "answer");
    EXPECT_EQ(std::get<1>(exchanged), "question");
}

TEST_P(RelayTest, AResetOnOneSideEndsBothDirections)
{
    std::string seenByClient = "unset";
    const bool ended = runToEnd(m_io, [&]() -> asio::awaitable<void> {
        Link client = co_await makeLink();
        Link server = co_await makeLink();
        seenByClient = co_await (relay(client.farEnd, server.nearEnd, *m_mover) && reset(server.farEnd) &&
                                 readToEnd(client.nearEnd));
    }());
    EXPECT_TRUE(ended); // the relay did not wait forever on the client's silent side
    EXPECT_EQ(seenByClient, "");
}

// Every mover this system has: the copying one everywhere, kernel pipes on Linux.
std::vector<MoverKind> movers()
{
    std::vector<MoverKind> kinds{{"Copy", [] { return std::unique_ptr<BurstMover>(new CopyMover); }}};
#ifdef __linux__
    kinds.push_back({"Splice", [] { return std::unique_ptr<BurstMover>(new linux_os::SpliceMover); }});
#endif
    return kinds;
}

INSTANTIATE_TEST_SUITE_P(Movers, RelayTest, ::testing::ValuesIn(movers()),
                         [](const auto& info) { return std::string(info.param.name); });

#ifdef __linux__
std::size_t openDescriptors()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator{}));
}

// Moves one burst, then counts the descriptors in use (less the pool's idle pipes) while
// the relayed connection sits idle.
asio::awaitable<std::size_t> descriptorsWhileIdle(Link& client, Link& server,
                                                  const linux_os::SpliceMover& mover)
{
    std::vector<std::uint8_t> data(1 << 20, 0x5A);
    co_await asio::async_write(client.nearEnd, asio::buffer(data), asio::use_awaitable);
    co_await asio::async_read(server.farEnd, asio::buffer(data), asio::use_awaitable);
    const std::size_t inUse = openDescriptors() - 2 * mover.pipes().idle();
    client.nearEnd.shutdown(tcp::socket::shutdown_send);
    server.farEnd.shutdown(tcp::socket::shutdown_send);
    co_return inUse;
}

TEST(SpliceMover, AnIdleConnectionHoldsNoPipe)
{
    asio::io_context io;
    linux_os::SpliceMover mover;
    tcp::socket(io).open(tcp::v4()); // the io_context opens its own descriptors with its first socket
    const std::size_t before = openDescriptors();
    std::size_t whileIdle = 0;
    const bool ended = runToEnd(io, [&]() -> asio::awaitable<void> {
        Link client = co_await makeLink();
        Link server = co_await makeLink();
        whileIdle = co_await (relay(client.farEnd, server.nearEnd, mover) &&
                              descriptorsWhileIdle(client, server, mover));
    }());
    ASSERT_TRUE(ended);
    EXPECT_EQ(whileIdle, before + 4);    // the four sockets, no pipe
    EXPECT_GE(mover.pipes().idle(), 1u); // the burst's pipe went back for the next one
    EXPECT_EQ(openDescriptors(), before + 2 * mover.pipes().idle());
}
#endif

} // namespace
} // namespace warden
