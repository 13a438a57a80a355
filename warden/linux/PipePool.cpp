#include "warden/linux/PipePool.h"

namespace warden::linux_os {

std::optional<Pipe> PipePool::take()
{
    if (m_idle.empty())
        return Pipe::open(m_capacity);
    Pipe pipe = std::move(m_idle.back());
    m_idle.pop_back();
    return pipe;
}

void PipePool::give(Pipe pipe)
{
    if (m_idle.size() < m_keep)
        m_idle.push_back(std::move(pipe));
}

} // namespace warden::linux_os
