#include "platform/TerminationRequest.h"

namespace platform {

int terminationRequestDescriptor()
{
    // Windows ends a GUI program through its session messages (the end of the log-on
    // reaches the main window), not through anything a descriptor could watch.
    return -1;
}

} // namespace platform
