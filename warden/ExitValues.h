#pragma once

// What Warden takes on its command line as a port and as the values of its exit. Pure and
// header-only, so the tray program offers only the exits Warden would take by this very
// rule, without linking Warden's networking.

#include "warden/Socks5.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace warden {

// A port written as plain decimal digits (no blank, no sign) for 1..65535; nothing
// otherwise.
inline std::optional<std::uint16_t> parsePort(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Whether Warden takes this exit: a port as parsePort reads it, a host that is not empty,
// and a user and key short enough for the SOCKS5 sign-in to carry.
inline bool acceptsExit(std::string_view host, std::string_view port, std::string_view user,
                        std::string_view key)
{
    return parsePort(port) && !host.empty() && user.size() <= socks5::kMaxCredentialLength &&
           key.size() <= socks5::kMaxCredentialLength;
}

} // namespace warden
