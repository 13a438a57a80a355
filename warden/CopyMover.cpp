#include "warden/CopyMover.h"

#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

#include <memory>
#include <system_error>

namespace warden {

asio::awaitable<bool> CopyMover::move(asio::ip::tcp::socket& from, asio::ip::tcp::socket& to)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    for (std::size_t moved = 0; moved < kBurstLimit;) {
        std::error_code error;
        const std::size_t got = from.read_some(asio::buffer(buffer.get(), kBufferSize), error);
        if (error == asio::error::would_block)
            co_return true;
        if (error == asio::error::eof)
            co_return false;
        if (error)
            throw std::system_error(error);
        co_await asio::async_write(to, asio::buffer(buffer.get(), got), asio::use_awaitable);
        moved += got;
    }
    co_return true;
}

} // namespace warden
