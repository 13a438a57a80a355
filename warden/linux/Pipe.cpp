#include "warden/linux/Pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace warden::linux_os {

std::optional<Pipe> Pipe::open(std::size_t capacity)
{
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0)
        return std::nullopt;
    const int size = ::fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(capacity));
    const int actual = size > 0 ? size : ::fcntl(ends[1], F_GETPIPE_SZ);
    return Pipe(ends[0], ends[1], static_cast<std::size_t>(actual));
}

Pipe::Pipe(int readEnd, int writeEnd, std::size_t capacity)
    : m_read(readEnd), m_write(writeEnd), m_capacity(capacity)
{
}

Pipe::Pipe(Pipe&& other) noexcept
    : m_read(std::exchange(other.m_read, -1)), m_write(std::exchange(other.m_write, -1)),
      m_capacity(other.m_capacity)
{
}

Pipe& Pipe::operator=(Pipe&& other) noexcept
{
    if (this != &other) {
        close();
        m_read = std::exchange(other.m_read, -1);
        m_write = std::exchange(other.m_write, -1);
        m_capacity = other.m_capacity;
    }
    return *this;
}

Pipe::~Pipe()
{
    close();
}

void Pipe::close()
{
    if (m_read >= 0)
        ::close(m_read);
    if (m_write >= 0)
        ::close(m_write);
    m_read = m_write = -1;
}

} // namespace warden::linux_os
