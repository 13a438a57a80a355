#include "proxy/SystemProxy.h"

FirefoxPrefsResult SetProxy(platform::Host& host, bool enable, const std::string& proxyAddress,
                            const std::string& bypassList)
{
    SetSystemProxy(host.systemProxy, enable, proxyAddress, bypassList);
    return SetFirefoxProxy(host.folders, host.windows, enable, proxyAddress, bypassList);
}

void SetSystemProxy(platform::SystemProxy& system, bool enable, const std::string& proxyAddress,
                    const std::string& bypassList)
{
    std::vector<std::string> names;
    if (ListDialUpConnections(system, names) < 1) {
        SetConnectionProxy(system, enable, std::nullopt, proxyAddress, bypassList);
        return;
    }
    for (const std::string& name : names) {
        SetConnectionProxy(system, enable, name, proxyAddress, bypassList);
    }
}

platform::SystemProxy::Options connectionOptions(bool enable, const std::string& proxyAddress,
                                                 const std::string& bypassList)
{
    platform::SystemProxy::Options options;
    options.flags = enable ? platform::SystemProxy::kThroughProxy : platform::SystemProxy::kDirect;
    options.server = "socks=" + (enable ? proxyAddress : std::string());
    if (!bypassList.empty()) {
        options.bypass = bypassList;
    }
    return options;
}

bool SetConnectionProxy(platform::SystemProxy& system, bool enable,
                        const std::optional<std::string>& connection, const std::string& proxyAddress,
                        const std::string& bypassList)
{
    const bool accepted = system.setOptions(connection, connectionOptions(enable, proxyAddress, bypassList));
    system.notifyRefresh();
    system.notifySettingsChanged();
    return accepted;
}

int ListDialUpConnections(platform::SystemProxy& system, std::vector<std::string>& names)
{
    const std::optional<std::vector<std::string>> active = system.activeDialUpConnections();
    if (!active) {
        return 0;
    }
    names.insert(names.end(), active->begin(), active->end());
    return static_cast<int>(active->size());
}
