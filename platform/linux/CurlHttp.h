#pragma once

#include "platform/Http.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

// HTTP through libcurl, with the proxy libproxy reads from the desktop's settings for each
// address. Each transfer is driven step by step as its body is read, holding no more of it
// than a few blocks.
class CurlHttp : public Http
{
public:
    CurlHttp();
    std::unique_ptr<HttpSession> open(const std::string& agent) override;
    void setOwnProxy(const std::string& address) override;
    void setSilenceLimit(std::chrono::milliseconds limit) override;

private:
    // Sessions are opened on worker threads.
    std::mutex m_mutex;
    std::string m_ownProxy;
    std::chrono::milliseconds m_silenceLimit = kHttpSilenceLimit;
};

// libproxy's answer for an address as libcurl takes it: "" for a direct connection (also
// when it names `ownProxy`, host:port), "socks5h://host:port" for a SOCKS proxy (names are
// resolved by the proxy, so they do not leak to the local resolver), "http://host:port"
// for an HTTP proxy.
std::string curlProxyFor(const std::vector<std::string>& libproxyAnswer, const std::string& ownProxy);

} // namespace platform
