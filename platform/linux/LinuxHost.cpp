#include "platform/Host.h"

#include "platform/linux/LinuxAutostart.h"
#include "platform/linux/LinuxClock.h"
#include "platform/linux/LinuxDesktop.h"
#include "platform/linux/LinuxFolders.h"
#include "platform/linux/LinuxSystemInfo.h"

namespace platform {

Host& systemHost()
{
    static LinuxClock clock;
    static LinuxFolders folders;
    static LinuxDesktop desktop;
    static LinuxAutostart autostart;
    static LinuxSystemInfo systemInfo;
    static Host host{clock, folders, desktop, autostart, systemInfo};
    return host;
}

} // namespace platform
