#include "platform/linux/LinuxFolders.h"

#include "platform/linux/XdgPaths.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

std::string LinuxFolders::appDataFolder() const
{
    // On a fresh account the configuration folder may not exist yet.
    return ensuredXdgConfigHome();
}

bool LinuxFolders::folderExists(const std::string& path) const
{
    return isFolder(path);
}

bool LinuxFolders::createFolder(const std::string& path)
{
    if (path.empty()) {
        return false;
    }
    // The folder holds the user's settings and log: nobody else needs to read them.
    // A folder made meanwhile by someone else is as good as one made here.
    return mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && isFolder(path));
}

bool LinuxFolders::fileExists(const std::string& path) const
{
    struct stat info
    {
    };
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string LinuxFolders::firefoxProfilesFolder() const
{
    // A current Firefox keeps its profiles below the XDG configuration folder; older
    // ones, and profiles migrated from them, stay in ~/.mozilla.
    const std::string configHome = xdgConfigHome();
    if (!configHome.empty() && isFolder(configHome + "/mozilla/firefox")) {
        return configHome + "/mozilla/firefox/";
    }
    const std::string home = homeFolder();
    if (!home.empty() && isFolder(home + "/.mozilla/firefox")) {
        return home + "/.mozilla/firefox/";
    }
    return "";
}

} // namespace platform
