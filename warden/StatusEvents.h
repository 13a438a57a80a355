#pragma once

// The progress lines the tray program reads: a six-digit code it acts on, then a short
// English text for people reading a log.

#include "warden/StatusCodes.h"

#include <string_view>

namespace warden::status {

struct Event
{
    int code;
    std::string_view text;
};

inline constexpr Event kResolving{code::kResolving, "resolving exit host"};
inline constexpr Event kConnecting{code::kConnecting, "connecting to exit"};
inline constexpr Event kAuthenticating{code::kAuthenticating, "authenticating at exit"};
inline constexpr Event kConnected{code::kConnected, "connected"};
inline constexpr Event kReady{code::kReady, "ready"};
inline constexpr Event kTimedOut{code::kTimedOut, "exit did not answer in time"};
inline constexpr Event kRejected{code::kRejected, "exit rejected the credentials"};
inline constexpr Event kRefused{code::kRefused, "exit refused the connection"};
inline constexpr Event kUnreachable{code::kUnreachable, "exit cannot be reached"};
inline constexpr Event kNotSocks{code::kSetupFailed, "exit does not speak SOCKS5"};
inline constexpr Event kBindFailed{code::kSetupFailed, "cannot listen on the local port"};
inline constexpr Event kFailingRepeatedly{code::kFailingRepeatedly, "five verifications failed in a row"};
inline constexpr Event kDisconnected{code::kDisconnected, "disconnected"};
inline constexpr Event kDestinationFailed{code::kDestinationFailed, "exit could not reach a destination"};
inline constexpr Event kRetrying{code::kRetrying, "retrying"};

} // namespace warden::status
