#include "platform/linux/LinuxFolders.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

class LinuxFoldersTest : public testing::Test
{
protected:
    TempDir m_temp;
    ScopedEnv m_home{"HOME", m_temp.file("home")};
    ScopedEnv m_config{"XDG_CONFIG_HOME", std::nullopt};
    LinuxFolders m_folders;
};

} // namespace

TEST_F(LinuxFoldersTest, AppDataFolderFollowsXdgConfigHome)
{
    EXPECT_EQ(m_folders.appDataFolder(), m_temp.file("home/.config"));
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/etc/xdg-test/");
        EXPECT_EQ(m_folders.appDataFolder(), "/etc/xdg-test");
    }
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(m_folders.appDataFolder(), m_temp.file("home/.config"));
    }
    {
        ScopedEnv empty("XDG_CONFIG_HOME", "");
        EXPECT_EQ(m_folders.appDataFolder(), m_temp.file("home/.config"));
    }
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(m_folders.appDataFolder(), "");
}

TEST_F(LinuxFoldersTest, FirefoxProfilesFolderPrefersTheXdgLocation)
{
    EXPECT_EQ(m_folders.firefoxProfilesFolder(), "");

    m_temp.makeFolder("home/.mozilla/firefox");
    EXPECT_EQ(m_folders.firefoxProfilesFolder(), m_temp.file("home/.mozilla/firefox/"));

    m_temp.makeFolder("home/.config/mozilla/firefox");
    EXPECT_EQ(m_folders.firefoxProfilesFolder(), m_temp.file("home/.config/mozilla/firefox/"));

    ScopedEnv config("XDG_CONFIG_HOME", m_temp.file("xdg"));
    EXPECT_EQ(m_folders.firefoxProfilesFolder(), m_temp.file("home/.mozilla/firefox/"));
    m_temp.makeFolder("xdg/mozilla/firefox");
    EXPECT_EQ(m_folders.firefoxProfilesFolder(), m_temp.file("xdg/mozilla/firefox/"));
}

TEST_F(LinuxFoldersTest, CreateFolderMakesOneLevelPrivately)
{
    EXPECT_FALSE(m_folders.createFolder(m_temp.file("a/b")));
    EXPECT_FALSE(m_folders.folderExists(m_temp.file("a")));

    ASSERT_TRUE(m_folders.createFolder(m_temp.file("a")));
    EXPECT_TRUE(m_folders.folderExists(m_temp.file("a")));
    struct stat info
    {
    };
    ASSERT_EQ(stat(m_temp.file("a").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    EXPECT_TRUE(m_folders.createFolder(m_temp.file("a")));
    EXPECT_FALSE(m_folders.createFolder(""));
}

TEST_F(LinuxFoldersTest, FilesAndFoldersAreTold)
{
    const std::string file = m_temp.writeFile("settings.ini", "x");
    EXPECT_TRUE(m_folders.fileExists(file));
    EXPECT_FALSE(m_folders.folderExists(file));
    EXPECT_FALSE(m_folders.createFolder(file));
    EXPECT_TRUE(m_folders.folderExists(m_temp.path()));
    EXPECT_FALSE(m_folders.fileExists(m_temp.path()));
    EXPECT_FALSE(m_folders.fileExists(m_temp.file("missing")));
    EXPECT_FALSE(m_folders.fileExists(""));
}
