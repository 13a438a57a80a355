#include "core/HostQueries.h"

#include "platform/WindowsVersionName.h"

#include <chrono>
#include <cstdlib>

namespace {

// The stock browser that is there when no default browser is registered.
#ifdef _WIN32
constexpr const char* kFallbackBrowser = "iexplore.exe";
#else
constexpr const char* kFallbackBrowser = "x-www-browser";
#endif

int daysBetween(const platform::DateTime& from, const platform::DateTime& to)
{
    using namespace std::chrono;
    const auto day = [](const platform::DateTime& t) {
        return sys_days{year{t.year} / month{static_cast<unsigned>(t.month)} / static_cast<unsigned>(t.day)};
    };
    return static_cast<int>((day(to) - day(from)).count());
}

} // namespace

std::string GetOSName(int platformId, int major, int minor)
{
    return platform::windowsVersionName(platformId, major, minor);
}

std::string AddBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == platform::kPathSeparator) {
        return path;
    }
    return path + platform::kPathSeparator;
}

std::string GetAppDataFolder(const platform::Folders& folders)
{
    const std::string folder = folders.appDataFolder();
    return folder.empty() ? "" : AddBackslash(folder);
}

bool EnsureFolder(platform::Folders& folders, const std::string& path)
{
    return folders.folderExists(path) || folders.createFolder(path);
}

std::string GetDefaultBrowser(const platform::Desktop& desktop)
{
    return desktop.defaultBrowserCommand();
}

void OpenURL(platform::Desktop& desktop, const std::string& url)
{
    if (!GetDefaultBrowser(desktop).empty()) {
        desktop.shellOpen(url);
    } else {
        desktop.shellOpenWith(kFallbackBrowser, url);
    }
}

std::string TimeZoneText(const platform::DateTime& local, const platform::DateTime& utc)
{
    // Near midnight the two times fall on different days; each day between them is 24
    // hours of offset, so the result stays the zone's offset (-12 ... +14).
    const int hours = local.hour - utc.hour + 24 * daysBetween(utc, local);
    return hours > 0 ? "GMT +" + std::to_string(hours) : "GMT -" + std::to_string(std::abs(hours));
}

std::string GetTimeZoneText(const platform::Clock& clock)
{
    const platform::DateTime utc = clock.utcNow();
    const platform::DateTime local = clock.localNow();
    return TimeZoneText(local, utc);
}

bool IsStartWithWindows(const platform::Autostart& autostart, const std::string& name)
{
    return autostart.isEnabled(name);
}

void SetStartWithWindows(platform::Autostart& autostart, bool enable, const std::string& name,
                         const std::string& command)
{
    autostart.setEnabled(enable, name, command);
}
