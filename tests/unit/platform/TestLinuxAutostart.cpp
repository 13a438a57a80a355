#include "platform/linux/LinuxAutostart.h"

#include "platform/linux/DesktopEntry.h"
#include "tests/support/TempHome.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;

namespace {

class LinuxAutostartTest : public testing::Test
{
protected:
    // The configuration folder home/.config does not exist yet.
    TempHome m_user;
    const TempDir& m_temp = m_user.dir;
    LinuxAutostart m_autostart;
};

} // namespace

TEST_F(LinuxAutostartTest, EnableWritesAndReplacesTheEntry)
{
    const std::string program = "/opt/My \"Apps\"/$x/back\\slash/100%/nimbra";
    m_autostart.setEnabled(true, "Nimbra", "/old/nimbra");
    m_autostart.setEnabled(true, "Nimbra", program);

    const std::string folder = m_temp.file("home/.config/autostart");
    EXPECT_EQ(autostartEntryPath("Nimbra"), folder + "/Nimbra.desktop");
    EXPECT_EQ(programOfExecValue(desktopEntryKeys(fileContent(folder + "/Nimbra.desktop")).at("Exec")),
              program);
    EXPECT_TRUE(m_autostart.isEnabled("Nimbra"));
    // The temporary file was renamed: the entry is alone in the folder.
    const auto entries = std::filesystem::directory_iterator(folder);
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

TEST_F(LinuxAutostartTest, DisableRemovesTheEntryAndAMissingOneIsFine)
{
    m_autostart.setEnabled(true, "Nimbra", "/opt/nimbra");
    m_autostart.setEnabled(false, "Nimbra", "");
    EXPECT_FALSE(std::filesystem::exists(autostartEntryPath("Nimbra")));
    EXPECT_FALSE(m_autostart.isEnabled("Nimbra"));
    m_autostart.setEnabled(false, "Nimbra", "");
}

TEST_F(LinuxAutostartTest, XdgConfigHomeTakesTheEntry)
{
    ScopedEnv config("XDG_CONFIG_HOME", m_temp.file("xdg"));
    m_autostart.setEnabled(true, "Nimbra", "/opt/nimbra");
    EXPECT_TRUE(std::filesystem::exists(m_temp.file("xdg/autostart/Nimbra.desktop")));
    EXPECT_TRUE(m_autostart.isEnabled("Nimbra"));
}
