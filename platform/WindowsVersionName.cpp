#include "platform/WindowsVersionName.h"

namespace platform {

std::string windowsVersionName(int platformId, int major, int minor)
{
    if (platformId == kWindows95Family) {
        // 4.10 is Windows 98 and 4.90 Windows Me; both count as the 98 line.
        return major > 4 || (major == 4 && minor > 0) ? "Win98" : "Win95";
    }
    if (major <= 4) {
        return "WinNT";
    }
    if (major == 5) {
        return minor == 0 ? "Win2000" : "WinXP";
    }
    return major == 6 && minor == 0 ? "Vista" : "Unknown";
}

} // namespace platform
