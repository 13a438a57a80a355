#pragma once

#include <string>

namespace platform {

// The platform identifier of the Windows 95 family (VER_PLATFORM_WIN32_WINDOWS); every other
// identifier is the NT family.
inline constexpr int kWindows95Family = 1;

// The family name of a Windows version as the system reports it: "Win95", "Win98",
// "WinNT", "Win2000", "WinXP", "Vista", and "Unknown" for every version after Vista.
// Pure, so it is built and tested on every system.
std::string windowsVersionName(int platformId, int major, int minor);

} // namespace platform
