#include "warden/linux/SpliceMover.h"

#include "warden/System.h"

#include <asio/use_awaitable.hpp>

#include <cerrno>
#include <fcntl.h>
#include <system_error>

namespace warden::linux_os {

using asio::ip::tcp;

namespace {

constexpr unsigned kFlags = SPLICE_F_MOVE | SPLICE_F_NONBLOCK;

[[noreturn]] void throwErrno()
{
    throw std::system_error(errno, std::system_category());
}

// Sends everything the pipe holds, waiting whenever the destination's buffer is full.
asio::awaitable<void> drain(const Pipe& pipe, std::size_t length, tcp::socket& to)
{
    while (length > 0) {
        const ssize_t sent = ::splice(pipe.readEnd(), nullptr, to.native_handle(), nullptr, length, kFlags);
        if (sent > 0) {
            length -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EAGAIN) {
            co_await to.async_wait(tcp::socket::wait_write, asio::use_awaitable);
        } else if (sent < 0 && errno != EINTR) {
            throwErrno();
        }
    }
}

} // namespace

asio::awaitable<bool> SpliceMover::move(tcp::socket& from, tcp::socket& to)
{
    std::optional<Pipe> pipe = m_pipes.take();
    if (!pipe)
        co_return co_await m_fallback.move(from, to);

    for (std::size_t moved = 0; moved < kBurstLimit;) {
        const ssize_t got =
            ::splice(from.native_handle(), nullptr, pipe->writeEnd(), nullptr, pipe->capacity(), kFlags);
        if (got == 0 || (got < 0 && errno == EAGAIN)) {
            m_pipes.give(std::move(*pipe));
            co_return got != 0;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwErrno();
        // An exception here leaves data in the pipe: it is then closed, not given back.
        co_await drain(*pipe, static_cast<std::size_t>(got), to);
        moved += static_cast<std::size_t>(got);
    }
    m_pipes.give(std::move(*pipe));
    co_return true;
}

} // namespace warden::linux_os

namespace warden {

std::unique_ptr<BurstMover> makeBurstMover()
{
    return std::make_unique<linux_os::SpliceMover>();
}

} // namespace warden
