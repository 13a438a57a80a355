#pragma once

#include "platform/Http.h"

namespace platform {

// HTTP through WinINet, with the proxy and connection settings the system is configured
// with. Answers come fresh from the server and are not kept in the system's cache.
class WinInetHttp : public Http
{
public:
    std::unique_ptr<HttpSession> open(const std::string& agent) override;
};

} // namespace platform
