#include "platform/windows/WindowsSystemInfo.h"

#include "platform/WindowsVersionName.h"

#include <windows.h>

namespace platform {

std::string WindowsSystemInfo::osName() const
{
    // Without a compatibility manifest Windows 8.1 and later report 6.2 here; every version
    // after Vista is "Unknown" to the table all the same.
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) {
        return "Unknown";
    }
    return windowsVersionName(static_cast<int>(version.dwPlatformId),
                              static_cast<int>(version.dwMajorVersion),
                              static_cast<int>(version.dwMinorVersion));
}

int WindowsSystemInfo::systemLanguageId() const
{
    return GetSystemDefaultLangID();
}

} // namespace platform
