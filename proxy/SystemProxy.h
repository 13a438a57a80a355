#pragma once

#include "platform/Host.h"
#include "proxy/FirefoxPrefs.h"

#include <optional>
#include <string>
#include <vector>

// Points the browsers at a proxy, or back to a direct connection: the system settings of
// every active connection, then the Firefox profile. Switching off here means a direct
// connection; ProxySwitch then puts back what the user had.

// The system step, then the Firefox step, always both. `proxyAddress` is host:port,
// passed on unchanged; `bypassList` is sites each followed by a comma. Returns what the
// Firefox step met, which the caller tells the user.
FirefoxPrefsResult SetProxy(platform::Host& host, bool enable, const std::string& proxyAddress,
                            const std::string& bypassList);

// Every active dial-up connection in the system's order, or the default settings when
// there is none (or they cannot be listed).
void SetSystemProxy(platform::SystemProxy& system, bool enable, const std::string& proxyAddress,
                    const std::string& bypassList);

// Writes one connection's options (the default settings for nothing), then sends the
// refresh and the settings-changed notices, also when the options were refused. True when
// the system took the options.
bool SetConnectionProxy(platform::SystemProxy& system, bool enable,
                        const std::optional<std::string>& connection, const std::string& proxyAddress,
                        const std::string& bypassList);

// The options written for a switch: on, through "socks=" + the address; off, direct with
// the server text "socks="; the bypass list only when it is not empty.
platform::SystemProxy::Options connectionOptions(bool enable, const std::string& proxyAddress,
                                                 const std::string& bypassList);

// Appends the active dial-up connections' names to `names`; their number, 0 when they
// cannot be listed.
int ListDialUpConnections(platform::SystemProxy& system, std::vector<std::string>& names);
