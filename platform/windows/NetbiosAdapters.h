#pragma once

#include "platform/NetworkAdapters.h"

#include <optional>
#include <windows.h>

#include <nb30.h>

namespace platform {

using NetbiosFunction = UCHAR(WINAPI*)(PNCB);

// The address of each adapter that `netbios` enumerates, in its order, each read with a
// reset and a status query about the local machine; an adapter whose status cannot be
// read is left out. Nothing when the enumeration fails or reports no adapter at all.
std::optional<std::vector<NetworkAdapters::HardwareAddress>> netbiosAdapterAddresses(NetbiosFunction netbios);

} // namespace platform
