#include "Browsers.h"

#include "platform/Host.h"
#include "proxy/FirefoxProfile.h"
#include "support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <optional>

using namespace std::chrono_literals;
using warden::testing::ChildProcess;

namespace browsers {

using Clock = std::chrono::steady_clock;

std::string since(Clock::time_point start)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

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

std::string Chromium::name() const
{
    return "chromium (" + desktop + (desktop == "KDE" ? " " + kdeSessionVersion : "") + ")";
}

std::vector<std::string> chromiumCommand(const Chromium& chromium)
{
    return {"env",
            "XDG_CURRENT_DESKTOP=" + chromium.desktop,
            "KDE_SESSION_VERSION=" + chromium.kdeSessionVersion,
            "chromium",
            "--headless",
            "--no-sandbox",
            "--disable-gpu",
            "--disable-quic",
            "--no-first-run",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            "--user-data-dir=" + chromium.userDataFolder};
}

std::string chromiumDom(const Chromium& chromium, const std::string& url)
{
    std::optional<TempDir> fresh;
    Chromium started = chromium;
    if (started.userDataFolder.empty()) {
        started.userDataFolder = fresh.emplace().path();
    }
    std::vector<std::string> argv = chromiumCommand(started);
    argv.insert(argv.end(), {"--dump-dom", url});
    return run(argv, 90s);
}

std::string chromiumSees(const IpPage& page, const std::string& desktop)
{
    const auto start = Clock::now();
    const std::string dom = chromiumDom({desktop, "5", ""}, page.url());
    const std::string marker = "<p id=\"ip\">";
    const std::size_t at = dom.find(marker);
    const std::string seen =
        at == std::string::npos
            ? "(no page)"
            : dom.substr(at + marker.size(), dom.find('<', at + marker.size()) - at - marker.size());
    std::cout << "chromium (" + desktop + ") saw " + seen + " in " + since(start) + "\n" << std::flush;
    return seen;
}

std::string chromiumUserDataFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder =
        (configHome != nullptr && *configHome != '\0' ? std::string(configHome)
                                                      : std::string(home ? home : "") + "/.config") +
        "/chromium";
    const auto made = [&] {
        return std::filesystem::exists(folder + "/Local State") &&
               std::filesystem::exists(folder + "/Default/Preferences");
    };
    if (!made()) {
        chromiumDom({"GNOME", "5", folder}, "about:blank");
    }
    return made() ? folder : "";
}

void firefoxOpens(const std::string& url, const std::string& screenshot)
{
    run({"firefox-esr", "--headless", "--screenshot", screenshot, url}, 120s);
}

std::string firefoxSees(const IpPage& page, const std::string& screenshot)
{
    const auto start = Clock::now();
    // Only Firefox's own visits count: Chromium may visit the page at the same time.
    const std::size_t before = page.visitors("Firefox/").size();
    firefoxOpens(page.url(), screenshot);
    const std::vector<std::string> visitors = page.visitors("Firefox/");
    const std::string seen = visitors.size() > before ? visitors.back() : "(no visit)";
    std::cout << "firefox-esr saw " + seen + " in " + since(start) + "\n" << std::flush;
    return seen;
}

std::vector<std::pair<std::string, std::string>>
seenTogether(const IpPage& page, const std::vector<std::string>& chromiumDesktops,
             const std::string& firefoxScreenshot)
{
    std::vector<std::pair<std::string, std::future<std::string>>> running;
    for (const std::string& desktop : chromiumDesktops) {
        running.emplace_back("chromium (" + desktop + ")", std::async(std::launch::async, [&page, desktop] {
                                 return chromiumSees(page, desktop);
                             }));
    }
    if (!firefoxScreenshot.empty()) {
        running.emplace_back("firefox-esr", std::async(std::launch::async, [&page, firefoxScreenshot] {
                                 return firefoxSees(page, firefoxScreenshot);
                             }));
    }
    std::vector<std::pair<std::string, std::string>> seen;
    for (auto& [name, address] : running) {
        seen.emplace_back(name, address.get());
    }
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
