#include "platform/linux/XdgPaths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string accountHome()
{
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr) {
        return "";
    }
    return found->pw_dir;
}

} // namespace

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder()
{
    // A session without HOME (started by a service manager, say) still belongs to an
    // account with a home; the current folder is never taken for it.
    std::string home = environmentValue("HOME");
    if (home.empty() || home.front() != '/') {
        home = accountHome();
    }
    return home.empty() || home.front() != '/' ? "" : withoutTrailingSeparators(home);
}

std::string xdgConfigHome()
{
    // The base directory rules ignore a relative XDG_CONFIG_HOME as invalid.
    const std::string configured = environmentValue("XDG_CONFIG_HOME");
    if (!configured.empty() && configured.front() == '/') {
        return withoutTrailingSeparators(configured);
    }
    const std::string home = homeFolder();
    return home.empty() ? "" : home + "/.config";
}

std::string ensuredXdgConfigHome()
{
    // The XDG rules ask for the folder to be made, private to the user, when something
    // is to be written there.
    const std::string folder = xdgConfigHome();
    if (!folder.empty() && !isFolder(folder)) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    }
    return folder;
}

bool isFolder(const std::string& path)
{
    struct stat info
    {
    };
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace platform
