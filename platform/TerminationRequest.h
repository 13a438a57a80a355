#pragma once

namespace platform {

// A descriptor that becomes readable when the system asks the process to end (on Linux
// SIGTERM, SIGHUP or SIGINT: a log-out without a session manager, `kill`, Ctrl+C), so the
// program can end as it does at the end of a session, restoring what it changed, instead
// of dying with the browsers still pointed at it. -1 where the system has no such request.
int terminationRequestDescriptor();

} // namespace platform
