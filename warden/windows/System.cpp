// Warden's system functions on Windows. Winsock has no descriptor limit to raise and no
// broken-pipe signal (a write to a closed peer is an error on that socket), and no
// zero-copy move between two sockets: data is copied through a buffer.

#include "warden/System.h"

#include "warden/CopyMover.h"

#include <thread>
#include <tlhelp32.h>
#include <windows.h>

namespace warden {

namespace {

// The id of the process that started this one; 0 when it cannot be found.
DWORD parentProcessId()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

} // namespace

bool bindLifetimeToParent()
{
    // The tray program also puts Warden into a job that ends with it; this covers a Warden
    // started otherwise. A process id can be reused once its process has gone, so the
    // parent must still be older than this process to be the one that started it.
    const DWORD parentId = parentProcessId();
    const HANDLE parent = parentId ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId)
                                   : nullptr;
    if (!parent) {
        return false;
    }
    FILETIME parentStart{}, ownStart{}, unused{};
    if (!GetProcessTimes(parent, &parentStart, &unused, &unused, &unused) ||
        !GetProcessTimes(GetCurrentProcess(), &ownStart, &unused, &unused, &unused) ||
        CompareFileTime(&parentStart, &ownStart) > 0 || WaitForSingleObject(parent, 0) != WAIT_TIMEOUT) {
        CloseHandle(parent);
        return false;
    }
    std::thread([parent] {
        WaitForSingleObject(parent, INFINITE);
        ExitProcess(1);
    }).detach();
    return true;
}

void raiseDescriptorLimit() {}

void ignoreBrokenPipe() {}

std::unique_ptr<BurstMover> makeBurstMover()
{
    return std::make_unique<CopyMover>();
}

} // namespace warden
