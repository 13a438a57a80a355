#pragma once

#include "platform/ChromiumBrowsers.h"

#include <optional>
#include <string>

namespace platform {

// The browsers' user-data folders below the XDG configuration folder, and those of the
// Flatpak and snap installs below the home folder. A running browser holds a
// "SingletonLock" link in its folder naming the host and its process.
class LinuxChromiumBrowsers : public ChromiumBrowsers
{
public:
    std::vector<Browser> installed() const override;
    bool inUse(const std::string& userDataFolder) const override;
};

// The host and process a SingletonLock target "HOSTNAME-PID" names; nothing when the text
// is not of that form (no host, a process number that is not a positive decimal).
struct SingletonOwner
{
    std::string host;
    long pid = 0;
    bool operator==(const SingletonOwner&) const = default;
};
std::optional<SingletonOwner> singletonOwner(const std::string& target);

} // namespace platform
