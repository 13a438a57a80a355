#include "Browsers.h"

#include "platform/Host.h"
#include "proxy/FirefoxProfile.h"
#include "support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;

namespace browsers {

namespace {

using Clock = std::chrono::steady_clock;

std::string since(Clock::time_point start)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

} // namespace

std::string run(const std::vector<std::string>& argv, std::chrono::seconds limit)
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

std::string chromiumSees(const IpPage& page, const std::string& desktop)
{
    const TempDir profile;
    const auto start = Clock::now();
    const std::string dom =
        run({"env", "XDG_CURRENT_DESKTOP=" + desktop, "KDE_SESSION_VERSION=5", "chromium", "--headless",
             "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
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

std::string firefoxSees(const IpPage& page, const std::string& screenshot)
{
    const auto start = Clock::now();
    const std::size_t before = page.visitors().size();
    run({"firefox-esr", "--headless", "--screenshot", screenshot, page.url()}, 120s);
    const std::vector<std::string> visitors = page.visitors();
    const std::string seen = visitors.size() > before ? visitors.back() : "(no visit)";
    std::cout << "firefox-esr saw " << seen << " in " << since(start) << std::endl;
    return seen;
}

std::string prepareFirefoxProfile(const std::string& scratchFolder)
{
    run({"firefox-esr", "--headless", "--screenshot", scratchFolder + "/first.png", "about:blank"}, 120s);
    const std::string profile = FindFirefoxProfile(platform::systemHost().folders);
    if (!profile.empty()) {
        std::ofstream(profile + "prefs.js", std::ios::app)
            << "user_pref(\"network.proxy.allow_hijacking_localhost\", true);\n";
    }
    return profile;
}

void useHome(const std::string& home)
{
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    unsetenv("DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
}

} // namespace browsers
