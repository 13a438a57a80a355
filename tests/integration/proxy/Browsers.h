#pragma once

// Real browsers, run headless to their end, asked what a "what is my IP" page saw of them.
// Each follows the proxy settings of the user's home given by HOME: Chromium the desktop's
// (GNOME's GLib keyfile or KDE's kioslaverc, by the desktop named), Firefox ESR its
// profile's user.js.

#include "IpPage.h"

#include <chrono>
#include <string>
#include <vector>

namespace browsers {

// Runs a browser to its end (it ends by itself once the page is shown), at most `limit`,
// and returns what it printed. Its helper processes end with it.
std::string run(const std::vector<std::string>& argv, std::chrono::seconds limit);

// The address the page showed headless Chromium, started in the desktop session given.
std::string chromiumSees(const IpPage& page, const std::string& desktop);

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
