#pragma once

#include <string>

namespace platform {

// The value of an environment variable as it is at this moment; empty when unset.
std::string environmentValue(const char* name);

// $HOME without a trailing separator; empty when unset.
std::string homeFolder();

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config, else empty (no home at all). No trailing separator.
std::string xdgConfigHome();

} // namespace platform
