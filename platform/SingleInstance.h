#pragma once

#include <string>

namespace platform {

enum class InstanceLock {
    // This process holds the lock until it ends.
    Acquired,
    // Another running copy holds it.
    HeldElsewhere,
    // The lock could not be taken for another reason (no folder to keep it in, say):
    // single-instance cannot be enforced, which is no reason not to start.
    Unavailable,
};

// Takes the single-instance lock `name` of the user's session and holds it until the process
// ends.
InstanceLock acquireSingleInstance(const std::string& name);

} // namespace platform
