#include "warden/MessageWriter.h"

#include <asio/redirect_error.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>

namespace warden {

asio::awaitable<std::error_code> sendMessage(asio::ip::tcp::socket& socket,
                                             std::span<const std::uint8_t> message)
{
    std::error_code error;
    if (!socket.non_blocking())
        socket.non_blocking(true, error);
    std::size_t sent = 0;
    if (!error)
        sent = socket.send(asio::buffer(message.data(), message.size()), 0, error);
    if (error == asio::error::would_block)
        error.clear();
    if (error || sent == message.size())
        co_return error;
    co_await asio::async_write(socket, asio::buffer(message.data() + sent, message.size() - sent),
                               asio::redirect_error(asio::use_awaitable, error));
    co_return error;
}

} // namespace warden
