#include "warden/ClientSession.h"

#include "warden/Deadline.h"
#include "warden/MessageReader.h"
#include "warden/MessageWriter.h"
#include "warden/Relay.h"

#include <asio/this_coro.hpp>

#include <algorithm>
#include <optional>

namespace warden {

using asio::ip::tcp;
using socks5::Method;
using socks5::Reply;

namespace {

// The client's CONNECT request, or nothing once the client has been answered (or, when
// it does not speak SOCKS5 at all, simply dropped).
asio::awaitable<std::optional<socks5::Request>> readRequest(tcp::socket& client, MessageReader& reader)
{
    std::error_code error;
    const auto greeting = co_await reader.next(socks5::parseGreeting, error);
    if (error || greeting.status != socks5::ParseStatus::Done)
        co_return std::nullopt;

    const bool offersNone =
        std::ranges::find(greeting.value, Method::NoAuthentication) != greeting.value.end();
    const socks5::Bytes choice =
        socks5::buildMethodSelection(offersNone ? Method::NoAuthentication : Method::NoAcceptable);
    error = co_await sendMessage(client, choice);
    if (error || !offersNone)
        co_return std::nullopt;

    const auto request = co_await reader.next(socks5::parseRequest, error);
    if (error)
        co_return std::nullopt;
    if (request.status == socks5::ParseStatus::Done && request.value.command == socks5::Command::Connect)
        co_return request.value;

    const socks5::Answer refusal{
        request.status == socks5::ParseStatus::Invalid ? request.failure : Reply::CommandNotSupported, {}};
    const socks5::Bytes message = socks5::buildReply(refusal);
    co_await sendMessage(client, message);
    co_return std::nullopt;
}

// Tells the client how its CONNECT went; true when the relay may start. The destination's
// first data goes out with the reply, and what the client sent ahead of the reply goes to
// the exit. The buffers go with this frame, so a relayed connection holds none of them.
asio::awaitable<bool> answerClient(tcp::socket& client, ExitRoute::Route& opened, MessageReader& reader)
{
    const socks5::Bytes early = std::move(opened.early);
    socks5::Bytes reply = socks5::buildReply(opened.answer);
    reply.insert(reply.end(), early.begin(), early.end());
    std::error_code error = co_await sendMessage(client, reply);
    const socks5::Bytes ahead = reader.takeRest();
    if (!error && opened.exit && !ahead.empty())
        error = co_await sendMessage(*opened.exit, ahead);
    co_return !error;
}

// Moves bursts with the shared mover, and has the replacement for the spare this session
// took dialed once the exit's first answer has reached the client.
class ReplaceOnFirstAnswer final : public BurstMover
{
public:
    ReplaceOnFirstAnswer(BurstMover& mover, const tcp::socket& exit, SparePool::Replacement replacement)
        : m_mover(mover), m_exit(exit), m_replacement(std::move(replacement))
    {
    }

    asio::awaitable<bool> move(tcp::socket& from, tcp::socket& to) override
    {
        const bool open = co_await m_mover.move(from, to);
        if (&from == &m_exit)
            m_replacement.dial();
        co_return open;
    }

private:
    BurstMover& m_mover;
    const tcp::socket& m_exit;
    SparePool::Replacement m_replacement;
};

} // namespace

asio::awaitable<void> serveClient(tcp::socket client, ExitRoute& route, BurstMover& mover,
                                  std::chrono::steady_clock::duration handshakeLimit)
{
    MessageReader reader(client);
    std::optional<socks5::Request> request;
    {
        const auto executor = co_await asio::this_coro::executor;
        Deadline deadline(executor, handshakeLimit, [&client] {
            std::error_code ignored;
            client.close(ignored);
        });
        request = co_await readRequest(client, reader);
    }
    if (!request)
        co_return;

    ExitRoute::Route opened = co_await route.open(std::move(request->destination));
    if (!co_await answerClient(client, opened, reader) || !opened.exit)
        co_return;
    ReplaceOnFirstAnswer sessionMover(mover, *opened.exit, std::move(opened.replacement));
    co_await relay(client, *opened.exit, sessionMover);
}

} // namespace warden
