#include "RawClient.h"

#include "Loopback.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace warden::testing {

using Clock = std::chrono::steady_clock;

RawClient::RawClient(const std::string& host, std::uint16_t port) : m_fd(connectTo(host, port)) {}

RawClient::~RawClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void RawClient::send(const std::string& bytes)
{
    ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string RawClient::receive(std::size_t count, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    std::string got;
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{m_fd, POLLIN, 0};
        if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0)
            break;
        char chunk[512];
        const ssize_t n = ::recv(m_fd, chunk, std::min(sizeof chunk, count - got.size()), 0);
        if (n <= 0)
            break;
        got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
}

void RawClient::abandon()
{
    ::shutdown(m_fd, SHUT_WR);
    ::close(m_fd);
    m_fd = -1;
}

bool RawClient::closedWithin(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{m_fd, POLLIN, 0};
        if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0)
            return false;
        char sink[512];
        if (::recv(m_fd, sink, sizeof sink, 0) <= 0)
            return true;
    }
}

} // namespace warden::testing
