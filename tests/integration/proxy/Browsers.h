#pragma once

// Real browsers, run headless to their end, asked what the test's pages saw of them.
// Each follows the proxy settings of the user's home given by HOME: Chromium the desktop's
// (GNOME's GLib keyfile or KDE's kioslaverc, by the desktop named), Firefox ESR its
// profile's user.js.

#include "IpPage.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace browsers {

// The time from `start` until now, as "2.4 s", for what the tests print.
std::string since(std::chrono::steady_clock::time_point start);

// Runs a browser to its end (it ends by itself once the page is shown), at most `limit`,
// and returns what it printed. Its helper processes end with it.
std::string run(const std::vector<std::string>& argv, std::chrono::seconds limit);

// How headless Chromium is started: the desktop session it runs in ("GNOME" or "KDE", and
// KDE's session version, without which it would read KDE 4's settings) and the user-data
// folder it keeps its profiles in (empty: a fresh one of its own, removed after the run).
struct Chromium
{
    std::string desktop = "GNOME";
    std::string kdeSessionVersion = "5";
    std::string userDataFolder;

    // "chromium (GNOME)", "chromium (KDE 6)".
    std::string name() const;
};

// The command that starts Chromium so, without a page: the caller adds what it should do.
// Its user-data folder must be given.
std::vector<std::string> chromiumCommand(const Chromium& chromium);

// Runs Chromium on `url` to its end and returns the page as it was once loaded.
std::string chromiumDom(const Chromium& chromium, const std::string& url);

// The address the page showed headless Chromium, started in the desktop session given.
std::string chromiumSees(const IpPage& page, const std::string& desktop);

// What the page showed each browser, all started at once so that the checks take as long
// as the slowest of them: headless Chromium in each desktop session named, then Firefox ESR
// unless `firefoxScreenshot` is empty. Pairs of the browser's name ("chromium (KDE)",
// "firefox-esr") and the address it saw.
std::vector<std::pair<std::string, std::string>>
seenTogether(const IpPage& page, const std::vector<std::string>& chromiumDesktops,
             const std::string& firefoxScreenshot = {});

// Chromium's user-data folder in the user's home ($XDG_CONFIG_HOME/chromium), the one the
// program looks after; made by a first run when it lacks "Local State", so that it holds the
// profile list and the "Default" profile's Preferences. Empty when no run made them.
std::string chromiumUserDataFolder();

// Runs Firefox ESR on `url` until the page has loaded, leaving a picture of it at
// `screenshot`.
void firefoxOpens(const std::string& url, const std::string& screenshot);

// The address the page saw Firefox ESR come from; it leaves a picture of the page at
// `screenshot`.
std::string firefoxSees(const IpPage& page, const std::string& screenshot);

// Starts Firefox ESR once so that it makes its profile, and lets the profile send requests
// for 127.0.0.1 through the proxy too (the test's page lives there); the profile's folder
// with a trailing separator, empty when none was made.
std::string prepareFirefoxProfile(const std::string& scratchFolder);

// Makes `home` the home of every program the test starts, with GLib's keyfile backend in
// it: called before anything asks GLib, which reads its environment once. Both desktops'
// settings are written then (GNOME's wherever its schema is, KDE's in a KDE session);
// each browser is started in one of the two. No display and no session bus.
void useHome(const std::string& home);

} // namespace browsers
