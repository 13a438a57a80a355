#pragma once

// Opens authenticated connections to the exit: resolve its name, connect, greet and
// authenticate, each step within its own time limit.

#include "warden/ExitFailure.h"
#include "warden/ExitHandshake.h"
#include "warden/StatusEvents.h"

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace warden {

struct ExitSettings
{
    std::string host;
    std::uint16_t port = 0;
    Credentials credentials;
    std::chrono::steady_clock::duration stepLimit = std::chrono::seconds(10);
};

struct DialResult
{
    std::optional<asio::ip::tcp::socket> socket; // authenticated, when there is no failure
    ExitFailure failure = ExitFailure::Unreachable;
};

class ExitDialer
{
public:
    // Told of each step as it starts; verification reports them, spares stay quiet.
    using Progress = std::function<void(const status::Event&)>;

    // `progress`, when given, must outlive the dial. (A pointer rather than a temporary
    // std::function: g++ 12 can destroy temporaries of a co_await expression twice.)

    ExitDialer(asio::any_io_executor executor, ExitSettings settings);

    asio::awaitable<DialResult> dial(const Progress* progress = nullptr) const;

    std::chrono::steady_clock::duration stepLimit() const { return m_settings.stepLimit; }

private:
    asio::awaitable<std::optional<ExitFailure>>
    resolve(std::vector<asio::ip::tcp::endpoint>& endpoints) const;
    asio::awaitable<std::optional<ExitFailure>>
    connect(asio::ip::tcp::socket& socket, const std::vector<asio::ip::tcp::endpoint>& endpoints) const;

    asio::any_io_executor m_executor;
    ExitSettings m_settings;
};

} // namespace warden
