#pragma once

// The command line the tray program starts Warden with:
//   warden -name USER -key KEY -do -H LOCALPORT -dirudo -port EXITPORT -say EXITHOST
// Flags come in any order; -do and -dirudo carry no value.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace warden {

struct Options
{
    std::string user;
    std::string key;
    std::uint16_t localPort = 0;
    std::string exitHost;
    std::uint16_t exitPort = 0;
};

inline constexpr std::string_view kUsage =
    "usage: warden -name USER -key KEY -do -H LOCALPORT -dirudo -port EXITPORT -say EXITHOST";

// The options, or nothing when a flag is unknown, repeated or missing, a value is
// missing, a port is not 1..65535, or a credential is longer than SOCKS5 can carry.
// `args` excludes the program name.
std::optional<Options> parseCommandLine(std::span<const std::string_view> args);

} // namespace warden
