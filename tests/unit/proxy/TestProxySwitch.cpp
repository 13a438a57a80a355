#include "proxy/ProxySwitch.h"

#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::string kUsersOwn = R"({"browser":{"x":1},"webrtc":{"ip_handling_policy":"default"}})";
const std::string kWithout = R"({"profile":{"name":"Work"}})";
const std::string kProxied = R"("disable_non_proxied_udp")";
// A user with an automatic configuration, an HTTP proxy and a bypass list of their own.
const std::map<std::string, std::string> kUsersDesktop = {
    {"mode", "auto"}, {"server", ""}, {"http", "proxy.corp"}, {"bypass", "intranet.corp,localhost,"}};

class Switch : public ::testing::Test
{
protected:
    Switch()
    {
        m_chromium = m_dir.makeFolder("home/chromium");
        m_fake.chromium.browsers = {{"Chromium", m_chromium}};
        m_fake.systemProxy.settings = kUsersDesktop;
        m_dir.writeFile("home/chromium/Local State",
                        R"({"profile":{"info_cache":{"Default":{},"Profile 1":{}}}})");
        m_dir.writeFile("home/chromium/Default/Preferences", kUsersOwn);
        m_dir.writeFile("home/chromium/Profile 1/Preferences", kWithout);
        // The paths as the switch names them in its record.
        m_default =
            m_chromium + platform::kPathSeparator + "Default" + platform::kPathSeparator + "Preferences";
        m_work =
            m_chromium + platform::kPathSeparator + "Profile 1" + platform::kPathSeparator + "Preferences";
        restart();
    }

    // A new run of the program on the same data folder.
    void restart()
    {
        m_switch.reset();
        m_log = std::make_unique<ActivityLog>(m_fake.clock, m_dir.file("report.txt"));
        m_switch = std::make_unique<ProxySwitch>(m_fake.host(), *m_log, record());
    }

