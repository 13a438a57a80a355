#pragma once

#include <string>

namespace platform {

// The lock file of the single-instance lock `name`: in $XDG_RUNTIME_DIR when set (per
// user, cleared at log-out), else /tmp/<name>-<uid>.lock.
std::string singleInstanceLockPath(const std::string& name);

} // namespace platform
