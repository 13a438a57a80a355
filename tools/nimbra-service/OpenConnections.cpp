#include "tools/nimbra-service/OpenConnections.h"

#include <sys/socket.h>

namespace nimbra_service {

bool OpenConnections::admit(int fd, const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    std::size_t& count = m_countByAddress[address];
    if (count >= m_perAddress) {
        return false;
    }
    ++count;
    m_addressByFd.emplace(fd, address);
    return true;
}

void OpenConnections::release(int fd)
{
    const std::lock_guard lock(m_mutex);
    const auto open = m_addressByFd.find(fd);
    if (open == m_addressByFd.end()) {
        return;
    }
    const auto count = m_countByAddress.find(open->second);
    if (--count->second == 0) {
        m_countByAddress.erase(count);
    }
    m_addressByFd.erase(open);
}

void OpenConnections::stopReading()
{
    const std::lock_guard lock(m_mutex);
    for (const auto& [fd, address] : m_addressByFd) {
        ::shutdown(fd, SHUT_RD);
    }
}

} // namespace nimbra_service
