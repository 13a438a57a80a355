#pragma once

#include "platform/SystemProxy.h"

namespace platform {

// WinINet's per-connection proxy options of the current user (those the Internet Options
// dialog shows), and the remote-access list of the active dial-up and VPN connections.
class WindowsSystemProxy : public SystemProxy
{
public:
    std::optional<std::vector<std::string>> activeDialUpConnections() override;
    bool setOptions(const std::optional<std::string>& connection, const Options& options) override;
    void notifyRefresh() override;
    void notifySettingsChanged() override;
    // The server text written is "socks=" and an address alone, which leaves WinINet no
    // proxy of any scheme's own: there is nothing to keep or put back.
    std::map<std::string, std::string> schemeProxies() override { return {}; }
    bool setSchemeProxies(const std::map<std::string, std::string>&) override { return true; }
};

} // namespace platform
