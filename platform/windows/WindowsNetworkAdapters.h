#pragma once

#include "platform/NetworkAdapters.h"

#include <optional>

namespace platform {

// The adapters NetBIOS reports (netapi32.dll); when it reports none, the ethernet rows of
// the local SNMP interface table (the extension agent inetmib1.dll with snmpapi.dll).
class WindowsNetworkAdapters : public NetworkAdapters
{
public:
    std::vector<HardwareAddress> ethernetAddresses() const override;
};

// Each of the two sources on its own: NetBIOS (nothing when it is missing or reports no
// adapter) and the SNMP interface table (none when its libraries are missing or refuse).
std::optional<std::vector<NetworkAdapters::HardwareAddress>> systemNetbiosAddresses();
std::vector<NetworkAdapters::HardwareAddress> systemSnmpEthernetAddresses();

} // namespace platform
