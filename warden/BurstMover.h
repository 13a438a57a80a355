#pragma once

// Moves the data one socket has ready to another socket. The relay calls it each time
// the source becomes readable; how the bytes travel (through user-space buffers or
// kernel pipes) is the mover's business.

#include <asio/awaitable.hpp>
#include <asio/ip/tcp.hpp>

namespace warden {

class BurstMover
{
public:
    // At most this much is moved per call, so one busy connection cannot keep the others
    // (all served by one thread) waiting.
    static constexpr std::size_t kBurstLimit = 1 << 20;

    virtual ~BurstMover() = default;

    // Moves what `from` has ready (both sockets are non-blocking); false once `from` has
    // reached the end of its stream. Throws std::system_error on a socket error.
    virtual asio::awaitable<bool> move(asio::ip::tcp::socket& from, asio::ip::tcp::socket& to) = 0;
};

} // namespace warden
