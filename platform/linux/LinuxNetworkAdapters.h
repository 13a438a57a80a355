#pragma once

#include "platform/NetworkAdapters.h"

#include <string>

namespace platform {

// The ethernet adapters under a sysfs network folder (/sys/class/net on a running system;
// tests point it at a tree of their own).
class LinuxNetworkAdapters : public NetworkAdapters
{
public:
    explicit LinuxNetworkAdapters(std::string sysfsNetFolder = "/sys/class/net");
    std::vector<HardwareAddress> ethernetAddresses() const override;

private:
    std::string m_folder;
};

} // namespace platform
