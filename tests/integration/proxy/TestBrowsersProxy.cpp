// The proof that matters: real browsers, pointed at a real Warden by SetProxy, reach a
// "what is my IP" page through the exit, and nothing of theirs goes around Warden while
// hiding is on. Chromium follows GNOME's settings (GLib keyfile backend) and KDE's
// kioslaverc; Firefox follows its profile's user.js.
//
// Two ways around a proxy are watched. WebRTC: a page gathers candidates with a STUN server
// of the test's own on 127.0.0.1, which only UDP reaches and no SOCKS proxy carries, so a
// request that arrives (or a server-reflexive candidate) went around Warden. The desktop's
// own HTTP proxy: a user who had one would see browsers prefer it to Warden unless switching
// on empties it; the test's HTTP proxy counts the connections it gets. And the exit records
// whether a browser handed it the page's host as a name or as an address it looked up itself.

#include "Browsers.h"
#include "RecordingExit.h"
#include "StunServer.h"

#include "core/ActivityLog.h"
#include "core/ProxySwitchBoxes.h"
#include "platform/Host.h"
#include "platform/IniText.h"
#include "platform/linux/LinuxTopLevelWindows.h"
#include "proxy/ChromiumPrefs.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/ProxySwitch.h"
#include "proxy/SystemProxy.h"
#include "support/Chain.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"
#include "tests/support/FakeHost.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;
using warden::testing::freeLoopbackPort;

namespace {

TempDir* gHome = nullptr;
using Clock = std::chrono::steady_clock;
using browsers::Chromium;
using browsers::since;

// The WebRTC page is asked for by name, so that a browser has a name to hand to the proxy
// (or to look up itself). Chromium and Firefox both send "localhost" to a proxy once the
// bypass rules let loopback through it.
constexpr const char* kPageHost = "localhost";
const std::optional<std::string> kPolicy = proxiedWebRtcPolicy().value;
constexpr const char* kRestartText =
    "Please Restart all Chromium windows in order to make Nimbra take effect.";

// Firefox's profile, made by its first run in the test's home, once for all tests.
const std::string& firefoxProfile()
{
    static const std::string profile = browsers::prepareFirefoxProfile(gHome->path());
    return profile;
}

// Chromium in both desktops and Firefox ESR, started together, each see `address`.
void expectBrowsersSee(const IpPage& page, const std::string& address)
{
    for (const auto& [browser, seen] :
         browsers::seenTogether(page, {"GNOME", "KDE"}, gHome->file("page.png"))) {
        EXPECT_EQ(seen, address) << browser;
    }
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!condition() && Clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
    }
    return condition();
}

std::string kioslavercPath()
{
    return gHome->path() + "/.config/kioslaverc";
}

// The WebRTC policy of a Chromium user-data folder's Default profile, as JSON text;
// nothing when the key is missing.
std::optional<std::string> webRtcPolicy(const std::string& userDataFolder)
{
    return readWebRtcPolicy(fileContent(userDataFolder + "/Default/Preferences"))
        .value_or(WebRtcPolicy{})
        .value;
}

// Gives both desktops an HTTP and an HTTPS proxy of the user's own at 127.0.0.1:port, used
// for loopback too. GNOME's goes through this process's GSettings: its keyfile backend keeps
// the file in memory and would write that copy over a change made by another program. False
// when GNOME's schema is missing (GSettings would end the program on it).
bool useDesktopHttpProxy(std::uint16_t port)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.system.proxy", TRUE) : nullptr;
    if (schema == nullptr) {
        return false;
    }
    g_settings_schema_unref(schema);
    GSettings* proxy = g_settings_new("org.gnome.system.proxy");
    g_settings_set_string(proxy, "mode", "manual");
    const char* const loopbackToo[] = {"<-loopback>", nullptr};
    g_settings_set_strv(proxy, "ignore-hosts", loopbackToo);
    for (const char* scheme : {"http", "https"}) {
        GSettings* child = g_settings_get_child(proxy, scheme);
        g_settings_set_string(child, "host", "127.0.0.1");
        g_settings_set_int(child, "port", port);
        g_object_unref(child);
    }
    g_object_unref(proxy);
    g_settings_sync();

    IniText kde(fileContent(kioslavercPath()));
    const std::string address = "http://127.0.0.1 " + std::to_string(port);
    kde.setValues(
        "Proxy Settings",
        {{"ProxyType", "1"}, {"httpProxy", address}, {"httpsProxy", address}, {"NoProxyFor", "<-loopback>"}});
    std::ofstream(kioslavercPath(), std::ios::binary | std::ios::trunc) << kde.text();
    return true;
}

