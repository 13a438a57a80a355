#include "warden/System.h"

#include <csignal>

namespace warden {

void ignoreBrokenPipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace warden
