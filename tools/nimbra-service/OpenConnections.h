#pragma once

// The connections being served, by client address. One address holds at most a few at a
// time, so slow clients on fewer addresses than the workers divided by that share cannot
// take every worker (clients on more can, until their requests' deadline); and at stop
// every one stops reading, so no worker waits out a slow client's deadline.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace nimbra_service {

class OpenConnections
{
public:
    explicit OpenConnections(std::size_t perAddress) : m_perAddress(perAddress) {}

    // Takes the connection `fd` from `address` on, unless that address holds its share.
    bool admit(int fd, const std::string& address);
    // Called before `fd` is closed, so stopReading never touches a number reused since.
    void release(int fd);
    // Ends the reading side of every open connection: a request being read fails at once,
    // an answer being written is finished.
    void stopReading();

private:
    std::mutex m_mutex;
    const std::size_t m_perAddress;
    std::map<std::string, std::size_t> m_countByAddress;
    std::map<int, std::string> m_addressByFd;
};

} // namespace nimbra_service
