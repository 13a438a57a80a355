#include "platform/linux/LinuxChromiumBrowsers.h"

#include "platform/linux/XdgPaths.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {

// The target of the link at `path`; nothing when it is no link or cannot be read whole.
std::optional<std::string> linkTarget(const std::string& path)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string thisHostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "";
    }
    return name;
}

bool processAlive(long pid)
{
    // A process of another user still exists when the signal is refused.
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

std::vector<ChromiumBrowsers::Browser> LinuxChromiumBrowsers::installed() const
{
    const std::string config = xdgConfigHome();
    const std::string home = homeFolder();
    struct Candidate
    {
        const std::string& base;
        const char* folder;
        const char* name;
    };
    const Candidate candidates[] = {
        {config, "/chromium", "Chromium"},
        {config, "/google-chrome", "Google Chrome"},
        {config, "/google-chrome-beta", "Google Chrome Beta"},
        {config, "/google-chrome-unstable", "Google Chrome Dev"},
        {config, "/BraveSoftware/Brave-Browser", "Brave"},
        {config, "/microsoft-edge", "Microsoft Edge"},
        {config, "/vivaldi", "Vivaldi"},
        // Flatpak and snap keep the application's configuration folder below the home.
        {home, "/.var/app/org.chromium.Chromium/config/chromium", "Chromium"},
        {home, "/.var/app/com.google.Chrome/config/google-chrome", "Google Chrome"},
        {home, "/snap/chromium/common/chromium", "Chromium"},
    };
    std::vector<Browser> found;
    for (const Candidate& candidate : candidates) {
        // A link to a folder counts: the browser follows it too.
        const std::string folder = candidate.base + candidate.folder;
        if (!candidate.base.empty() && isFolder(folder)) {
            found.push_back({candidate.name, folder});
        }
    }
    return found;
}

bool LinuxChromiumBrowsers::inUse(const std::string& userDataFolder) const
{
    // The browser's own rule: the lock is held while the process it names on this host
    // lives; a lock left by a crash, or made on another machine sharing the home, is not.
    const std::optional<std::string> target = linkTarget(userDataFolder + "/SingletonLock");
    const std::optional<SingletonOwner> owner = target ? singletonOwner(*target) : std::nullopt;
    if (!owner) {
        return false;
    }
    const std::string host = thisHostName();
    return !host.empty() && owner->host == host && processAlive(owner->pid);
}

std::optional<SingletonOwner> singletonOwner(const std::string& target)
{
    // A host name may hold "-" itself: the number follows the last one.
    const std::size_t dash = target.rfind('-');
    if (dash == std::string::npos || dash == 0) {
        return std::nullopt;
    }
    const std::string digits = target.substr(dash + 1);
    // pid_t holds any process number within nine digits; zero would name a process group.
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos ||
        std::stol(digits) == 0) {
        return std::nullopt;
    }
    return SingletonOwner{target.substr(0, dash), std::stol(digits)};
}

} // namespace platform
