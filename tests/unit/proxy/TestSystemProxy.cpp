#include "proxy/FirefoxPrefs.h"
#include "proxy/SystemProxy.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

const std::string kAddress = "127.0.0.1:7070";

} // namespace

TEST(SystemProxy, TheDefaultSettingsWhenNoDialUpConnectionIsActiveOrTheyCannotBeListed)
{
    for (const bool listable : {true, false}) {
        FakeSystemProxy system;
        if (!listable) {
            system.connections.reset();
        }
        SetSystemProxy(system, true, kAddress, "a.example,b.example,");
        EXPECT_EQ(system.calls,
                  (Calls{"list", "options (default) 2 socks=127.0.0.1:7070 a.example,b.example,", "refresh",
                         "changed"}));
    }
}

TEST(SystemProxy, EveryActiveConnectionInOrderAndNotTheDefault)
{
    FakeSystemProxy system;
    system.connections = std::vector<std::string>{"Dial-up", "Office VPN"};
    SetSystemProxy(system, false, "", "");
    EXPECT_EQ(system.calls, (Calls{"list", "options Dial-up 1 socks= (keep)", "refresh", "changed",
                                   "options Office VPN 1 socks= (keep)", "refresh", "changed"}));
}

TEST(SystemProxy, OptionsForEachSwitch)
{
    using Options = platform::SystemProxy::Options;
    // Off ignores the address; an empty bypass list keeps the stored one.
    EXPECT_EQ(connectionOptions(true, kAddress, ""), (Options{2, "socks=127.0.0.1:7070", std::nullopt}));
    EXPECT_EQ(connectionOptions(false, kAddress, "x,"), (Options{1, "socks=", "x,"}));
    EXPECT_EQ(connectionOptions(true, "host:notaport", " a , ,"),
              (Options{2, "socks=host:notaport", " a , ,"}));
}

TEST(SystemProxy, RefusedOptionsAreStillFollowedByBothNotices)
{
    FakeSystemProxy system;
    system.acceptOptions = false;
    EXPECT_FALSE(SetConnectionProxy(system, true, "VPN", kAddress, ""));
    EXPECT_EQ(system.calls, (Calls{"options VPN 2 socks=127.0.0.1:7070 (keep)", "refresh", "changed"}));
    system.acceptOptions = true;
    EXPECT_TRUE(SetConnectionProxy(system, true, std::nullopt, kAddress, ""));
}

TEST(SystemProxy, SetProxySwitchesTheSystemThenFirefox)
{
    TempDir dir;
    FakeHost fake;
    fake.folders.firefoxProfiles = dir.path() + "/";
    dir.writeFile("abcd.default/prefs.js", "");
    // A Firefox window open: the restart request is the outcome, after both steps.
    fake.windows.windows = {{7, "Start Page - Mozilla Firefox"}};
    platform::Host host = fake.host();
    EXPECT_EQ(SetProxy(host, true, kAddress, ""), FirefoxPrefsResult::FirefoxOpen);
    EXPECT_EQ(fake.systemProxy.calls.size(), 4u);
    EXPECT_EQ(fileContent(dir.file("abcd.default/user.js")), firefoxUserJs(true, "127.0.0.1", "7070", ""));
}
