#pragma once

// Moves data through a user-space buffer that exists only while a burst is being moved,
// so idle connections hold no buffer. Works everywhere asio does.

#include "warden/BurstMover.h"

namespace warden {

class CopyMover final : public BurstMover
{
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    asio::awaitable<bool> move(asio::ip::tcp::socket& from, asio::ip::tcp::socket& to) override;
};

} // namespace warden
