#include "warden/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace warden {
namespace {

std::optional<Options> parse(std::vector<std::string_view> args)
{
    return parseCommandLine(args);
}

TEST(CommandLine, ReadsTheTrayProgramsLine)
{
    const auto options = parse({"-name", "alice", "-key", "s3cret", "-do", "-H", "9050", "-dirudo", "-port",
                                "1080", "-say", "exit.example"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->user, "alice");
    EXPECT_EQ(options->key, "s3cret");
    EXPECT_EQ(options->localPort, 9050);
    EXPECT_EQ(options->exitPort, 1080);
    EXPECT_EQ(options->exitHost, "exit.example");
    // Nothing on the line shortens a pause or a limit.
    EXPECT_EQ(options->timing.firstRetry, std::chrono::seconds(1));
    EXPECT_EQ(options->timing.longestRetry, std::chrono::seconds(30));
    EXPECT_EQ(options->timing.clientHandshake, std::chrono::seconds(10));
}

TEST(CommandLine, TimesInMillisecondsUpToAnHour)
{
    const auto options = parse({"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h",
                                "-retry", "50", "-retrymax", "3600000", "-handshake", "1"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->timing.firstRetry, std::chrono::milliseconds(50));
    EXPECT_EQ(options->timing.longestRetry, std::chrono::hours(1));
    EXPECT_EQ(options->timing.clientHandshake, std::chrono::milliseconds(1));
    for (const std::string_view bad : {"0", "3600001", "-5", "1.5", "", "99999999999"}) {
        EXPECT_FALSE(
            parse({"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "-retry", bad}))
            << bad;
    }
    EXPECT_FALSE(parse({"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "-handshake",
                        "5", "-handshake", "5"}));
}

TEST(CommandLine, TakesFlagsInAnyOrderAndBareFlagsAreOptional)
{
    const auto options = parse(
        {"-say", "127.0.0.2", "-port", "65535", "-dirudo", "-key", "-dash", "-H", "1", "-name", "", "-do"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->key, "-dash"); // a value is the next word, whatever it looks like
    EXPECT_EQ(options->user, "");
    EXPECT_EQ(options->localPort, 1);
    EXPECT_EQ(options->exitPort, 65535);
}

TEST(CommandLine, UsageErrors)
{
    const std::vector<std::vector<std::string_view>> cases = {
        {},
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say"},                 // missing value
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080"},                         // missing flag
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "-v"},      // unknown flag
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "-H", "1"}, // repeated
        {"-name", "u", "-key", "k", "-H", "0", "-port", "1080", "-say", "h"},               // port 0
        {"-name", "u", "-key", "k", "-H", "65536", "-port", "1080", "-say", "h"},           // too large
        {"-name", "u", "-key", "k", "-H", "90x", "-port", "1080", "-say", "h"},             // not a number
        {"-name", "u", "-key", "k", "-H", "-1", "-port", "1080", "-say", "h"},              // negative
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", ""},             // empty host
        {"-name", "u", "-key", "k", "-H", "9050", "-port", "1080", "-say", "h", "stray"},   // stray word
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto arg : args)
            line.append(arg).append(" ");
        EXPECT_FALSE(parse(args)) << line;
    }
}

TEST(CommandLine, CredentialsMustFitTheAuthMessage)
{
    const std::string fits(255, 'k');
    const std::string tooLong(256, 'k');
    EXPECT_TRUE(parse({"-name", "u", "-key", fits, "-H", "9050", "-port", "1080", "-say", "h"}));
    EXPECT_FALSE(parse({"-name", "u", "-key", tooLong, "-H", "9050", "-port", "1080", "-say", "h"}));
    EXPECT_FALSE(parse({"-name", tooLong, "-key", "k", "-H", "9050", "-port", "1080", "-say", "h"}));
}

} // namespace
} // namespace warden