// The user turns the desktop's proxy off, in both desktops.
void useNoDesktopProxy()
{
    GSettings* proxy = g_settings_new("org.gnome.system.proxy");
    g_settings_set_string(proxy, "mode", "none");
    g_object_unref(proxy);
    g_settings_sync();
    IniText kde(fileContent(kioslavercPath()));
    kde.setValue("Proxy Settings", "ProxyType", "0");
    std::ofstream(kioslavercPath(), std::ios::binary | std::ios::trunc) << kde.text();
}

// A GNOME setting as another program reads it from the keyfile: "'127.0.0.1'", "8080".
std::string gnomeSetting(const std::string& schema, const std::string& key)
{
    std::string value = browsers::run({"gsettings", "get", schema, key}, 10s);
    while (!value.empty() && value.back() == '\n') {
        value.pop_back();
    }
    return value;
}

std::string kdeSetting(const std::string& key)
{
    return IniText(fileContent(kioslavercPath())).value("Proxy Settings", key).value_or("(missing)");
}

// True when Chromium's lock in `userDataFolder` names this host and `pid`, as a running
// Chromium's does.
bool lockedBy(const std::string& userDataFolder, pid_t pid)
{
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    std::error_code failed;
    const auto target = std::filesystem::read_symlink(userDataFolder + "/SingletonLock", failed);
    return !failed && target.string() == std::string(host) + "-" + std::to_string(pid);
}

// The servers the browsers are watched through.
struct Witnesses
{
    IpPage page;
    StunServer stun;
    RecordingExit exit;
    // The user's own HTTP proxy: it records every request and answers none of them usefully.
    TestHttpServer httpProxy;
};

// What reached the witnesses while one browser opened the WebRTC page.
struct Visit
{
    // What the page reported; nothing when it never loaded or never reported.
    std::optional<std::string> candidates;
    int stunDatagrams = 0;
    // The heads of the requests the HTTP proxy got.
    std::vector<std::string> httpProxyRequests;
    // The CONNECTs the exit got for the page's host and port.
    std::vector<RecordingExit::Connect> pageConnects;

    bool serverReflexive() const { return candidates && candidates->find("typ srflx") != std::string::npos; }
    // A UDP candidate of any kind: the browser opened UDP sockets of its own for the page.
    bool udp() const
    {
        return candidates && (candidates->find(" udp ") != std::string::npos ||
                              candidates->find(" UDP ") != std::string::npos);
    }
    bool pageHandedAsName() const
    {
        return !pageConnects.empty() &&
               std::ranges::all_of(pageConnects, [](const RecordingExit::Connect& c) {
                   return c.type == warden::socks5::AddressType::Domain && c.host == kPageHost;
               });
    }
};

// Has `open` show the WebRTC page and notes what reached the witnesses meanwhile; prints it
// as "chromium (GNOME) hiding: ...".
Visit visit(Witnesses& witnesses, const std::string& browser, const std::string& state,
            const std::function<void(const std::string& url)>& open)
{
    const auto start = Clock::now();
    const int load = witnesses.page.webRtcLoads();
    const int stunBefore = witnesses.stun.received();
    const std::size_t connectsBefore = witnesses.exit.connects().size();
    const std::size_t requestsBefore = witnesses.httpProxy.requests().size();
    open(witnesses.page.webRtcUrl(kPageHost, witnesses.stun.port()));

    Visit seen;
    // The page's load waits for its report, so the report is in once the browser has ended.
    if (witnesses.page.webRtcLoads() > load) {
        seen.candidates = witnesses.page.webRtcReport(load, 10s);
    }
    seen.stunDatagrams = witnesses.stun.received() - stunBefore;
    const std::vector<RecordingExit::Connect> connects = witnesses.exit.connects();
    std::copy_if(connects.begin() + static_cast<std::ptrdiff_t>(connectsBefore), connects.end(),
                 std::back_inserter(seen.pageConnects),
                 [&](const RecordingExit::Connect& c) { return c.port == witnesses.page.port(); });
    const std::vector<std::string> requests = witnesses.httpProxy.requests();
    seen.httpProxyRequests.assign(requests.begin() + static_cast<std::ptrdiff_t>(requestsBefore),
                                  requests.end());

    std::string candidates = seen.candidates.value_or("(the page did not report)");
    std::replace(candidates.begin(), candidates.end(), '\n', '|');
    std::cout << browser << " " << state << ": " << seen.stunDatagrams << " STUN requests, "
              << seen.httpProxyRequests.size() << " requests to the user's HTTP proxy, "
              << seen.pageConnects.size() << " CONNECTs for the page at the exit"
              << (seen.pageHandedAsName() ? " (by name)" : "") << ", candidates: " << candidates << " ["
              << since(start) << "]" << std::endl;
    return seen;
}

