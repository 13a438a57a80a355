#include "core/HostQueries.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

platform::DateTime at(int year, int month, int day, int hour, int minute = 0)
{
    return {year, month, day, hour, minute, 0, 0};
}

} // namespace

TEST(GetOSName, NamesEachWindowsFamilyVersion)
{
    const std::tuple<int, int, int, const char*> cases[] = {
        {1, 4, 0, "Win95"}, {1, 4, 10, "Win98"},  {1, 4, 90, "Win98"},   {1, 5, 0, "Win98"},
        {2, 4, 0, "WinNT"}, {2, 5, 0, "Win2000"}, {2, 5, 2, "WinXP"},    {0, 5, 1, "WinXP"},
        {2, 6, 0, "Vista"}, {2, 6, 1, "Unknown"}, {2, 10, 0, "Unknown"},
    };
    for (const auto& [platformId, major, minor, name] : cases) {
        EXPECT_EQ(GetOSName(platformId, major, minor), name) << platformId << " " << major << "." << minor;
    }
}

TEST(AddBackslash, AppendsTheSeparatorOnlyWhenMissing)
{
    const std::string separator(1, platform::kPathSeparator);
    EXPECT_EQ(AddBackslash(""), separator);
    EXPECT_EQ(AddBackslash("data"), "data" + separator);
    EXPECT_EQ(AddBackslash("data" + separator), "data" + separator);
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

TEST(OpenURL, DefaultBrowserElseTheStockOne)
{
    FakeDesktop desktop;
    OpenURL(desktop, "http://127.0.0.1:8369/help");
    desktop.browserCommand = "browser %u";
    OpenURL(desktop, "http://127.0.0.1:8369/about");
#ifdef _WIN32
    const std::string stock = "iexplore.exe";
#else
    const std::string stock = "x-www-browser";
#endif
    const std::vector<FakeDesktop::Launch> expected{{stock, "http://127.0.0.1:8369/help"},
                                                    {"", "http://127.0.0.1:8369/about"}};
    EXPECT_EQ(desktop.launches, expected);
}

TEST(TimeZoneText, LocalDateAheadOfUtc)
{
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 12), at(2024, 6, 1, 12)), "GMT -0");
    // UTC+2 between 22:00 and 24:00 UTC: the hours alone would give 1 - 23 = -22.
    EXPECT_EQ(TimeZoneText(at(2024, 6, 2, 1), at(2024, 6, 1, 23)), "GMT +2");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 2, 2), at(2024, 6, 1, 12)), "GMT +14");
}

TEST(TimeZoneText, LocalDateBehindUtc)
{
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 7), at(2024, 6, 1, 12)), "GMT -5");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 19), at(2024, 6, 2, 5)), "GMT -10");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 18), at(2024, 6, 2, 6)), "GMT -12");
}

TEST(TimeZoneText, AcrossMonthAndYearEnds)
{
    EXPECT_EQ(TimeZoneText(at(2024, 2, 1, 1, 30), at(2024, 1, 31, 22, 30)), "GMT +3");
    EXPECT_EQ(TimeZoneText(at(2024, 3, 1, 0), at(2024, 2, 29, 23)), "GMT +1");
    EXPECT_EQ(TimeZoneText(at(2024, 1, 1, 4), at(2023, 12, 31, 23)), "GMT +5");
    EXPECT_EQ(TimeZoneText(at(2023, 12, 31, 22), at(2024, 1, 1, 3)), "GMT -5");
}

TEST(TimeZoneText, MinutesAreIgnored)
{
    // UTC+5:30 shows as 6 or 5 hours depending on the minute.
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 10, 20), at(2024, 6, 1, 4, 50)), "GMT +6");
    EXPECT_EQ(TimeZoneText(at(2024, 6, 1, 10, 40), at(2024, 6, 1, 5, 10)), "GMT +5");
}
