#pragma once

#include "platform/ChromiumBrowsers.h"

namespace platform {

// The browsers' user-data folders below the user's local application data folder. A
// running browser holds "lockfile" in its folder open for writing, shared for reading only.
class WindowsChromiumBrowsers : public ChromiumBrowsers
{
public:
    std::vector<Browser> installed() const override;
    bool inUse(const std::string& userDataFolder) const override;
};

// The browsers whose user-data folder exists below `localAppData`, in the fixed order.
std::vector<ChromiumBrowsers::Browser> chromiumBrowsersIn(const std::string& localAppData);

} // namespace platform
