#pragma once

#include "platform/Host.h"

#include <string>

// Finds the Firefox profile that Firefox really uses. A current Firefox makes two
// profiles on its first start: an unused "xxxxxxxx.default" and the one it uses
// ("yyyyyyyy.default-esr", "...default-release"), named as the installation's default in
// installs.ini and profiles.ini. Preferences written into the unused one do nothing.

// The profile folder, ending in the separator, or empty. Tried in turn, each taken only
// when its folder exists: the Default= of the [...] sections of installs.ini, the
// Default= of the [Install...] sections of profiles.ini, the Path= of the [ProfileN]
// section with Default=1; last, the first "*.default" entry of the profiles folder in
// name order (hidden entries skipped).
std::string FindFirefoxProfile(const platform::Folders& folders);

// The profile's prefs.js, or empty when there is no profile folder.
std::string GetFirefoxPrefsFile(const platform::Folders& folders);
