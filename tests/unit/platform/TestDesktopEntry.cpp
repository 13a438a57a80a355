#include "platform/linux/DesktopEntry.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(DesktopEntryExec, QuotesEscapesAndDoublesPercent)
{
    // Quoting gives "/a b/c\\d%%" and the file's string escape then doubles the backslashes.
    EXPECT_EQ(execValueForProgram("/a b/c\\d%"), "\"/a b/c\\\\\\\\d%%\"");
    EXPECT_EQ(execValueForProgram("/x\"y`z$w"), "\"/x\\\\\"y\\\\`z\\\\$w\"");
}

TEST(DesktopEntryExec, RoundTripsAwkwardPaths)
{
    for (const std::string path :
         {"/home/u/My Apps/nimbra", "/tmp/\"quoted\"/$HOME/`id`/nimbra", "/tmp/back\\slash\\\\/nimbra",
          "/tmp/100%/%u %%/nimbra", "/tmp/tab\tnew\nline"}) {
        EXPECT_EQ(programOfExecValue(execValueForProgram(path)), path) << path;
    }
}

TEST(AutostartEntry, WrittenEntryIsActive)
{
    const std::string text = autostartEntryText("Nimbra", "/opt/My Apps/nimbra");
    EXPECT_EQ(text, "[Desktop Entry]\nType=Application\nName=Nimbra\nExec=\"/opt/My Apps/nimbra\"\n"
                    "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(autostartEntryActive(text));
    // Entries written by others: comments, CR LF, blanks around "=", an unquoted command.
    EXPECT_TRUE(autostartEntryActive("# c\n[Desktop Entry]\r\nExec = /bin/n -x\r\nHidden=false\r\n"));
}

TEST(AutostartEntry, SwitchedOffEmptyOrMisplacedEntriesAreInactive)
{
    for (const char* text :
         {"[Desktop Entry]\nExec=/bin/n\nHidden=true\n",
          "[Desktop Entry]\nExec=/bin/n\nX-GNOME-Autostart-enabled=false\n", "[Desktop Entry]\nExec=\n",
          "[Desktop Entry]\nName=n\n", "[Other]\nExec=/bin/n\n",
          "[Desktop Entry]\nName=n\n[Desktop Action a]\nExec=/bin/n\n"}) {
        EXPECT_FALSE(autostartEntryActive(text)) << text;
    }
}
