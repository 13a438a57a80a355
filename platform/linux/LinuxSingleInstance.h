#pragma once

#include <string>

namespace platform {

// The lock file of the single-instance lock `name`: in $XDG_RUNTIME_DIR (per user,
// cleared at log-out; made when it is named but missing), else in the user's
// configuration folder. Never in a shared folder such as /tmp, where another account
// could plant the file first. Empty when there is no folder for it.
std::string singleInstanceLockPath(const std::string& name);

} // namespace platform