    // Each switch's report is kept: what the user would be told.
    void on() { m_reports.push_back(m_switch->SetProxy(true, "127.0.0.1:7070", "<-loopback>,")); }
    void off() { m_reports.push_back(m_switch->SetProxy(false, "", "")); }
    bool nothingTold() const
    {
        return std::ranges::all_of(
            m_reports, [](const ProxySwitch::Report& report) { return report == ProxySwitch::Report{}; });
    }
    std::string record() const { return m_dir.file("restore.json"); }
    static std::optional<std::string> policyIn(const std::string& path)
    {
        return readWebRtcPolicy(fileContent(path))->value;
    }
    bool logged(const std::string& text) const
    {
        for (const std::string& line : m_log->lines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    TempDir m_dir;
    FakeHost m_fake;
    std::vector<ProxySwitch::Report> m_reports;
    std::string m_chromium;
    std::string m_default;
    std::string m_work;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<ProxySwitch> m_switch;
};

} // namespace

TEST_F(Switch, OnHoldsEveryProfileToTheProxyAndOffGivesBackExactlyWhatItHad)
{
    on();
    EXPECT_EQ(policyIn(m_default), kProxied);
    EXPECT_EQ(policyIn(m_work), kProxied);
    EXPECT_EQ(m_fake.systemProxy.settings.at("mode"), "manual");
    EXPECT_EQ(m_fake.systemProxy.settings.at("http"), "");
    // What the user had is on disk while the proxy is on.
    RestoreRecord kept(record());
    ASSERT_TRUE(kept.load());
    EXPECT_EQ(kept.desktop, kUsersDesktop);
    EXPECT_EQ(kept.preferences.at(m_work), (WebRtcPolicy{false, std::nullopt}));
    // Switching on again (the bypass list edited) keeps the first record.
    on();
    ASSERT_TRUE(kept.load());
    EXPECT_EQ(kept.desktop, kUsersDesktop);
    EXPECT_EQ(kept.preferences.at(m_default).value, R"("default")");

    off();
    EXPECT_EQ(fileContent(m_default), kUsersOwn);
    EXPECT_EQ(fileContent(m_work), kWithout);
    // The user's own configuration back, not "direct" and the program's bypass list.
    EXPECT_EQ(m_fake.systemProxy.settings, kUsersDesktop);
    EXPECT_FALSE(fs::exists(record()));
    EXPECT_TRUE(nothingTold());
}

TEST_F(Switch, ANewRunPutsBackWhatACrashedRunLeftAndNothingWhenNothingWasLeft)
{
    EXPECT_FALSE(m_switch->restoreEarlierRun());
    on();
    restart(); // the program ended without switching off
    m_fake.systemProxy.calls.clear();
    EXPECT_EQ(m_switch->restoreEarlierRun(), ProxySwitch::Report{});
    EXPECT_EQ(fileContent(m_default), kUsersOwn);
    EXPECT_EQ(fileContent(m_work), kWithout);
    EXPECT_EQ(m_fake.systemProxy.calls.front(), "list");
    EXPECT_EQ(m_fake.systemProxy.calls.at(1), "options (default) 1 socks= (keep)");
    // Direct first, then what the user had, and the desktop told.
    const std::vector<std::string> restoring = {
        "restore bypass=intranet.corp,localhost,,http=proxy.corp,mode=auto,server=", "refresh", "changed"};
    EXPECT_EQ(std::vector<std::string>(m_fake.systemProxy.calls.end() - 3, m_fake.systemProxy.calls.end()),
              restoring);
    EXPECT_EQ(m_fake.systemProxy.settings, kUsersDesktop);
    EXPECT_FALSE(fs::exists(record()));
    EXPECT_TRUE(logged("earlier run"));

    // A damaged record is moved aside, never taken for an empty one.
    m_dir.writeFile("restore.json", "{\"desktop\":");
    restart();
    EXPECT_FALSE(m_switch->restoreEarlierRun());
    EXPECT_EQ(fileContent(record() + ".damaged"), "{\"desktop\":");
}

TEST_F(Switch, ARunningBrowserIsAskedOnceToRestartAndItsProfilesWrittenOnceItHasEnded)
{
    m_fake.chromium.running = {m_chromium};
    on();
    on();
    EXPECT_EQ(m_reports,
              (std::vector<ProxySwitch::Report>{{FirefoxPrefsResult::NoProfile, {"Chromium"}}, {}}));
    EXPECT_EQ(fileContent(m_default), kUsersOwn);
    EXPECT_TRUE(m_switch->waitingForBrowsers());
    m_switch->writeWaitingProfiles();
    EXPECT_EQ(fileContent(m_default), kUsersOwn);

    m_fake.chromium.running.clear();
    m_switch->writeWaitingProfiles();
    EXPECT_FALSE(m_switch->waitingForBrowsers());
    EXPECT_EQ(policyIn(m_default), kProxied);

    // Running at the switch off: kept for later, put back by the next run once it has ended.
    m_fake.chromium.running = {m_chromium};
    off();
    EXPECT_EQ(policyIn(m_default), kProxied);
    EXPECT_TRUE(fs::exists(record()));
    m_fake.chromium.running.clear();
    restart();
    EXPECT_TRUE(m_switch->restoreEarlierRun());
    EXPECT_EQ(fileContent(m_default), kUsersOwn);
    EXPECT_FALSE(fs::exists(record()));
}

TEST_F(Switch, DesktopProxiesThatCouldNotBePutBackStayRecordedForTheNextRun)
{
    on();
    m_fake.systemProxy.failRestore = true;
    off();
    // Left direct rather than on a proxy that is gone.
    EXPECT_EQ(m_fake.systemProxy.settings.at("mode"), "none");
    EXPECT_TRUE(logged("Can not put back"));
    m_fake.systemProxy.failRestore = false;
    restart();
    EXPECT_TRUE(m_switch->restoreEarlierRun());
    EXPECT_EQ(m_fake.systemProxy.settings, kUsersDesktop);
    EXPECT_FALSE(fs::exists(record()));
}

TEST_F(Switch, ADesktopLeftOnTheProxyByARunWithoutARecordEndsDirect)
{
    // A killed run's record was lost: the desktop still holds what switching on writes.
    m_fake.systemProxy.settings = {
        {"mode", "manual"}, {"server", "socks=127.0.0.1:7070"}, {"bypass", "<-loopback>,"}};
    on();
    off();
    EXPECT_EQ(m_fake.systemProxy.settings.at("mode"), "none");
}

TEST_F(Switch, APolicyTheUserChangedWhileHidingStays)
{
    on();
    const std::string changed = R"({"webrtc":{"ip_handling_policy":"default_public_interface_only"}})";
    m_dir.writeFile("home/chromium/Default/Preferences", changed);
    off();
    EXPECT_EQ(fileContent(m_default), changed);
    EXPECT_EQ(fileContent(m_work), kWithout);
}

TEST_F(Switch, ProfilesThatAreNoBrowsersOwnArePassedOverAndNothingOutsideIsWritten)
{
    const std::string outside = m_dir.writeFile("outside/Preferences", kWithout);
    m_dir.writeFile("home/chromium/Local State",
                    R"({"profile":{"info_cache":{"..":{},"Linked":{},"FileLink":{},"Folder":{},"Binary":{},)"
                    R"("Big":{},"Odd":{},"Missing":{},"Default":{}}}})");
#ifndef _WIN32
    // Links to a profile folder or a file outside the browser's folder (the C++ library makes
    // none on Windows: the Windows side has its own test of what counts as a link).
    fs::create_directory_symlink(m_dir.file("outside"), m_chromium + "/Linked");
    m_dir.makeFolder("home/chromium/FileLink");
    fs::create_symlink(outside, m_chromium + "/FileLink/Preferences");
#endif
    m_dir.makeFolder("home/chromium/Folder/Preferences");
    m_dir.writeFile("home/chromium/Binary/Preferences", std::string("\x00\xff\x10", 3));
    const std::string big = m_dir.writeFile("home/chromium/Big/Preferences", "{}");
    fs::resize_file(big, kMaxBrowserFileSize + 1);
    const std::string odd = m_dir.writeFile("home/chromium/Odd/Preferences", R"({"webrtc":true})");
    m_dir.writeFile("home/chromium/Profile 1/Preferences", kWithout);

    on();
    EXPECT_EQ(fileContent(outside), kWithout);
    EXPECT_EQ(fileContent(odd), R"({"webrtc":true})");
    EXPECT_EQ(fs::file_size(big), kMaxBrowserFileSize + 1);
    EXPECT_EQ(policyIn(m_default), kProxied);
#ifndef _WIN32
    EXPECT_TRUE(logged("Linked: not a folder"));
#endif
    EXPECT_TRUE(
        logged(std::string("Odd") + platform::kPathSeparator + "Preferences: not a browser's preferences"));
    EXPECT_FALSE(logged("Missing"));
    off();
    EXPECT_EQ(fileContent(m_default), kUsersOwn);

    // A profile list that does not parse leaves Default as the one profile.
    m_dir.writeFile("home/chromium/Local State", "\x89PNG");
    on();
    EXPECT_EQ(policyIn(m_default), kProxied);
    EXPECT_EQ(fileContent(m_work), kWithout);
    EXPECT_TRUE(logged("not a browser's profile list"));
}
