#pragma once

// The command line the tray program starts Warden with:
//   warden -name USER -key KEY -do -H LOCALPORT -dirudo -port EXITPORT -say EXITHOST
// Flags come in any order; -do and -dirudo carry no value. The tray program passes no
// other flag, so Warden keeps its shipped pauses and limits; tests shorten them with
//   -retry MS       the first pause before the exit is verified again (1 s)
//   -retrymax MS    the longest of those pauses (30 s)
//   -handshake MS   how long a local client has for its greeting and request (10 s)

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace warden {

struct Timing
{
    std::chrono::milliseconds firstRetry = std::chrono::seconds(1);
    std::chrono::milliseconds longestRetry = std::chrono::seconds(30);
    std::chrono::milliseconds clientHandshake = std::chrono::seconds(10);
};

struct Options
{
    std::string user;
    std::string key;
    std::uint16_t localPort = 0;
    std::string exitHost;
    std::uint16_t exitPort = 0;
    Timing timing = {};
};

inline constexpr std::string_view kUsage =
    "usage: warden -name USER -key KEY -do -H LOCALPORT -dirudo -port EXITPORT -say EXITHOST";

// The options, or nothing when a flag is unknown, repeated or missing, a value is
// missing, a port is not 1..65535, a time is not 1..3600000 ms, or a credential is longer
// than SOCKS5 can carry.
// `args` excludes the program name.
std::optional<Options> parseCommandLine(std::span<const std::string_view> args);

} // namespace warden
