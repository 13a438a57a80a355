#include "warden/Relay.h"

#include <asio/experimental/awaitable_operators.hpp>
#include <asio/use_awaitable.hpp>

#include <system_error>

namespace warden {

using asio::ip::tcp;

namespace {

void closeBoth(tcp::socket& a, tcp::socket& b)
{
    std::error_code ignored;
    a.close(ignored);
    b.close(ignored);
}

// One direction. Errors are handled here rather than thrown, so the other direction
// is never cancelled half-way by the operator that waits for both: closing the sockets
// ends it with an error of its own.
asio::awaitable<void> pump(tcp::socket& from, tcp::socket& to, BurstMover& mover)
{
    try {
        for (;;) {
            co_await from.async_wait(tcp::socket::wait_read, asio::use_awaitable);
            if (!co_await mover.move(from, to))
                break;
        }
        to.shutdown(tcp::socket::shutdown_send);
    } catch (const std::system_error&) {
        closeBoth(from, to);
    }
}

} // namespace

asio::awaitable<void> relay(tcp::socket& a, tcp::socket& b, BurstMover& mover)
{
    using namespace asio::experimental::awaitable_operators;
    std::error_code error;
    if (!a.non_blocking())
        a.non_blocking(true, error);
    if (!error && !b.non_blocking())
        b.non_blocking(true, error);
    if (error) {
        closeBoth(a, b);
        co_return;
    }
    co_await (pump(a, b, mover) && pump(b, a, mover));
}

} // namespace warden
