#pragma once

#include "platform/SystemProxy.h"

namespace platform {

// The desktop's proxy settings: GNOME's GSettings (GNOME, Cinnamon, MATE, Budgie, and the
// Chromium-based browsers there) where the schema is installed, and KDE's kioslaverc in a
// KDE session or where that file exists. A Linux desktop has no dial-up connections with
// settings of their own: everything goes to the default settings.
class LinuxSystemProxy : public SystemProxy
{
public:
    std::optional<std::vector<std::string>> activeDialUpConnections() override;
    bool setOptions(const std::optional<std::string>& connection, const Options& options) override;
    void notifyRefresh() override;
    void notifySettingsChanged() override;
    // GNOME's keys as "gnome:mode", "gnome:socks.host", "gnome:http" (the HTTP proxy's
    // host), ... where the schema is installed; KDE's as "kde:ProxyType", ... where
    // kioslaverc is written, a missing key as what it means.
    std::map<std::string, std::string> userSettings() override;
    bool restoreSettings(const std::map<std::string, std::string>& settings) override;
};

// The parts of what is written, as the desktops keep them.
struct DesktopProxy
{
    bool manual = false;
    std::string socksHost;
    int socksPort = 0;
    // The bypass list's sites in order, empty items dropped; nothing keeps the stored list.
    std::optional<std::vector<std::string>> ignoreHosts;
};
DesktopProxy desktopProxy(const SystemProxy::Options& options);

// kioslaverc with its [Proxy Settings] group set as KDE's own dialog sets it; every other
// group and key stays as it was. Switching on also empties httpProxy, httpsProxy and
// ftpProxy where they are set; switching off sets ProxyType only.
std::string kioslavercWith(const std::string& text, const DesktopProxy& proxy);

} // namespace platform
