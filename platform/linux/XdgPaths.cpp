#include "platform/linux/XdgPaths.h"

#include <cstdlib>

namespace platform {

namespace {

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder()
{
    return withoutTrailingSeparators(environmentValue("HOME"));
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

} // namespace platform
