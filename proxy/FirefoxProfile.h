#pragma once

#include "platform/Host.h"

#include <string>
#include <string_view>
#include <vector>

// Finds the Firefox profile that Firefox really uses. A current Firefox makes two
// profiles on its first start: an unused "xxxxxxxx.default" and the one it uses
// ("yyyyyyyy.default-esr", "...default-release"), named as the installation's default in
// installs.ini and profiles.ini. Preferences written into the unused one do nothing.

// The profile folders the texts of installs.ini and profiles.ini name, in the order they
// are tried: the Default= of the [...] sections of installs.ini, the Default= of the
// [Install...] sections of profiles.ini, the Path= of the [ProfileN] section with
// Default=1. Each is a folder below `profilesFolder`, ending in the separator; a path
// that leads elsewhere (absolute, climbing with "..", the profiles folder itself) is
// left out, whatever the lists say. Asks the file system nothing.
std::vector<std::string> listedFirefoxProfiles(const std::string& profilesFolder,
                                               std::string_view installsIni, std::string_view profilesIni);

// The profile folder, ending in the separator, or empty: the first of the folders the
// profile lists name (listedFirefoxProfiles) that exists; else the first "*.default"
// entry of the profiles folder in name order (hidden entries skipped).
std::string FindFirefoxProfile(const platform::Folders& folders);

// The profile's prefs.js, or empty when there is no profile folder.
std::string GetFirefoxPrefsFile(const platform::Folders& folders);
