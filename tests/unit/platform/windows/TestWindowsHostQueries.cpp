#include "platform/windows/ButtonCaptions.h"
#include "platform/windows/WindowsClock.h"
#include "platform/windows/WindowsFolders.h"
#include "platform/windows/WindowsSystemInfo.h"

#include "UnderWine.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>

using namespace platform;
using namespace std::chrono;

namespace {

sys_time<milliseconds> instant(const DateTime& t)
{
    const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} / static_cast<unsigned>(t.day)};
    return day + hours{t.hour} + minutes{t.minute} + seconds{t.second} + milliseconds{t.millisecond};
}

} // namespace

TEST(WindowsFolders, AppDataAndOneLevelFolders)
{
    WindowsFolders folders;
    const std::string appData = folders.appDataFolder();
    ASSERT_GT(appData.size(), 3u);
    // Absolute, and without the separator callers add themselves.
    EXPECT_EQ(appData.substr(1, 2), ":\\");
    EXPECT_NE(appData.back(), '\\');
    EXPECT_TRUE(folders.folderExists(appData));
    const std::string firefox = folders.firefoxProfilesFolder();
    EXPECT_TRUE(firefox.empty() || firefox == appData + "\\Mozilla\\Firefox\\") << firefox;

    TempDir temp;
    const std::string level = temp.file("level");
    EXPECT_FALSE(folders.createFolder(level + "\\below"));
    EXPECT_TRUE(folders.createFolder(level));
    // Made meanwhile by someone else: as good as made here.
    EXPECT_TRUE(folders.createFolder(level));
    const std::string file = temp.writeFile("file.txt", "x");
    EXPECT_FALSE(folders.createFolder(file));
    EXPECT_TRUE(folders.fileExists(file));
    EXPECT_FALSE(folders.folderExists(file));
    EXPECT_FALSE(folders.fileExists(level));
    EXPECT_FALSE(folders.fileExists(temp.file("missing.txt")));
    EXPECT_FALSE(folders.createFolder(""));
    EXPECT_FALSE(folders.folderExists(""));

    EXPECT_EQ(firefoxProfilesFolderIn(temp.path()), "");
    temp.makeFolder("Mozilla/Firefox/Profiles");
    EXPECT_EQ(firefoxProfilesFolderIn(temp.path() + "\\"), temp.path() + "\\Mozilla\\Firefox\\");
}

TEST(WindowsClock, LocalIsUtcMovedByTheZone)
{
    WindowsClock clock;
    const DateTime before = clock.utcNow();
    const DateTime local = clock.localNow();
    const DateTime after = clock.utcNow();
    // The same civil UTC as the C++ clock gives, give or take the calls between.
    EXPECT_LE(abs(time_point_cast<milliseconds>(system_clock::now()) - instant(after)), minutes(1));
    EXPECT_LE(instant(before), instant(after));
    // Local minus UTC, taken between the two UTC readings, is some zone's offset: whole
    // quarter hours between -12 and +14 hours.
    const milliseconds earliest = instant(local) - instant(after) - milliseconds(1);
    const milliseconds latest = instant(local) - instant(before) + milliseconds(1);
    bool zone = false;
    for (milliseconds offset = -hours(12); offset <= hours(14); offset += minutes(15)) {
        zone = zone || (offset >= earliest && offset <= latest);
    }
    EXPECT_TRUE(zone) << "local - utc between " << earliest.count() << " and " << latest.count() << " ms";
}

TEST(WindowsSystemInfo, VersionNameFromTheTableAndALanguage)
{
    WindowsSystemInfo info;
    // The program is built for Windows 7 (6.1) and later, all "Unknown" to the table; wine
    // reports the version its prefix is set to, Windows 10 unless changed.
    EXPECT_EQ(info.osName(), "Unknown");
    const int language = info.systemLanguageId();
    EXPECT_GT(language & 0x3FF, 0) << "a primary language";
    EXPECT_LE(language, 0xFFFF);
    // Wine takes the system's language from the Unix locale of its character types: C and
    // en_US, as in these runs, are US English.
    std::string locale;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (locale.empty() && value) {
            locale = value;
        }
    }
    if (underWine() && (locale.empty() || locale[0] == 'C' || locale.rfind("POSIX", 0) == 0 ||
                        locale.rfind("en_US", 0) == 0)) {
        EXPECT_EQ(language, 1033) << locale;
    }
}

TEST(ButtonCaptions, SevenCaptionsOfTheSystemsMessageBoxes)
{
    const std::array<std::string, 7> captions = messageBoxButtonCaptions();
    if (underWine()) {
        // Wine's user32 has no strings 800 to 806: every caption is empty, as an unreadable
        // text leaves it.
        EXPECT_EQ(std::set<std::string>(captions.begin(), captions.end()), std::set<std::string>{""});
        return;
    }
    // OK, Cancel, Abort, Retry, Ignore, Yes and No in the user's language, each its own.
    EXPECT_EQ(std::set<std::string>(captions.begin(), captions.end()).size(), captions.size());
    for (const std::string& caption : captions) {
        EXPECT_FALSE(caption.empty());
    }
}
