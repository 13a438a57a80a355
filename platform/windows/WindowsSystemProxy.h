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
    // The flags, server and bypass text of the default settings as "flags", "server",
    // "bypass", and of each active dial-up connection as "flags@NAME", ...; a connection
    // whose options cannot be read is left out.
    std::map<std::string, std::string> userSettings() override;
    bool restoreSettings(const std::map<std::string, std::string>& settings) override;
};

} // namespace platform
