#include "proxy/HostQueries.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>

namespace {

const std::string kSeparator(1, platform::kPathSeparator);

platform::DateTime at(int year, int month, int day, int hour, int minute = 0)
{
    platform::DateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    return t;
}

} // namespace

TEST(GetOSName, NamesEachWindowsFamilyVersion)
{
    const std::tuple<int, int, int, const char*> cases[] = {
        {1, 4, 0, "Win95"},   {1, 3, 95, "Win95"},   {1, 4, 10, "Win98"}, {1, 4, 90, "Win98"},
        {1, 5, 0, "Win98"},   {2, 3, 51, "WinNT"},   {2, 4, 0, "WinNT"},  {2, 5, 0, "Win2000"},
        {2, 5, 1, "WinXP"},   {2, 5, 2, "WinXP"},    {2, 6, 0, "Vista"},  {2, 6, 1, "Unknown"},
        {2, 6, 2, "Unknown"}, {2, 10, 0, "Unknown"}, {0, 5, 1, "WinXP"},
    };
    for (const auto& [platformId, major, minor, name] : cases) {
        EXPECT_EQ(GetOSName(platformId, major, minor), name) << platformId << " " << major << "." << minor;
    }
}

TEST(AddBackslash, AppendsTheSeparatorOnlyWhenMissing)
{
    EXPECT_EQ(AddBackslash(""), kSeparator);
    EXPECT_EQ(AddBackslash("data"), "data" + kSeparator);
    EXPECT_EQ(AddBackslash("data" + kSeparator), "data" + kSeparator);
}

TEST(GetAppDataFolder, EndsInTheSeparatorOrIsEmpty)
{
    FakeFolders folders;
    EXPECT_EQ(GetAppDataFolder(folders), "");
    folders.appData = "config";
    EXPECT_EQ(GetAppDataFolder(folders), "config" + kSeparator);
}

TEST(EnsureFolder, CreatesOnlyWhatIsMissing)
{
    TempDir temp;
    FakeFolders folders;
    folders.failCreateFolder = true;
    EXPECT_TRUE(EnsureFolder(folders, temp.path()));
    EXPECT_FALSE(EnsureFolder(folders, temp.file("new")));

    folders.failCreateFolder = false;
    EXPECT_TRUE(EnsureFolder(folders, temp.file("new")));
    EXPECT_TRUE(folders.folderExists(temp.file("new")));
}

TEST(OpenURL, UsesTheDefaultBrowserWhenThereIsOne)
{
    FakeDesktop desktop;
    desktop.browserCommand = "browser %u";
    OpenURL(desktop, "http://127.0.0.1:8369/help");
    const std::vector<FakeDesktop::Launch> expected{{"", "http://127.0.0.1:8369/help"}};
    EXPECT_EQ(desktop.launches, expected);
}

TEST(OpenURL, FallsBackToTheStockBrowser)
{
    FakeDesktop desktop;
    OpenURL(desktop, "http://127.0.0.1:8369/help");
#ifdef _WIN32
    const std::vector<FakeDesktop::Launch> expected{{"iexplore.exe", "http://127.0.0.1:8369/help"}};
#else
    const std::vector<FakeDesktop::Launch> expected{{"x-www-browser", "http://127.0.0.1:8369/help"}};
#endif
    EXPECT_EQ(desktop.launches, expected);
}

TEST(TimeZoneText, SameDayOffsets)
{
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 12), at(2024, 6, 1, 12)), "GMT -0");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 14), at(2024, 6, 1, 12)), "GMT +2");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 7), at(2024, 6, 1, 12)), "GMT -5");
}

TEST(TimeZoneText, LocalDateAheadOfUtc)
{
    // UTC+2 between 22:00 and 24:00 UTC: the hours alone would give 1 - 23 = -22.
    EXPECT_EQ(TimeZoneText(at(2024, 6, 2, 1), at(2024, 6, 1, 23)), "GMT +2");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 2, 2), at(2024, 6, 1, 12)), "GMT +14");
}

TEST(TimeZoneText, LocalDateBehindUtc)
{
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 19), at(2024, 6, 2, 5)), "GMT -10");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 18), at(2024, 6, 2, 6)), "GMT -12");
}

TEST(TimeZoneText, AcrossMonthAndYearEnds)
{
    EXPECT_EQ(TimeZoneText(at(2024, 2, 1, 1, 30), at(2024, 1, 31, 22, 30)), "GMT +3");
    EXPECT_EQ(TimeZoneText(at(2024, 3, 1, 0), at(2024, 2, 29, 23)), "GMT +1");
    EXPECT_EQ(TimeZoneText(at(2023, 3, 1, 0), at(2023, 2, 28, 23)), "GMT +1");
    EXPECT_EQ(TimeZoneText(at(2024, 1, 1, 4), at(2023, 12, 31, 23)), "GMT +5");
    EXPECT_EQ(TimeZoneText(at(2023, 12, 31, 22), at(2024, 1, 1, 3)), "GMT -5");
}

TEST(TimeZoneText, MinutesAreIgnored)
{
    // UTC+5:30 shows as 6 or 5 hours depending on the minute.
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 10, 20), at(2024, 6, 1, 4, 50)), "GMT +6");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 10, 40), at(2024, 6, 1, 5, 10)), "GMT +5");
}

TEST(GetTimeZoneText, ReadsTheClock)
{
    FakeClock clock;
    clock.utc = at(2024, 6, 1, 23);
    clock.local = at(2024, 6, 2, 1);
    EXPECT_EQ(GetTimeZoneText(clock), "GMT +2");
}

TEST(StartWithWindows, SetsAndClearsTheEntry)
{
    FakeAutostart autostart;
    SetStartWithWindows(autostart, true, "Nimbra", "/opt/nimbra/nimbra");
    EXPECT_TRUE(IsStartWithWindows(autostart, "Nimbra"));
    EXPECT_EQ(autostart.entries.at("Nimbra"), "/opt/nimbra/nimbra");
    SetStartWithWindows(autostart, false, "Nimbra", "");
    EXPECT_FALSE(IsStartWithWindows(autostart, "Nimbra"));
}
