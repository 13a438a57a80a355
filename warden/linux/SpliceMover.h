#pragma once

// Moves data from socket to socket through a kernel pipe with splice(2): the bytes never
// enter user space, which is what lets the relay keep up with a fast exit.

#include "warden/BurstMover.h"
#include "warden/CopyMover.h"
#include "warden/linux/PipePool.h"

namespace warden::linux_os {

class SpliceMover final : public BurstMover
{
public:
    // Larger than the kernel's 64 KiB default: fewer system calls per megabyte.
    static constexpr std::size_t kPipeCapacity = 256 * 1024;
    static constexpr std::size_t kIdlePipes = 16;

    asio::awaitable<bool> move(asio::ip::tcp::socket& from, asio::ip::tcp::socket& to) override;

    const PipePool& pipes() const { return m_pipes; }

private:
    PipePool m_pipes{kPipeCapacity, kIdlePipes};
    // Serves a burst when no descriptor is left for a pipe.
    CopyMover m_fallback;
};

} // namespace warden::linux_os
