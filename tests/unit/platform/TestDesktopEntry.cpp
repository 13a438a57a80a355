#include "platform/linux/DesktopEntry.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(DesktopEntryExec, QuotesEscapesAndDoublesPercent)
{
    // Quoting gives "/a b/c\\d%%", the file's string escape then doubles the backslashes.
    EXPECT_EQ(execValueForProgram("/a b/c\\d%"), "\"/a b/c\\\\\\\\d%%\"");
    EXPECT_EQ(execValueForProgram("/x\"y`z$w"), "\"/x\\\\\"y\\\\`z\\\\$w\"");
    EXPECT_EQ(execValueForProgram("/plain/nimbra"), "\"/plain/nimbra\"");
}

TEST(DesktopEntryExec, RoundTripsAwkwardPaths)
{
    for (const std::string path :
         {"/opt/nimbra/nimbra", "/home/u/My Apps/nimbra", "/tmp/\"quoted\"/nimbra", "/tmp/$HOME/`id`/nimbra",
          "/tmp/back\\slash\\\\/nimbra", "/tmp/100%/%u %%/nimbra", "/tmp/tab\there/new\nline/nimbra"}) {
        EXPECT_EQ(programOfExecValue(execValueForProgram(path)), path) << path;
    }
}

TEST(DesktopEntryExec, ReadsEntriesWrittenByOthers)
{
    EXPECT_EQ(programOfExecValue("/usr/bin/nimbra --minimized"), "/usr/bin/nimbra");
    EXPECT_EQ(programOfExecValue("  \"/usr/my\\sapps/nimbra\" %U"), "/usr/my apps/nimbra");
    EXPECT_EQ(programOfExecValue(""), "");
    EXPECT_EQ(programOfExecValue("\"\""), "");
}

TEST(DesktopEntryKeys, ReadsOnlyTheMainGroup)
{
    const auto keys = desktopEntryKeys("# comment\n[Desktop Action x]\nExec=other\n"
                                       "[Desktop Entry]\r\nName = Nimbra\r\nExec=\"/bin/n\"\r\n"
                                       "\n[Other]\nHidden=true\n");
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys.at("Name"), "Nimbra");
    EXPECT_EQ(keys.at("Exec"), "\"/bin/n\"");
}

TEST(AutostartEntry, WrittenEntryIsAValidActiveEntry)
{
    const std::string text = autostartEntryText("Nimbra", "/opt/My Apps/nimbra");
    EXPECT_EQ(text, "[Desktop Entry]\nType=Application\nName=Nimbra\nExec=\"/opt/My Apps/nimbra\"\n"
                    "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(autostartEntryActive(text));
}

TEST(AutostartEntry, SwitchedOffOrEmptyEntriesAreInactive)
{
    EXPECT_FALSE(autostartEntryActive("[Desktop Entry]\nExec=/bin/n\nHidden=true\n"));
    EXPECT_FALSE(autostartEntryActive("[Desktop Entry]\nExec=/bin/n\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_FALSE(autostartEntryActive("[Desktop Entry]\nExec=\nName=n\n"));
    EXPECT_FALSE(autostartEntryActive("[Desktop Entry]\nName=n\n"));
    EXPECT_FALSE(autostartEntryActive("[Other]\nExec=/bin/n\n"));
    EXPECT_TRUE(autostartEntryActive("[Desktop Entry]\nExec=/bin/n\nHidden=false\n"));
}
