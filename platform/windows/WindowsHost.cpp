#include "platform/Host.h"

#include "platform/windows/WinInetHttp.h"
#include "platform/windows/WindowsAutostart.h"
#include "platform/windows/WindowsChildProcesses.h"
#include "platform/windows/WindowsChromiumBrowsers.h"
#include "platform/windows/WindowsClock.h"
#include "platform/windows/WindowsDesktop.h"
#include "platform/windows/WindowsFolders.h"
#include "platform/windows/WindowsNetworkAdapters.h"
#include "platform/windows/WindowsSystemInfo.h"
#include "platform/windows/WindowsSystemProxy.h"
#include "platform/windows/WindowsTopLevelWindows.h"

namespace platform {

Host& systemHost()
{
    static WindowsClock clock;
    static WindowsFolders folders;
    static WindowsDesktop desktop;
    static WindowsAutostart autostart;
    static WindowsSystemInfo systemInfo;
    static WindowsSystemProxy systemProxy;
    static WindowsTopLevelWindows windows;
    static WindowsChildProcesses processes;
    static WindowsNetworkAdapters adapters;
    static WinInetHttp http;
    static WindowsChromiumBrowsers chromium;
    static Host host{clock,   folders,   desktop,  autostart, systemInfo, systemProxy,
                     windows, processes, adapters, http,      chromium};
    return host;
}

} // namespace platform
