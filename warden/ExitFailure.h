#pragma once

// Why a connection to the exit could not be used, in the terms the status codes speak.

#include "warden/StatusEvents.h"

#include <system_error>

namespace warden {

enum class ExitFailure {
    TimedOut,    // a step got no answer within its time limit
    Rejected,    // the exit turned the credentials (or every offered method) down
    Refused,     // refused, reset or closed by the exit
    Unreachable, // name not found, no route to the network or host
    NotSocks,    // the exit answered something that is not SOCKS5
    Local,       // this machine ran out of descriptors or memory: not the exit's fault
};

ExitFailure classifyExitError(const std::error_code& error);

const status::Event& eventFor(ExitFailure failure);

} // namespace warden
