#include "platform/Host.h"

#include "platform/linux/CurlHttp.h"
#include "platform/linux/LinuxAutostart.h"
#include "platform/linux/LinuxChildProcesses.h"
#include "platform/linux/LinuxChromiumBrowsers.h"
#include "platform/linux/LinuxClock.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LinuxFolders.h"
#include "platform/linux/LinuxNetworkAdapters.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/LinuxSystemProxy.h"
#include "platform/linux/LinuxTopLevelWindows.h"

namespace platform {

Host& systemHost()
{
    static LinuxClock clock;
    static LinuxFolders folders;
    static LinuxDesktop desktop;
    static LinuxAutostart autostart;
    static LinuxSystemInfo systemInfo;
    static LinuxSystemProxy systemProxy;
    static LinuxTopLevelWindows windows;
    static LinuxChildProcesses processes;
    static LinuxNetworkAdapters adapters;
    static CurlHttp http;
    static LinuxChromiumBrowsers chromium;
    static Host host{clock,   folders,   desktop,  autostart, systemInfo, systemProxy,
                     windows, processes, adapters, http,      chromium};
    return host;
}

} // namespace platform
