#pragma once

// A blocking TCP client for writing exact bytes at Warden, as a misbehaving program
// would; every read is bounded by a time-out.

#include <chrono>
#include <cstdint>
#include <string>

namespace warden::testing {

class RawClient
{
public:
    RawClient(const std::string& host, std::uint16_t port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    void send(const std::string& bytes);
    // Up to `count` bytes, fewer when the peer closed or `timeout` passed.
    std::string receive(std::size_t count, std::chrono::milliseconds timeout);
    // True when the peer closed (or reset) the connection within `timeout`.
    bool closedWithin(std::chrono::milliseconds timeout);
    // Ends its side, then closes with data still unread, which resets the connection: a
    // download abandoned half-way.
    void abandon();

private:
    int m_fd;
};

} // namespace warden::testing
