#pragma once

#include <string>
#include <vector>

namespace platform {

// The Chromium-family browsers of the user (Chromium, Google Chrome, Brave, Microsoft Edge,
// Vivaldi, and the Flatpak and snap installs of Chromium and Chrome): where each keeps its
// profiles, and whether it is running. A running browser holds its preferences in memory
// and writes them back when it ends, so a profile is only ever written while it is not.
class ChromiumBrowsers
{
public:
    struct Browser
    {
        std::string name;           // as the user knows it: "Chromium", "Google Chrome", ...
        std::string userDataFolder; // holds "Local State" and the profile folders; no trailing separator
        bool operator==(const Browser&) const = default;
    };

    virtual ~ChromiumBrowsers() = default;
    // The browsers whose user-data folder exists, in a fixed order.
    virtual std::vector<Browser> installed() const = 0;
    // Whether a running browser holds the user-data folder (Linux: its SingletonLock names
    // this host and a live process; Windows: its lockfile is held open).
    virtual bool inUse(const std::string& userDataFolder) const = 0;
};

} // namespace platform
