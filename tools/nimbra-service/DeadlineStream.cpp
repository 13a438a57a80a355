#include "tools/nimbra-service/DeadlineStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace nimbra_service {

namespace {

// Waits for `events` on `fd` until `until`; true when they came, or the peer ended or
// failed, which the read or write that follows reports.
bool waitFor(int fd, short events, Clock::time_point until)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd ready{fd, events, 0};
        const int got = ::poll(&ready, 1, static_cast<int>(std::clamp<decltype(left)>(left, 0, 60'000)));
        if (got > 0 || (got == 0 && Clock::now() >= until) || (got < 0 && errno != EINTR)) {
            return got > 0;
        }
    }
}

} // namespace

DeadlineStream::DeadlineStream(int fd, std::string peerIp, int peerPort,
                               std::chrono::microseconds writeTimeout)
    : m_fd(fd), m_peerIp(std::move(peerIp)), m_peerPort(peerPort), m_writeTimeout(writeTimeout)
{
}

bool DeadlineStream::waitReadable(Clock::time_point until) const
{
    return m_begin < m_end || waitFor(m_fd, POLLIN, std::min(until, m_deadline));
}

bool DeadlineStream::is_readable() const
{
    return m_begin < m_end || (Clock::now() < m_deadline && waitFor(m_fd, POLLIN, m_deadline));
}

bool DeadlineStream::is_writable() const
{
    return waitFor(m_fd, POLLOUT, Clock::now() + m_writeTimeout);
}

ssize_t DeadlineStream::read(char* ptr, size_t size)
{
    if (m_begin == m_end) {
        if (!is_readable()) {
            m_missedDeadline = true;
            return -1;
        }
        ssize_t got = -1;
        do {
            got = ::recv(m_fd, m_buffer.data(), m_buffer.size(), 0);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return got;
        }
        m_begin = 0;
        m_end = static_cast<std::size_t>(got);
    }
    const std::size_t count = std::min(size, m_end - m_begin);
    std::memcpy(ptr, m_buffer.data() + m_begin, count);
    m_begin += count;
    return static_cast<ssize_t>(count);
}

ssize_t DeadlineStream::write(const char* ptr, size_t size)
{
    if (!is_writable()) {
        return -1;
    }
    const ssize_t sent = ::send(m_fd, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    // Nothing sent yet is no failure: cpp-httplib writes again, waiting for room first.
    return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : sent;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    ip = m_peerIp;
    port = m_peerPort;
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &size) != 0 ||
        !numericAddress(reinterpret_cast<const sockaddr*>(&local), size, ip, port)) {
        ip.clear();
        port = 0;
    }
}

bool numericAddress(const sockaddr* address, socklen_t size, std::string& ip, int& port)
{
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (::getnameinfo(address, size, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return false;
    }
    ip = host;
    port = std::atoi(service);
    return true;
}

} // namespace nimbra_service
