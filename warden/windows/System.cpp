// Warden's system functions on Windows. Winsock has no descriptor limit to raise and no
// broken-pipe signal (a write to a closed peer is an error on that socket), and no
// zero-copy move between two sockets: data is copied through a buffer.

#include "warden/System.h"

#include "warden/CopyMover.h"

// Header-only: Warden shares the handle owner, not the platform library.
#include "platform/windows/Handle.h"

#include <windows.h>

#include <tlhelp32.h>

#include <memory>
#include <thread>

namespace warden {

namespace {

using platform::Handle;

// The id of the process that started this one; 0 when it cannot be found.
DWORD parentProcessId()
{
    const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return 0;
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self)
            return entry.th32ParentProcessID;
    }
    return 0;
}

// The parent, opened to wait for its end; nothing when it has gone already. A process id
// is reused once its process has gone, so the process found under it must be older than
// this one to be the one that started it.
Handle openLivingParent()
{
    const DWORD parentId = parentProcessId();
    if (parentId == 0)
        return {};
    Handle parent(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parentId));
    if (!parent)
        return {};
    FILETIME parentStart{}, ownStart{}, unused{};
    if (!GetProcessTimes(parent.get(), &parentStart, &unused, &unused, &unused) ||
        !GetProcessTimes(GetCurrentProcess(), &ownStart, &unused, &unused, &unused) ||
        CompareFileTime(&parentStart, &ownStart) > 0 || WaitForSingleObject(parent.get(), 0) != WAIT_TIMEOUT)
        return {};
    return parent;
}

} // namespace

bool bindLifetimeToParent()
{
    // The tray program also puts Warden into a job that ends with it; this covers a Warden
    // started otherwise.
    Handle parent = openLivingParent();
    if (!parent)
        return false;
    // The wait returns when the parent has ended, or when it cannot be kept, and then the
    // binding no longer holds either. The process ends the way a kill ends it: ExitProcess
    // would run the libraries' detach code while the main thread may hold their locks, and
    // could hang there instead of ending.
    std::thread([parent = std::move(parent)] {
        WaitForSingleObject(parent.get(), INFINITE);
        TerminateProcess(GetCurrentProcess(), 1);
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
