#pragma once

// Runs coroutines of a test on an io_context in the test's own thread, each run bounded
// in time, so a hang fails the test instead of stalling the suite.

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <functional>

namespace warden::testing {

inline constexpr std::chrono::seconds kRunLimit{20};

// Runs `task` to its end (or for at most `limit`); true when it ended. Exceptions from
// the task are rethrown here.
inline bool runToEnd(asio::io_context& io, asio::awaitable<void> task, std::chrono::seconds limit = kRunLimit)
{
    bool ended = false;
    std::exception_ptr failure;
    io.restart();
    asio::co_spawn(io, std::move(task), [&](std::exception_ptr error) {
        ended = true;
        failure = error;
        io.stop();
    });
    io.run_for(limit);
    if (failure)
        std::rethrow_exception(failure);
    return ended;
}

// Polls `condition` (which must outlive the wait) every few milliseconds until it holds;
// false after `limit`.
inline asio::awaitable<bool> eventually(const std::function<bool()>& condition,
                                        std::chrono::steady_clock::duration limit = kRunLimit)
{
    asio::steady_timer timer(co_await asio::this_coro::executor);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            co_return false;
        timer.expires_after(std::chrono::milliseconds(5));
        co_await timer.async_wait(asio::use_awaitable);
    }
    co_return true;
}

} // namespace warden::testing
