#include "core/ActivityLog.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

// Named pipes in a folder and forked children are POSIX only.
#ifndef _WIN32
#include "tests/support/BoundedChild.h"
#include <sys/stat.h>
#endif

namespace {

struct ReportFile : ::testing::Test
{
    TempDir dir;
    std::string path = dir.path() + "/report.txt";
    FakeClock clock;

    void SetUp() override { clock.local = platform::DateTime{2026, 3, 4, 5, 6, 7, 8}; }
};

} // namespace

TEST(LogTimeStamp, PadsEveryField)
{
    EXPECT_EQ(formatLogTimeStamp({2026, 3, 4, 5, 6, 7, 8}), "05:06:07:008 2026/03/04");
    EXPECT_EQ(formatLogTimeStamp({1999, 12, 31, 23, 59, 59, 999}), "23:59:59:999 1999/12/31");
}

TEST_F(ReportFile, HoldsExactlyThisRunsLinesWithCrLf)
{
    dir.writeFile("report.txt", "a previous run\r\nwith many lines\r\n");
    ActivityLog log(clock, path);
    log.report("Nimbra");
    log.report("");
    EXPECT_EQ(fileContent(path), "[ 05:06:07:008 2026/03/04 ] Nimbra\r\n[ 05:06:07:008 2026/03/04 ] \r\n");
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST_F(ReportFile, ALineBreakInAMessageSplitsItAndOnlyTheFirstHasTheStamp)
{
    ActivityLog log(clock, path);
    log.report("first\nsecond\r\nthird");
    EXPECT_EQ(fileContent(path), "[ 05:06:07:008 2026/03/04 ] first\r\nsecond\r\nthird\r\n");
}

TEST_F(ReportFile, AnUnwritableFileThrowsAndTheLineReachesTheFileLater)
{
    std::filesystem::create_directory(path); // a folder in the way: nothing can write the file
    ActivityLog log(clock, path);
    EXPECT_THROW(log.report("kept"), std::runtime_error);
    std::filesystem::remove(path);
    log.report("next");
    EXPECT_EQ(fileContent(path), "[ 05:06:07:008 2026/03/04 ] kept\r\n[ 05:06:07:008 2026/03/04 ] next\r\n");
}

// The start-up's way with a log that cannot be written: said once, and every line after it
// is passed over, so the code that writes them goes on; the lines reach the file later.
TEST_F(ReportFile, WhileFailuresAreShownOnceAnUnwritableFileIsSaidOnceAndNothingThrows)
{
    std::filesystem::create_directory(path);
    ActivityLog log(clock, path);
    std::vector<std::string> shown;
    {
        const ActivityLog::FailuresShownOnce once(log, [&](const std::string& error) {
            shown.push_back(error);
            log.report("written while the box is open");
        });
        EXPECT_NO_THROW(log.report("first"));
        EXPECT_NO_THROW(log.report("second"));
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Cannot create file \"" + path + "\"");
    EXPECT_EQ(log.lines().size(), 3u);
    // Afterwards a line that cannot be written throws again.
    EXPECT_THROW(log.report("third"), std::runtime_error);
    std::filesystem::remove(path);
    log.report("fourth");
    const std::string stamp = "[ 05:06:07:008 2026/03/04 ] ";
    EXPECT_EQ(fileContent(path), stamp + "first\r\n" + stamp + "written while the box is open\r\n" + stamp +
                                     "second\r\n" + stamp + "third\r\n" + stamp + "fourth\r\n");
}

#ifndef _WIN32
TEST_F(ReportFile, APipeInTheFilesPlaceIsReplacedNotWaitedOn)
{
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const auto wrote = runBounded(
        [&] {
            ActivityLog log(clock, path);
            log.report("Nimbra");
            return fileContent(path) == "[ 05:06:07:008 2026/03/04 ] Nimbra\r\n" ? 0 : 1;
        },
        64 << 20, std::chrono::seconds(10));
    EXPECT_EQ(wrote, 0);
}
#endif
