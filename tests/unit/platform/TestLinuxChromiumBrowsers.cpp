#include "platform/linux/LinuxChromiumBrowsers.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// The number of a process that has ended and been reaped.
pid_t endedProcess()
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace

TEST(LinuxChromiumBrowsers, TheUserDataFoldersThatExistInTheirOrder)
{
    TempDir temp;
    ScopedEnv home("HOME", temp.file("home"));
    ScopedEnv config("XDG_CONFIG_HOME", temp.file("config"));
    LinuxChromiumBrowsers browsers;
    EXPECT_EQ(browsers.installed(), std::vector<ChromiumBrowsers::Browser>{});

    temp.makeFolder("config/vivaldi");
    temp.makeFolder("home/snap/chromium/common/chromium");
    temp.makeFolder("config/chromium");
    temp.makeFolder("home/.var/app/com.google.Chrome/config/google-chrome");
    temp.makeFolder("home/.var/app/org.chromium.Chromium/config/chromium");
    temp.makeFolder("config/BraveSoftware/Brave-Browser");
    temp.makeFolder("config/google-chrome-unstable");
    // Kept elsewhere and linked: the browser follows the link, so it counts.
    fs::create_directory_symlink(temp.makeFolder("elsewhere/edge"), temp.file("config/microsoft-edge"));
    // No folder, whatever the name: a file, a dangling link, a link to a file.
    temp.writeFile("config/google-chrome", "");
    fs::create_symlink(temp.file("missing"), temp.file("config/google-chrome-beta"));
    // A browser of the real home is not the user's when HOME says otherwise.
    temp.makeFolder("home/.config/google-chrome");

    const std::vector<ChromiumBrowsers::Browser> expected = {
        {"Chromium", temp.file("config/chromium")},
        {"Google Chrome Dev", temp.file("config/google-chrome-unstable")},
        {"Brave", temp.file("config/BraveSoftware/Brave-Browser")},
        {"Microsoft Edge", temp.file("config/microsoft-edge")},
        {"Vivaldi", temp.file("config/vivaldi")},
        {"Chromium", temp.file("home/.var/app/org.chromium.Chromium/config/chromium")},
        {"Google Chrome", temp.file("home/.var/app/com.google.Chrome/config/google-chrome")},
        {"Chromium", temp.file("home/snap/chromium/common/chromium")},
    };
    EXPECT_EQ(browsers.installed(), expected);
}

TEST(LinuxChromiumBrowsers, InUseWhileTheLockNamesThisHostAndALiveProcess)
{
    TempDir temp;
    const std::string folder = temp.makeFolder("chromium");
    const std::string lock = folder + "/SingletonLock";
    LinuxChromiumBrowsers browsers;
    const auto lockedBy = [&](const std::string& target) {
        fs::remove(lock);
        fs::create_symlink(target, lock);
        return browsers.inUse(folder);
    };

    EXPECT_FALSE(browsers.inUse(folder)); // no lock
    EXPECT_TRUE(lockedBy(hostName() + "-" + std::to_string(getpid())));
    // The first process exists whoever owns it; a signal refused still shows it lives.
    EXPECT_TRUE(lockedBy(hostName() + "-1"));
    // Left by a browser that crashed, or made by one on another machine sharing the home.
    EXPECT_FALSE(lockedBy(hostName() + "-" + std::to_string(endedProcess())));
    EXPECT_FALSE(lockedBy(hostName() + "x-" + std::to_string(getpid())));
    EXPECT_FALSE(lockedBy("nonsense"));
    EXPECT_FALSE(lockedBy(hostName() + "-0")); // not the process group
    // A file of that name is no lock a browser made.
    fs::remove(lock);
    temp.writeFile("chromium/SingletonLock", hostName() + "-" + std::to_string(getpid()));
    EXPECT_FALSE(browsers.inUse(folder));
    EXPECT_FALSE(browsers.inUse(temp.file("missing")));
}

TEST(SingletonLock, HostAndProcessSplitAtTheLastDash)
{
    EXPECT_EQ(singletonOwner("my-laptop-4242"), (SingletonOwner{"my-laptop", 4242}));
    EXPECT_EQ(singletonOwner("h-1"), (SingletonOwner{"h", 1}));
    for (const char* garbage :
         {"", "4242", "-4242", "host-", "host-0", "host-4x", "host- 42", "host-1234567890"}) {
        EXPECT_EQ(singletonOwner(garbage), std::nullopt) << garbage;
    }
}
