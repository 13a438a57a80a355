#include "warden/System.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace warden {

bool bindLifetimeToParent()
{
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the request took effect: the signal would then
    // never come, and the process now has a new parent.
    return ::getppid() == parent;
}

} // namespace warden
