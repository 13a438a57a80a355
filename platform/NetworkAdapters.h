#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

// The machine's network adapters, as far as the service's machine identifier needs them.
class NetworkAdapters
{
public:
    using HardwareAddress = std::array<std::uint8_t, 6>;

    virtual ~NetworkAdapters() = default;

    // The hardware addresses of the ethernet adapters, in a stable order (the same on
    // every call while the hardware stays the same); none when there are none.
    virtual std::vector<HardwareAddress> ethernetAddresses() const = 0;
};

} // namespace platform
