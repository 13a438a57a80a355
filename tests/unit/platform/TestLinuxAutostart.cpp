#include "platform/linux/LinuxAutostart.h"

#include "platform/linux/DesktopEntry.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;

namespace {

class LinuxAutostartTest : public testing::Test
{
protected:
    TempDir m_temp;
    // A configuration folder that does not exist yet, two levels deep.
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_temp.file("home/config")};
    LinuxAutostart m_autostart;
};

} // namespace

TEST_F(LinuxAutostartTest, EnableWritesTheEntryMakingItsFolders)
{
    const std::string program = "/opt/My \"Apps\"/$x/back\\slash/100%/nimbra";
    m_autostart.setEnabled(true, "Nimbra", program);

    const std::string path = m_temp.file("home/config/autostart/Nimbra.desktop");
    EXPECT_EQ(autostartEntryPath("Nimbra"), path);
    const auto keys = desktopEntryKeys(fileContent(path));
    EXPECT_EQ(keys.at("Type"), "Application");
    EXPECT_EQ(keys.at("Name"), "Nimbra");
    EXPECT_EQ(programOfExecValue(keys.at("Exec")), program);
    EXPECT_TRUE(m_autostart.isEnabled("Nimbra"));
    // Only the entry is left in the folder: the temporary file was renamed.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_temp.file("home/config/autostart")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(LinuxAutostartTest, EnableReplacesAnOldEntry)
{
    m_autostart.setEnabled(true, "Nimbra", "/old/nimbra");
    m_autostart.setEnabled(true, "Nimbra", "/new/nimbra");
    const auto keys = desktopEntryKeys(fileContent(autostartEntryPath("Nimbra")));
    EXPECT_EQ(programOfExecValue(keys.at("Exec")), "/new/nimbra");
}

TEST_F(LinuxAutostartTest, DisableRemovesTheEntryAndAMissingOneIsFine)
{
    m_autostart.setEnabled(true, "Nimbra", "/opt/nimbra");
    m_autostart.setEnabled(false, "Nimbra", "");
    EXPECT_FALSE(std::filesystem::exists(autostartEntryPath("Nimbra")));
    EXPECT_FALSE(m_autostart.isEnabled("Nimbra"));
    m_autostart.setEnabled(false, "Nimbra", "");
    EXPECT_FALSE(m_autostart.isEnabled("Nimbra"));
}

TEST_F(LinuxAutostartTest, HiddenEntryCountsAsDisabled)
{
    m_temp.writeFile("home/config/autostart/Nimbra.desktop", "[Desktop Entry]\nExec=/bin/n\nHidden=true\n");
    EXPECT_FALSE(m_autostart.isEnabled("Nimbra"));
}

TEST_F(LinuxAutostartTest, WithoutXdgConfigHomeTheEntryIsBelowHome)
{
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", m_temp.file("user"));
    m_autostart.setEnabled(true, "Nimbra", "/opt/nimbra");
    EXPECT_TRUE(std::filesystem::exists(m_temp.file("user/.config/autostart/Nimbra.desktop")));
    EXPECT_TRUE(m_autostart.isEnabled("Nimbra"));
}

TEST_F(LinuxAutostartTest, NoConfigurationFolderNoEntry)
{
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(autostartEntryPath("Nimbra"), "");
    m_autostart.setEnabled(true, "Nimbra", "/opt/nimbra");
    EXPECT_FALSE(m_autostart.isEnabled("Nimbra"));
}
