#pragma once

// One connection as cpp-httplib reads requests from it and writes answers to it. A read
// waits no later than the deadline of the request being read, so a request must arrive
// whole in time however its bytes trickle in; a write waits at most the write time-out.

#include <httplib.h>

#include <array>
#include <chrono>
#include <string>
#include <sys/socket.h>

namespace nimbra_service {

using Clock = std::chrono::steady_clock;

class DeadlineStream : public httplib::Stream
{
public:
    DeadlineStream(int fd, std::string peerIp, int peerPort, std::chrono::microseconds writeTimeout);

    // The time by which the request now being read must have arrived.
    void setDeadline(Clock::time_point deadline) { m_deadline = deadline; }
    // Whether a byte (or the peer's end) arrives before `until`, or before the deadline
    // when that comes first.
    bool waitReadable(Clock::time_point until) const;
    // Whether a read was refused because the deadline had passed: the request came too
    // slowly, and so may the next on this connection.
    bool missedDeadline() const { return m_missedDeadline; }

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_fd; }

private:
    int m_fd;
    std::string m_peerIp;
    int m_peerPort;
    std::chrono::microseconds m_writeTimeout;
    Clock::time_point m_deadline = Clock::time_point::max();
    bool m_missedDeadline = false;
    // cpp-httplib reads a request line by line a byte at a time: bytes come from the
    // socket in chunks, and what is left of one belongs to the connection's next request.
    std::array<char, 4096> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

// The numeric address and port of `address`; false when it is of no family the service
// listens on.
bool numericAddress(const sockaddr* address, socklen_t size, std::string& ip, int& port);

} // namespace nimbra_service
