// The proof that matters: real browsers, pointed at a real Warden by SetProxy, reach a
// "what is my IP" page through the exit. The exit (microsocks) listens on 127.0.0.2 and
// connects from there, so the page sees 127.0.0.2 through the chain and 127.0.0.1 direct.
// Chromium follows GNOME's settings (GLib keyfile backend) and KDE's kioslaverc; Firefox
// follows its profile's user.js.

#include "IpPage.h"

#include "platform/Host.h"
#include "platform/linux/LinuxTopLevelWindows.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/FirefoxProfile.h"
#include "proxy/SystemProxy.h"
#include "support/Chain.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;
using warden::testing::freeLoopbackPort;

namespace {

TempDir* gHome = nullptr;
using Clock = std::chrono::steady_clock;

std::string since(Clock::time_point start)
{
    return std::to_string(
               std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() / 1000.0)
               .substr(0, 4) +
           " s";
}

// Runs a browser to its end (it ends by itself once the page is shown), at most `limit`,
// and returns what it printed. Its helper processes end with it.
std::string runBrowser(const std::vector<std::string>& argv, std::chrono::seconds limit)
{
    ChildProcess browser(argv);
    std::string output;
    const auto deadline = Clock::now() + limit;
    while (const auto line = browser.readLine(
               std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()))) {
        output += *line + "\n";
    }
    return output;
}

// What headless Chromium shows of the page, in the desktop session given.
std::string chromiumSees(const IpPage& page, const std::string& desktop)
{
    const TempDir profile;
    const auto start = Clock::now();
    const std::string dom =
        runBrowser({"env", "XDG_CURRENT_DESKTOP=" + desktop, "KDE_SESSION_VERSION=5", "chromium",
                    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                    "--disable-background-networking", "--disable-component-update", "--disable-sync",
                    "--user-data-dir=" + profile.path(), "--dump-dom", page.url()},
                   90s);
    const std::string marker = "<p id=\"ip\">";
    const std::size_t at = dom.find(marker);
    const std::string seen =
        at == std::string::npos
            ? "(no page)"
            : dom.substr(at + marker.size(), dom.find('<', at + marker.size()) - at - marker.size());
    std::cout << "chromium (" << desktop << ") saw " << seen << " in " << since(start) << std::endl;
    return seen;
}

// The address the page saw Firefox ESR come from: it loads the page headless, takes a
// picture of it and ends.
std::string firefoxSees(const IpPage& page)
{
    const auto start = Clock::now();
    const std::size_t before = page.visitors().size();
    runBrowser({"firefox-esr", "--headless", "--screenshot", gHome->file("page.png"), page.url()}, 120s);
    const std::vector<std::string> visitors = page.visitors();
    const std::string seen = visitors.size() > before ? visitors.back() : "(no visit)";
    std::cout << "firefox-esr saw " << seen << " in " << since(start) << std::endl;
    return seen;
}

} // namespace

TEST(Browsers, SeeTheExitWhileTheProxyIsOnAndThemselvesOnceItIsOff)
{
    const auto start = Clock::now();
    IpPage page;
    warden::testing::Microsocks exit(freeLoopbackPort(), "127.0.0.2");
    warden::testing::WardenProcess warden(exit.port(), warden::testing::kKey, "127.0.0.2");
    ASSERT_TRUE(warden.waitFor(160138));

    // Firefox's first start makes its profiles; the one it uses lets the test's page on
    // 127.0.0.1 go through the proxy too.
    runBrowser({"firefox-esr", "--headless", "--screenshot", gHome->file("first.png"), "about:blank"}, 120s);
    platform::Host& host = platform::systemHost();
    const std::string profile = FindFirefoxProfile(host.folders);
    ASSERT_FALSE(profile.empty());
    std::ofstream(profile + "prefs.js", std::ios::app)
        << "user_pref(\"network.proxy.allow_hijacking_localhost\", true);\n";

    FakeView view;
    SetProxy(host, view, true, "127.0.0.1:" + std::to_string(warden.localPort()), "<-loopback>,");
    EXPECT_TRUE(std::filesystem::exists(profile + "user.js"));
    EXPECT_EQ(chromiumSees(page, "GNOME"), "127.0.0.2");
    EXPECT_EQ(chromiumSees(page, "KDE"), "127.0.0.2");
    EXPECT_EQ(firefoxSees(page), "127.0.0.2");

    SetProxy(host, view, false, "", "");
    EXPECT_EQ(chromiumSees(page, "GNOME"), "127.0.0.1");
    EXPECT_EQ(chromiumSees(page, "KDE"), "127.0.0.1");
    EXPECT_EQ(firefoxSees(page), "127.0.0.1");
    EXPECT_TRUE(view.boxes.empty()); // no Firefox window was open
    std::cout << "the browser checks took " << since(start) << std::endl;
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
    const auto waitUntil = [](const auto& condition, std::chrono::seconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!condition() && Clock::now() < deadline) {
            std::this_thread::sleep_for(100ms);
        }
        return condition();
    };
    ASSERT_TRUE(waitUntil(
        [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)); }, 10s));
    EXPECT_FALSE(found());

    ChildProcess firefox({"firefox-esr", "--new-instance", "about:blank"}, false);
    EXPECT_TRUE(waitUntil(found, 90s));
    firefox.kill();
    EXPECT_TRUE(waitUntil([&] { return !found(); }, 30s));
    unsetenv("DISPLAY");
}

// The test's own home for every program it starts, and GLib's keyfile backend in it: set
// before anything asks GLib, which reads its environment once.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir home;
    gHome = &home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.file(".config").c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    // Both desktops' settings are written: GNOME's wherever its schema is, KDE's in a KDE
    // session. Each browser is then started in one of the two.
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    unsetenv("DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
    return RUN_ALL_TESTS();
}
