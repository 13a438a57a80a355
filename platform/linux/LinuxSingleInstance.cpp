#include "platform/linux/LinuxSingleInstance.h"
#include "platform/SingleInstance.h"

#include "platform/linux/XdgPaths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string singleInstanceLockPath(const std::string& name)
{
    // A runtime folder that is named but missing is made, as the toolkit makes it later in
    // the start-up anyway: every copy then agrees on where the lock is.
    std::string folder = environmentValue("XDG_RUNTIME_DIR");
    if (!folder.empty() && folder.front() == '/' && !isFolder(folder)) {
        mkdir(folder.c_str(), 0700);
    }
    if (folder.empty() || folder.front() != '/' || !isFolder(folder)) {
        folder = ensuredXdgConfigHome();
    }
    return folder.empty() ? "" : folder + "/" + name + ".lock";
}

InstanceLock acquireSingleInstance(const std::string& name)
{
    const std::string path = singleInstanceLockPath(name);
    if (path.empty()) {
        return InstanceLock::Unavailable;
    }
    // The lock goes with the open descriptor, so the system drops it when the process
    // ends, however it ends. O_CLOEXEC keeps programs started later from inheriting it
    // and holding the lock after this process is gone.
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        return InstanceLock::Unavailable;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(descriptor);
        return held ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
    }
    // Deliberately left open for the rest of the process's life.
    return InstanceLock::Acquired;
}

} // namespace platform
