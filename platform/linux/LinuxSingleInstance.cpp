#include "platform/linux/LinuxSingleInstance.h"
#include "platform/SingleInstance.h"

#include "platform/linux/XdgPaths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::string singleInstanceLockPath(const std::string& name)
{
    const std::string runtimeFolder = environmentValue("XDG_RUNTIME_DIR");
    if (!runtimeFolder.empty()) {
        return runtimeFolder + "/" + name + ".lock";
    }
    return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
}

bool acquireSingleInstance(const std::string& name)
{
    // The lock goes with the open descriptor, so the system drops it when the process
    // ends, however it ends. O_CLOEXEC keeps programs started later from inheriting it
    // and holding the lock after this process is gone.
    const std::string path = singleInstanceLockPath(name);
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return false;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return false;
    }
    // Deliberately left open for the rest of the process's life.
    return true;
}

} // namespace platform
