#pragma once

// What the reference service offers: the exits and their shared credentials, the newest
// program version, and the service's own switches. It comes from a line-based file of
// `name = value` lines, or from the built-in demo configuration.

#include "tools/nimbra-service/Signing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra_service {

struct Exit
{
    std::string host;
    int country = 0; // 1 United States, 2 United Kingdom, anything else Unknown
};

struct ServiceConfig
{
    std::vector<Exit> exits;
    std::uint16_t port = 0; // the SOCKS5 port every exit listens on
    std::string user;
    std::string key;
    std::string cipher = "n";
    bool serviceNotAvailable = false;
    std::string newestVersion = "1.33";
    // The update the program may download, and the Ed25519 seed that signs it.
    std::string updateFile;
    std::optional<SigningSeed> updateSigningSeed;
};

// The configuration in `text`, or nothing with `error` set to "ORIGIN:LINE: problem" (or
// "ORIGIN: problem" for a missing line). `origin` names the text in messages.
std::optional<ServiceConfig> parseConfig(std::string_view text, const std::string& origin,
                                         std::string& error);

// A decimal number of digits only, not above `max`; nothing for anything else. Numbers of
// the configuration and of the command line are read the same way.
std::optional<unsigned> decimalNumber(std::string_view text, unsigned max);

// The configuration in the file at `path`; a relative update-file is taken from the
// file's folder, so the service may be started from anywhere.
std::optional<ServiceConfig> loadConfigFile(const std::string& path, std::string& error);

// Two exits on loopback (127.0.0.2 United Kingdom, 127.0.0.3 United States), port 1080,
// user "nimbra", key "nimbra-demo": what the program meets without a configuration. Its
// update signing seed is public, for the demo and the tests only.
ServiceConfig demoConfig();

// The seed the update is signed with: the configured one, else the demo's.
SigningSeed updateSigningSeedOf(const ServiceConfig& config);

} // namespace nimbra_service
