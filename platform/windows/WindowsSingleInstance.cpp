#include "platform/SingleInstance.h"

#include <windows.h>

namespace platform {

InstanceLock acquireSingleInstance(const std::string& name)
{
    // A named mutex of the log-on session: it goes with the last handle, so the system
    // drops it when the process ends, however it ends.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // The name exists but belongs to a copy of higher rights (an elevated one): it
        // is held all the same.
        return error == ERROR_ACCESS_DENIED ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return InstanceLock::HeldElsewhere;
    }
    // Deliberately never closed: the lock is held for the rest of the process's life.
    return InstanceLock::Acquired;
}

} // namespace platform
