#include "warden/ExitDialer.h"

#include "warden/Deadline.h"

#include <asio/ip/address.hpp>
#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>

namespace warden {

using asio::ip::tcp;

ExitDialer::ExitDialer(asio::any_io_executor executor, ExitSettings settings)
    : m_executor(std::move(executor)), m_settings(std::move(settings))
{
}

asio::awaitable<DialResult> ExitDialer::dial(const Progress* progress) const
{
    const auto report = [progress](const status::Event& event) {
        if (progress)
            (*progress)(event);
    };
    // An address literal needs no look-up; a name is resolved anew on every dial, so a
    // changed DNS entry is picked up by the next verification.
    std::vector<tcp::endpoint> endpoints;
    std::error_code notLiteral;
    const auto literal = asio::ip::make_address(m_settings.host, notLiteral);
    if (!notLiteral) {
        endpoints.emplace_back(literal, m_settings.port);
    } else {
        report(status::kResolving);
        if (auto failure = co_await resolve(endpoints))
            co_return DialResult{std::nullopt, *failure};
    }

    report(status::kConnecting);
    tcp::socket socket(m_executor);
    if (auto failure = co_await connect(socket, endpoints))
        co_return DialResult{std::nullopt, *failure};

    report(status::kAuthenticating);
    if (auto failure = co_await greetExit(socket, m_settings.credentials, m_settings.stepLimit))
        co_return DialResult{std::nullopt, *failure};
    co_return DialResult{std::move(socket), ExitFailure::Unreachable};
}

asio::awaitable<std::optional<ExitFailure>> ExitDialer::resolve(std::vector<tcp::endpoint>& endpoints) const
{
    std::error_code error;
    const std::string service = std::to_string(m_settings.port);
    tcp::resolver resolver(m_executor);
    Deadline deadline(m_executor, m_settings.stepLimit, [&resolver] { resolver.cancel(); });
    const auto results = co_await resolver.async_resolve(m_settings.host, service,
                                                         asio::redirect_error(asio::use_awaitable, error));
    if (deadline.expired())
        co_return ExitFailure::TimedOut;
    if (error)
        co_return classifyExitError(error);
    for (const auto& result : results)
        endpoints.push_back(result.endpoint());
    if (endpoints.empty())
        co_return ExitFailure::Unreachable;
    co_return std::nullopt;
}

// Tries each address in turn; one time limit covers them all.
asio::awaitable<std::optional<ExitFailure>>
ExitDialer::connect(tcp::socket& socket, const std::vector<tcp::endpoint>& endpoints) const
{
    Deadline deadline(m_executor, m_settings.stepLimit, [&socket] {
        std::error_code ignored;
        socket.close(ignored);
    });
    std::error_code error;
    for (const auto& endpoint : endpoints) {
        std::error_code ignored;
        socket.close(ignored); // a failed attempt leaves the socket unusable for the next
        // Set up before connecting, so no later step has to.
        socket.open(endpoint.protocol(), error);
        if (!error)
            socket.non_blocking(true, error);
        if (!error)
            socket.set_option(tcp::no_delay(true), error);
        if (!error)
            co_await socket.async_connect(endpoint, asio::redirect_error(asio::use_awaitable, error));
        if (!error || deadline.expired())
            break;
    }
    if (deadline.expired())
        co_return ExitFailure::TimedOut;
    if (error)
        co_return classifyExitError(error);
    co_return std::nullopt;
}

} // namespace warden
