#include "warden/ExitHandshake.h"

#include "warden/Deadline.h"
#include "warden/MessageReader.h"
#include "warden/MessageWriter.h"

#include <asio/this_coro.hpp>

#include <array>

namespace warden {

namespace {

template <typename T> struct StepResult
{
    std::optional<ExitFailure> failure;
    T value{};
    socks5::Bytes rest{}; // what the exit sent after its answer
};

// Sends one message and reads the one answer, within `limit`.
template <typename T>
asio::awaitable<StepResult<T>> exchange(asio::ip::tcp::socket& exit, const socks5::Bytes& message,
                                        MessageParser<T> parse, std::chrono::steady_clock::duration limit)
{
    const auto executor = co_await asio::this_coro::executor;
    Deadline deadline(executor, limit, [&exit] {
        std::error_code ignored;
        exit.close(ignored);
    });
    std::error_code error = co_await sendMessage(exit, message);
    MessageReader reader(exit);
    socks5::Parsed<T> parsed;
    if (!error)
        parsed = co_await reader.next(parse, error);
    if (deadline.expired())
        co_return StepResult<T>{ExitFailure::TimedOut};
    if (error)
        co_return StepResult<T>{classifyExitError(error)};
    if (parsed.status == socks5::ParseStatus::Invalid)
        co_return StepResult<T>{ExitFailure::NotSocks};
    co_return StepResult<T>{std::nullopt, std::move(parsed.value), reader.takeRest()};
}

// During authentication the exit speaks only when spoken to: anything beyond its answer
// means it is not the SOCKS5 server it seems to be.
template <typename T> bool saidTooMuch(StepResult<T>& step)
{
    if (!step.failure && !step.rest.empty())
        step.failure = ExitFailure::NotSocks;
    return step.failure.has_value();
}

} // namespace

asio::awaitable<std::optional<ExitFailure>> greetExit(asio::ip::tcp::socket& exit, Credentials credentials,
                                                      std::chrono::steady_clock::duration stepLimit)
{
    using socks5::Method;
    static constexpr std::array kOffered{Method::UsernamePassword, Method::NoAuthentication};
    const socks5::Bytes greeting = socks5::buildGreeting(kOffered);
    auto chosen = co_await exchange<Method>(exit, greeting, socks5::parseMethodSelection, stepLimit);
    if (saidTooMuch(chosen))
        co_return chosen.failure;
    switch (chosen.value) {
    case Method::NoAuthentication:
        co_return std::nullopt;
    case Method::UsernamePassword:
        break;
    case Method::NoAcceptable:
        co_return ExitFailure::Rejected;
    default: // a method that was not offered
        co_return ExitFailure::NotSocks;
    }

    const socks5::Bytes auth = socks5::buildAuthRequest(credentials.user, credentials.key);
    auto accepted = co_await exchange<bool>(exit, auth, socks5::parseAuthReply, stepLimit);
    if (saidTooMuch(accepted))
        co_return accepted.failure;
    if (!accepted.value)
        co_return ExitFailure::Rejected;
    co_return std::nullopt;
}

asio::awaitable<ConnectResult> requestConnect(asio::ip::tcp::socket& exit, socks5::Address destination,
                                              std::chrono::steady_clock::duration limit)
{
    const socks5::Request request{socks5::Command::Connect, std::move(destination)};
    const socks5::Bytes message = socks5::buildRequest(request);
    auto answer = co_await exchange<socks5::Answer>(exit, message, socks5::parseReply, limit);
    co_return ConnectResult{answer.failure, std::move(answer.value), std::move(answer.rest)};
}

} // namespace warden
