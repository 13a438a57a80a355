#pragma once

// The progress lines the tray program reads: a six-digit code it acts on, then a short
// English text for people reading a log.

#include <string_view>

namespace warden::status {

struct Event
{
    int code;
    std::string_view text;
};

inline constexpr Event kResolving{160036, "resolving exit host"};
inline constexpr Event kConnecting{160032, "connecting to exit"};
inline constexpr Event kAuthenticating{160238, "authenticating at exit"};
inline constexpr Event kConnected{160239, "connected"};
inline constexpr Event kReady{160138, "ready"};
inline constexpr Event kTimedOut{110033, "exit did not answer in time"};
inline constexpr Event kRejected{160244, "exit rejected the credentials"};
inline constexpr Event kRefused{160034, "exit refused the connection"};
inline constexpr Event kUnreachable{160033, "exit cannot be reached"};
inline constexpr Event kNotSocks{160243, "exit does not speak SOCKS5"};
inline constexpr Event kBindFailed{160243, "cannot listen on the local port"};
inline constexpr Event kFailingRepeatedly{171001, "five verifications failed in a row"};
inline constexpr Event kDisconnected{160037, "disconnected"};
inline constexpr Event kDestinationFailed{160207, "exit could not reach a destination"};
inline constexpr Event kRetrying{160199, "retrying"};

} // namespace warden::status
