// The proof that matters: real browsers, pointed at a real Warden by SetProxy, reach a
// "what is my IP" page through the exit. The exit (microsocks) listens on 127.0.0.2 and
// connects from there, so the page sees 127.0.0.2 through the chain and 127.0.0.1 direct.
// Chromium follows GNOME's settings (GLib keyfile backend) and KDE's kioslaverc; Firefox
// follows its profile's user.js.

#include "Browsers.h"

#include "platform/Host.h"
#include "platform/linux/LinuxTopLevelWindows.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/SystemProxy.h"
#include "support/Chain.h"
#include "support/ChildProcess.h"
#include "support/Loopback.h"
#include "support/TestCredentials.h"
#include "tests/support/FakeView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <thread>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;
using warden::testing::freeLoopbackPort;

namespace {

TempDir* gHome = nullptr;
using Clock = std::chrono::steady_clock;
using browsers::chromiumSees;

std::string firefoxSees(const IpPage& page)
{
    return browsers::firefoxSees(page, gHome->file("page.png"));
}

} // namespace

TEST(Browsers, SeeTheExitWhileTheProxyIsOnAndThemselvesOnceItIsOff)
{
    const auto start = Clock::now();
    IpPage page;
    warden::testing::Microsocks exit(freeLoopbackPort(), "127.0.0.2");
    warden::testing::WardenProcess warden(exit.port(), warden::testing::kKey, "127.0.0.2");
    ASSERT_TRUE(warden.waitFor(160138));

    const std::string profile = browsers::prepareFirefoxProfile(gHome->path());
    ASSERT_FALSE(profile.empty());
    platform::Host& host = platform::systemHost();

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
    std::cout << "the browser checks took "
              << std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count() << " s"
              << std::endl;
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

// Every program the test starts lives in the test's own home.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempDir home;
    gHome = &home;
    browsers::useHome(home.path());
    return RUN_ALL_TESTS();
}
