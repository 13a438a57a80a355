#pragma once

// Lends empty pipes to bursts in flight and keeps a few returned ones for the next burst,
// so a pipe exists only while data flows yet is not created anew for every burst.

#include "warden/linux/Pipe.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace warden::linux_os {

class PipePool
{
public:
    PipePool(std::size_t pipeCapacity, std::size_t keep) : m_capacity(pipeCapacity), m_keep(keep) {}

    // An empty pipe; nothing when no descriptor is left for one.
    std::optional<Pipe> take();
    // Takes back a drained pipe (one that may still hold data must be dropped instead).
    void give(Pipe pipe);

    std::size_t idle() const { return m_idle.size(); }

private:
    std::size_t m_capacity;
    std::size_t m_keep;
    std::vector<Pipe> m_idle;
};

} // namespace warden::linux_os
