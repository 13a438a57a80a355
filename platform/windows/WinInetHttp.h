#pragma once

#include "platform/Http.h"

#include <mutex>
#include <string>

namespace platform {

// HTTP through WinINet, with the proxy and connection settings the system is configured
// with. Answers come fresh from the server and are not kept in the system's cache.
class WinInetHttp : public Http
{
public:
    std::unique_ptr<HttpSession> open(const std::string& agent) override;
    void setOwnProxy(const std::string& address) override;
    void setSilenceLimit(std::chrono::milliseconds limit) override;

private:
    std::string ownProxy();
    unsigned long silenceLimitMs();

    // Sessions are opened on worker threads.
    std::mutex m_mutex;
    std::string m_ownProxy;
    std::chrono::milliseconds m_silenceLimit = kHttpSilenceLimit;
};

} // namespace platform