std::function<void(const std::string&)> inChromium(const Chromium& chromium)
{
    return [chromium](const std::string& url) { browsers::chromiumDom(chromium, url); };
}

void inFirefox(const std::string& url)
{
    browsers::firefoxOpens(url, gHome->file("webrtc.png"));
}

} // namespace

TEST(Browsers, SeeTheExitWhileTheProxyIsOnAndThemselvesOnceItIsOff)
{
    const auto start = Clock::now();
    IpPage page;
    warden::testing::Microsocks exit(freeLoopbackPort(), "127.0.0.2");
    warden::testing::WardenProcess warden(exit.port(), warden::testing::kKey, "127.0.0.2");
    ASSERT_TRUE(warden.waitFor(160138));

    const std::string profile = firefoxProfile();
    ASSERT_FALSE(profile.empty());
    platform::Host& host = platform::systemHost();

    // No Firefox window is open: nothing to tell the user either way.
    EXPECT_EQ(SetProxy(host, true, "127.0.0.1:" + std::to_string(warden.localPort()), "<-loopback>,"),
              FirefoxPrefsResult::Written);
    EXPECT_TRUE(std::filesystem::exists(profile + "user.js"));
    expectBrowsersSee(page, "127.0.0.2");

    EXPECT_EQ(SetProxy(host, false, "", ""), FirefoxPrefsResult::Written);
    expectBrowsersSee(page, "127.0.0.1");
    std::cout << "the browser checks took " << since(start) << std::endl;
}

