#include "NimbraProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

namespace {

constexpr double kStartSeconds = 30; // generous: the sanitizer build starts slowly

// The messages of the report, without their time stamps; every line must carry one.
std::vector<std::string> messages(const std::string& report)
{
    static const std::regex line(R"(\[ \d\d:\d\d:\d\d:\d\d\d \d{4}/\d\d/\d\d \] (.*))");
    std::vector<std::string> result;
    std::istringstream in(report);
    for (std::string text; std::getline(in, text);) {
        EXPECT_FALSE(text.empty() || text.back() != '\r') << "line without CR LF: " << text;
        text.pop_back();
        std::smatch match;
        EXPECT_TRUE(std::regex_match(text, match, line)) << text;
        result.push_back(match[1]);
    }
    return result;
}

// The start-up's lines, up to the handshake that follows them.
void expectStartupLines(std::vector<std::string> lines, bool firefox)
{
    ASSERT_GE(lines.size(), firefox ? 6u : 5u);
    lines.resize(firefox ? 6u : 5u);
    EXPECT_EQ(lines[0], "Nimbra");
    EXPECT_EQ(lines[1], "Version: 1.33");
    EXPECT_EQ(lines[2].rfind("OS: ", 0), 0u);
    EXPECT_GT(lines[2].size(), 4u);
    EXPECT_EQ(lines[3].rfind("Default Browser: ", 0), 0u);
    if (firefox) {
        EXPECT_EQ(lines[4], "Firefox: detected");
    }
    EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(TimeZone: GMT [+-]\d{1,2})"))) << lines.back();
}

} // namespace

TEST(NimbraStart, WritesTheStartupLinesInOrderWithoutFirefox)
{
    TempDir home;
    NimbraProcess nimbra(home.path());
    nimbra.start();
    const std::string report = nimbra.waitForReport("TimeZone: ", kStartSeconds);
    ASSERT_FALSE(report.empty()) << "no start-up log";
    expectStartupLines(messages(report), false);
    EXPECT_TRUE(nimbra.isRunning());

    // Without a service the handshake ends in the unblock dialog. Asked to end while that
    // waits for the user, it closes as at the end of a session and logs it.
    EXPECT_FALSE(nimbra.waitForReport("Please unblock Nimbra", kStartSeconds).empty());
    nimbra.terminate();
    EXPECT_EQ(nimbra.waitForExit(kStartSeconds), 0);
    const std::vector<std::string> lines = messages(nimbra.waitForReport("Closing...", 1));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
              (std::vector<std::string>{"Init settings...", "Done", "SilentUpdate...", "SilentUpdate-0 ...",
                                        "SilentUpdate Failed!", "Please unblock Nimbra", "Closing..."}));
}

TEST(NimbraStart, ReportsAFirefoxProfile)
{
    TempDir home;
    // Laid out as Firefox ESR leaves it after its first start.
    home.writeFile(".mozilla/firefox/profiles.ini",
                   "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abcd1234.default-esr\nDefault=1\n");
    home.writeFile(".mozilla/firefox/installs.ini",
                   "[3B6073811A6ABF12]\nDefault=abcd1234.default-esr\nLocked=1\n");
    home.writeFile(".mozilla/firefox/abcd1234.default-esr/prefs.js", "");
    NimbraProcess nimbra(home.path());
    nimbra.start();
    const std::string report = nimbra.waitForReport("TimeZone: ", kStartSeconds);
    ASSERT_FALSE(report.empty()) << "no start-up log";
    expectStartupLines(messages(report), true);
}

TEST(NimbraStart, ASecondCopyEndsQuietlyAndTheFirstGoesOn)
{
    // Also where the runtime folder named cannot be made: the lock then lives in the
    // user's own configuration folder.
    for (const bool runtimeFolder : {true, false}) {
        TempDir home;
        std::map<std::string, std::string> env;
        if (!runtimeFolder) {
            env["XDG_RUNTIME_DIR"] = home.file("no/parent");
        }
        NimbraProcess first(home.path());
        first.start(env);
        ASSERT_FALSE(first.waitForReport("TimeZone: ", kStartSeconds).empty()) << runtimeFolder;

        NimbraProcess second(home.path());
        second.start(env);
        EXPECT_EQ(second.waitForExit(kStartSeconds), 0);
        EXPECT_TRUE(first.isRunning());
        // The second copy wrote nothing: the report still holds the first copy's lines only.
        EXPECT_EQ(messages(first.waitForReport("Please unblock Nimbra", kStartSeconds)).size(), 5u + 6u);
    }
}

TEST(NimbraStart, ALockThatCannotBeTakenDoesNotStopTheStart)
{
    // Another account's link in the lock's place: not followed, and no reason to end.
    TempDir home;
    home.makeFolder("run");
    std::filesystem::create_symlink(home.file("elsewhere"), home.file("run/DiruDO.lock"));
    NimbraProcess nimbra(home.path());
    nimbra.start();
    EXPECT_FALSE(nimbra.waitForReport("TimeZone: ", kStartSeconds).empty());
    EXPECT_FALSE(std::filesystem::exists(home.file("elsewhere")));
}

TEST(NimbraStart, AnUnwritableLogDoesNotHoldUpTheEnd)
{
    TempDir home;
    NimbraProcess nimbra(home.path());
    nimbra.start();
    ASSERT_FALSE(nimbra.waitForReport("TimeZone: ", kStartSeconds).empty());
    // Even for root: a folder in the report's place cannot be written as a file.
    std::filesystem::remove(nimbra.reportPath());
    std::filesystem::create_directory(nimbra.reportPath());
    nimbra.terminate();
    EXPECT_EQ(nimbra.waitForExit(kStartSeconds), 0);
}
