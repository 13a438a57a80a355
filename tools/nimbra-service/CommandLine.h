#pragma once

// The service's command line: it serves, or with --sign or --public-key does one job of a
// release and ends.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nimbra_service {

struct Options
{
    std::string host = "127.0.0.1";
    std::uint16_t port = 8369; // 0 takes any free port, reported when listening starts
    std::string configFile;    // empty: the built-in demo configuration
    // A request that has not arrived whole this long after the service began reading it
    // is dropped, however its bytes trickle in.
    std::chrono::milliseconds requestDeadline{10'000};
    std::string signFile;   // given: write its signature beside it instead of serving
    bool publicKey = false; // print the update signing key's public half instead of serving
    bool help = false;
};

inline constexpr std::string_view kUsage =
    "usage: nimbra-service [--listen ADDRESS:PORT] [--config FILE] [--request-deadline MS]\n"
    "       nimbra-service --sign FILE [--config FILE]\n"
    "       nimbra-service --public-key [--config FILE]\n"
    "  --listen ADDRESS:PORT  where to answer (default 127.0.0.1:8369; port 0: any free port)\n"
    "  --config FILE          the exits and settings to offer (default: the built-in demo)\n"
    "  --request-deadline MS  drop a request not arrived whole within MS milliseconds (default 10000)\n"
    "  --sign FILE            write FILE.sig, FILE signed with the configured update key\n"
    "  --public-key           print the public key the program must be built with\n"
    "  --help                 this text\n";

// The options, or nothing with `error` naming the argument at fault. `args` excludes the
// program name.
std::optional<Options> parseCommandLine(std::span<const std::string_view> args, std::string& error);

} // namespace nimbra_service