// While hiding is on, through Warden and the recording exit: the page loads through the
// proxy with its host handed over as a name, no STUN request arrives and no server-reflexive
// candidate is given to the page, and the user's own HTTP proxy gets nothing. After the
// switch off the user's proxy and the profile are as they were, and Chromium's STUN request
// arrives again: the leak the policy stops is there to be seen.
TEST(BrowsersHiding, NothingGoesAroundWardenAndTheUsersSettingsComeBackAtSwitchOff)
{
    const auto start = Clock::now();
    Witnesses witnesses;
    warden::testing::WardenProcess warden(witnesses.exit.port());
    ASSERT_TRUE(warden.waitFor(160138));
    ASSERT_FALSE(firefoxProfile().empty());
    const std::string chromiumFolder = browsers::chromiumUserDataFolder();
    ASSERT_FALSE(chromiumFolder.empty());
    const std::optional<std::string> policyBefore = webRtcPolicy(chromiumFolder);
    ASSERT_NE(policyBefore, kPolicy);

    const Chromium chromiumGnome{"GNOME", "5", chromiumFolder};
    const Chromium chromiumKde5{"KDE", "5", chromiumFolder};
    const Chromium chromiumKde6{"KDE", "6", chromiumFolder};

    // The user's own proxy, which the browsers follow before the switch on: the witness works.
    const std::uint16_t userProxyPort = witnesses.httpProxy.port();
    ASSERT_TRUE(useDesktopHttpProxy(userProxyPort));
    const std::string pageRequest =
        "GET http://" + std::string(kPageHost) + ":" + std::to_string(witnesses.page.port()) + "/webrtc";
    for (const Chromium& chromium : {chromiumGnome, chromiumKde5}) {
        const Visit before =
            visit(witnesses, chromium.name(), "with the user's HTTP proxy", inChromium(chromium));
        EXPECT_TRUE(std::ranges::any_of(before.httpProxyRequests, [&](const std::string& line) {
            return line.starts_with(pageRequest);
        })) << chromium.name();
        EXPECT_FALSE(before.candidates) << chromium.name();
    }

    TempDir data;
    FakeClock clock;
    ActivityLog log(clock, data.file("report.txt"));
    FakeView view;
    ProxySwitch proxySwitch(platform::systemHost(), log, data.file("restore.json"));
    showSwitchReport(
        view, proxySwitch.SetProxy(true, "127.0.0.1:" + std::to_string(warden.localPort()), "<-loopback>,"));
    EXPECT_TRUE(view.boxes.empty()); // no browser was running
    EXPECT_EQ(webRtcPolicy(chromiumFolder), kPolicy);

    for (const Chromium& chromium : {chromiumGnome, chromiumKde5, chromiumKde6}) {
        const Visit hiding = visit(witnesses, chromium.name(), "hiding", inChromium(chromium));
        EXPECT_TRUE(hiding.candidates) << chromium.name() << ": the page did not load through the proxy";
        EXPECT_EQ(hiding.stunDatagrams, 0) << chromium.name();
        EXPECT_FALSE(hiding.serverReflexive()) << chromium.name();
        EXPECT_FALSE(hiding.udp()) << chromium.name();
        EXPECT_TRUE(hiding.pageHandedAsName()) << chromium.name();
        EXPECT_TRUE(hiding.httpProxyRequests.empty()) << chromium.name();
    }
    // The browser kept the policy through its runs.
    EXPECT_EQ(webRtcPolicy(chromiumFolder), kPolicy);
    const Visit firefoxHiding = visit(witnesses, "firefox-esr", "hiding", inFirefox);
    EXPECT_TRUE(firefoxHiding.candidates) << "firefox-esr: the page did not load through the proxy";
    EXPECT_EQ(firefoxHiding.stunDatagrams, 0);
    EXPECT_FALSE(firefoxHiding.serverReflexive());
    EXPECT_FALSE(firefoxHiding.udp());
    EXPECT_TRUE(firefoxHiding.pageHandedAsName());
    EXPECT_TRUE(firefoxHiding.httpProxyRequests.empty());

    proxySwitch.SetProxy(false, "", "");
    const std::string port = std::to_string(userProxyPort);
    std::cout << "after the switch off: GNOME mode " << gnomeSetting("org.gnome.system.proxy", "mode")
              << ", http " << gnomeSetting("org.gnome.system.proxy.http", "host") << " "
              << gnomeSetting("org.gnome.system.proxy.http", "port") << "; KDE ProxyType "
              << kdeSetting("ProxyType") << ", httpProxy " << kdeSetting("httpProxy") << std::endl;
    EXPECT_EQ(gnomeSetting("org.gnome.system.proxy.http", "host"), "'127.0.0.1'");
    EXPECT_EQ(gnomeSetting("org.gnome.system.proxy.http", "port"), port);
    EXPECT_EQ(gnomeSetting("org.gnome.system.proxy.https", "host"), "'127.0.0.1'");
    EXPECT_EQ(gnomeSetting("org.gnome.system.proxy.https", "port"), port);
    EXPECT_EQ(kdeSetting("httpProxy"), "http://127.0.0.1 " + port);
    EXPECT_EQ(kdeSetting("httpsProxy"), "http://127.0.0.1 " + port);
    EXPECT_EQ(gnomeSetting("org.gnome.system.proxy", "mode"), "'manual'");
    EXPECT_EQ(kdeSetting("ProxyType"), "1");
    EXPECT_EQ(webRtcPolicy(chromiumFolder), policyBefore);
    EXPECT_FALSE(std::filesystem::exists(data.file("restore.json"))); // everything is back
    // The user's own proxy is used again, as before hiding.
    for (const Chromium& chromium : {chromiumGnome, chromiumKde5}) {
        const Visit after = visit(witnesses, chromium.name(), "after hiding", inChromium(chromium));
        EXPECT_TRUE(std::ranges::any_of(after.httpProxyRequests, [&](const std::string& line) {
            return line.starts_with(pageRequest);
        })) << chromium.name();
    }

    // With the user's proxy off too, WebRTC uses UDP again: the policy is theirs.
    useNoDesktopProxy();
    for (const Chromium& chromium : {chromiumGnome, chromiumKde5, chromiumKde6}) {
        const Visit direct = visit(witnesses, chromium.name(), "not hiding", inChromium(chromium));
        EXPECT_GT(direct.stunDatagrams, 0) << chromium.name();
        EXPECT_TRUE(direct.serverReflexive()) << chromium.name();
        EXPECT_TRUE(direct.udp()) << chromium.name();
        EXPECT_TRUE(direct.pageConnects.empty()) << chromium.name();
    }
    // Firefox sends no STUN request to a server on loopback from its other addresses (unless
    // its testing preference media.peerconnection.ice.loopback is set), so only its UDP
    // candidates show that it would use UDP when not hiding.
    const Visit firefoxDirect = visit(witnesses, "firefox-esr", "not hiding", inFirefox);
    EXPECT_TRUE(firefoxDirect.udp());
    EXPECT_TRUE(firefoxDirect.pageConnects.empty());
    std::cout << "the hiding checks took " << since(start) << std::endl;
}

