#pragma once

// A kernel pipe, the in-kernel buffer splice(2) moves socket data through.

#include <cstddef>
#include <optional>

namespace warden::linux_os {

class Pipe
{
public:
    // A non-blocking pipe of about `capacity` bytes (the kernel may round it or keep its
    // default size); nothing when the descriptors run out.
    static std::optional<Pipe> open(std::size_t capacity);

    Pipe(Pipe&& other) noexcept;
    Pipe& operator=(Pipe&& other) noexcept;
    ~Pipe();

    int readEnd() const { return m_read; }
    int writeEnd() const { return m_write; }
    std::size_t capacity() const { return m_capacity; }

private:
    Pipe(int readEnd, int writeEnd, std::size_t capacity);
    void close();

    int m_read = -1;
    int m_write = -1;
    std::size_t m_capacity = 0;
};

} // namespace warden::linux_os
