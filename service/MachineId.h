#pragma once

#include "platform/NetworkAdapters.h"

#include <string>

// The identifier of this computer that the service request carries: the hex digits of an
// ethernet adapter's hardware address as decimal pairs. Computed anew for each request,
// never stored.

// The address as six two-digit upper-case hex numbers joined by "-": 00-1A-2B-3C-4D-5E.
std::string macAddressText(const platform::NetworkAdapters::HardwareAddress& address);

// Each character 0..9 as "0" and the digit, each A..F as its value 10..15; every other
// character (the dashes) adds nothing. 00-1A-2B-3C-4D-5E gives 000001100211031204130514.
std::string MacToDigits(const std::string& addressText);

// The digits of the last adapter listed; "999999999999999999999999" (24 nines) when there
// is no adapter.
std::string GetMachineId(const platform::NetworkAdapters& adapters);
