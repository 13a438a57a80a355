#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The current user's system proxy settings, per connection: the default settings and
// those of each active dial-up (or VPN) connection.
class SystemProxy
{
public:
    // The connection's flags: a direct connection, or through the proxy server given.
    static constexpr int kDirect = 1;
    static constexpr int kThroughProxy = 2;

    struct Options
    {
        int flags = kDirect;
        // "socks=" followed by host:port.
        std::string server;
        // Sites that go direct, each followed by a comma; nothing leaves the stored list.
        std::optional<std::string> bypass;
        bool operator==(const Options&) const = default;
    };

    virtual ~SystemProxy() = default;

    // The entry names of the active dial-up connections, in the system's order; nothing
    // when they cannot be listed.
    virtual std::optional<std::vector<std::string>> activeDialUpConnections() = 0;
    // Writes the options of one connection, or of the default settings when `connection`
    // is nothing; true when the system took them.
    virtual bool setOptions(const std::optional<std::string>& connection, const Options& options) = 0;
    // Tells running programs to read the settings again, then that they have changed.
    virtual void notifyRefresh() = 0;
    virtual void notifySettingsChanged() = 0;

    // What the user has in every setting setOptions writes (the mode, the proxy, the
    // bypass list, the per-scheme proxies that would be taken before the SOCKS one), by a
    // name of the system's own, each value as text. Read before the first switch on, so
    // restoreSettings can give the user back what they had: an automatic configuration, a
    // proxy of their own, their own bypass list. Settings that cannot be read are left out.
    virtual std::map<std::string, std::string> userSettings() = 0;
    // Writes back what userSettings gave; names it does not give are passed over. False
    // when one of them could not be written.
    virtual bool restoreSettings(const std::map<std::string, std::string>& settings) = 0;
};

} // namespace platform