// A Chromium that runs while hiding is switched on would write its own copy of the profile
// over the policy when it ends: the user is asked once to restart it, and the profile is
// written once it has ended.
TEST(BrowsersHiding, AChromiumRunningAtTheSwitchOnIsAskedOnceToRestartAndItsProfileWrittenWhenItHasEnded)
{
    const std::string folder = browsers::chromiumUserDataFolder();
    ASSERT_FALSE(folder.empty());
    const std::optional<std::string> policyBefore = webRtcPolicy(folder);
    ASSERT_NE(policyBefore, kPolicy);

    // Up once it holds the folder's lock and has written where its debugger may connect. It
    // keeps its single-instance socket in a folder of TMPDIR, which a Chromium ended by a
    // signal leaves behind: the test's own.
    std::filesystem::remove(folder + "/DevToolsActivePort");
    const TempDir scratch;
    std::vector<std::string> argv = {"env", "TMPDIR=" + scratch.path()};
    const std::vector<std::string> command = browsers::chromiumCommand({"GNOME", "5", folder});
    argv.insert(argv.end(), command.begin(), command.end());
    argv.insert(argv.end(), {"--remote-debugging-port=0", "about:blank"});
    ChildProcess chromium(argv, false);
    ASSERT_TRUE(waitUntil(
        [&] {
            return lockedBy(folder, chromium.pid()) &&
                   std::filesystem::exists(folder + "/DevToolsActivePort");
        },
        60s));

    TempDir data;
    FakeClock clock;
    ActivityLog log(clock, data.file("report.txt"));
    FakeView view;
    ProxySwitch proxySwitch(platform::systemHost(), log, data.file("restore.json"));
    showSwitchReport(
        view, proxySwitch.SetProxy(true, "127.0.0.1:" + std::to_string(freeLoopbackPort()), "<-loopback>,"));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, kRestartText);
    EXPECT_EQ(view.boxes[0].kind, MsgKind::Warning);
    EXPECT_EQ(view.boxes[0].buttons, MsgButton::Ok);
    EXPECT_EQ(webRtcPolicy(folder), policyBefore);
    EXPECT_TRUE(proxySwitch.waitingForBrowsers());

    // Still running: nothing is written, and the user is not asked again.
    proxySwitch.writeWaitingProfiles();
    EXPECT_EQ(webRtcPolicy(folder), policyBefore);
    EXPECT_TRUE(proxySwitch.waitingForBrowsers());

    const auto stopping = Clock::now();
    ::kill(chromium.pid(), SIGTERM);
    ASSERT_TRUE(chromium.waitExit(30s));
    std::cout << "chromium ended " << since(stopping) << " after SIGTERM; its Preferences held "
              << webRtcPolicy(folder).value_or("no policy") << std::endl;
    proxySwitch.writeWaitingProfiles();
    EXPECT_EQ(webRtcPolicy(folder), kPolicy);
    EXPECT_FALSE(proxySwitch.waitingForBrowsers());
    EXPECT_EQ(view.boxes.size(), 1u);

    showSwitchReport(view, proxySwitch.SetProxy(false, "", ""));
    EXPECT_EQ(webRtcPolicy(folder), policyBefore);
    EXPECT_EQ(view.boxes.size(), 1u);
}

TEST(Browsers, ARealFirefoxWindowIsFoundByItsTitleAndNotOnceItHasClosed)
{
    // A display of the test's own: the first free number from 90.
    int display = 90;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)) && display < 200) {
        ++display;
    }
    const std::string name = ":" + std::to_string(display);
    ChildProcess xvfb({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, false);
    setenv("DISPLAY", name.c_str(), 1);
    const platform::LinuxTopLevelWindows windows;
    const auto found = [&] { return FindWindowByTitle(windows, "Mozilla Firefox").has_value(); };
    ASSERT_TRUE(waitUntil(
        [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)); }, 10s));
    EXPECT_FALSE(found());

    ChildProcess firefox({"firefox-esr", "--new-instance", "about:blank"}, false);
    EXPECT_TRUE(waitUntil(found, 90s));
    firefox.kill();
    EXPECT_TRUE(waitUntil([&] { return !found(); }, 30s));
    unsetenv("DISPLAY");
    // Ended so, the display removes its lock file and socket; killed, it would leave them.
    ::kill(xvfb.pid(), SIGTERM);
    EXPECT_TRUE(xvfb.waitExit(10s));
}

// Every program the test starts lives in the test's own home.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir home;
    gHome = &home;
    browsers::useHome(home.path());
    return RUN_ALL_TESTS();
}
