#pragma once

#include <string>

namespace platform {

// The value of an environment variable as it is at this moment; empty when unset.
std::string environmentValue(const char* name);

// The user's home folder without a trailing separator: $HOME, else the account's home
// from the password database; empty when neither names one.
std::string homeFolder();

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// the home folder's .config, else empty. No trailing separator.
std::string xdgConfigHome();

// xdgConfigHome(), made private to the user when it is missing, as on a fresh account.
std::string ensuredXdgConfigHome();

bool isFolder(const std::string& path);

} // namespace platform
