#include "platform/linux/LinuxFolders.h"
#include "platform/linux/XdgPaths.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

TEST(LinuxFolders, AppDataFolderIsAnAbsoluteXdgConfigHomeElseBelowHome)
{
    TempHome user;
    const TempDir& temp = user.dir;
    LinuxFolders folders;
    EXPECT_EQ(folders.appDataFolder(), temp.file("home/.config"));
    for (const char* ignored : {"", "relative/config"}) {
        ScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(folders.appDataFolder(), temp.file("home/.config")) << ignored;
    }
    ScopedEnv config("XDG_CONFIG_HOME", temp.file("xdg") + "/");
    EXPECT_EQ(folders.appDataFolder(), temp.file("xdg"));
    EXPECT_TRUE(folders.folderExists(temp.file("xdg")));

    // Without HOME the account's home counts, never the current folder. Only the name is
    // asked for here: the account's real folders are not the test's to make.
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(xdgConfigHome(), std::string(account->pw_dir) + "/.config");
}

TEST(LinuxFolders, FirefoxProfilesFolderPrefersTheXdgLocationWhereItExists)
{
    TempHome user;
    const TempDir& temp = user.dir;
    LinuxFolders folders;
    EXPECT_EQ(folders.firefoxProfilesFolder(), "");
    temp.makeFolder("home/.mozilla/firefox");
    EXPECT_EQ(folders.firefoxProfilesFolder(), temp.file("home/.mozilla/firefox/"));
    ScopedEnv config("XDG_CONFIG_HOME", temp.file("xdg"));
    temp.makeFolder("xdg/mozilla/firefox");
    EXPECT_EQ(folders.firefoxProfilesFolder(), temp.file("xdg/mozilla/firefox/"));
}

TEST(LinuxFolders, CreateFolderMakesOnePrivateLevel)
{
    TempHome user;
    const TempDir& temp = user.dir;
    LinuxFolders folders;
    EXPECT_FALSE(folders.createFolder(temp.file("a/b")));
    EXPECT_FALSE(folders.folderExists(temp.file("a")));
    ASSERT_TRUE(folders.createFolder(temp.file("a")));
    struct stat info
    {
    };
    ASSERT_EQ(stat(temp.file("a").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    EXPECT_TRUE(folders.createFolder(temp.file("a")));
}
