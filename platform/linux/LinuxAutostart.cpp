#include "platform/linux/LinuxAutostart.h"

#include "platform/Files.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/XdgPaths.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {

std::string autostartEntryPath(const std::string& name)
{
    const std::string configHome = xdgConfigHome();
    return configHome.empty() ? "" : configHome + "/autostart/" + name + ".desktop";
}

bool LinuxAutostart::isEnabled(const std::string& name) const
{
    const std::string path = autostartEntryPath(name);
    if (path.empty()) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return autostartEntryActive(text);
}

void LinuxAutostart::setEnabled(bool enable, const std::string& name, const std::string& command)
{
    const std::string path = autostartEntryPath(name);
    if (path.empty()) {
        return;
    }
    if (enable) {
        // Renamed into place whole, so a desktop session reading the folder never sees
        // half an entry.
        std::error_code failed;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failed);
        replaceFile(path, autostartEntryText(name, command));
    } else {
        std::error_code missingIsFine;
        std::filesystem::remove(path, missingIsFine);
    }
}

} // namespace platform
