#pragma once

#include "platform/Host.h"

#include <cstdint>
#include <optional>
#include <string>

// Firefox does not follow the system's proxy settings: its profile's user.js, which it
// reads when it starts, points it at the proxy or back to a direct connection.

// What one switch of user.js met, for the caller to tell the user.
enum class FirefoxPrefsResult {
    NoProfile,   // no Firefox profile: nothing to change
    Written,     // user.js written, no Firefox window open
    FirefoxOpen, // user.js written while a Firefox window is open: it needs a restart
    NotWritable, // user.js could not be kept, removed or written: left as it was
};

// Rewrites user.js whole, after keeping the user's own file once as user.js.first. A
// user.js that cannot be kept or removed is left as it is.
FirefoxPrefsResult SetFirefoxProxy(const platform::Folders& folders, const platform::TopLevelWindows& windows,
                                   bool enable, const std::string& proxyAddress,
                                   const std::string& bypassList);

// The content of user.js: 13 preferences when switching on (manual, SOCKS 5 on host and
// port, the bypass list), 12 when switching off (direct); each line ends with CR LF.
std::string firefoxUserJs(bool enable, const std::string& host, const std::string& port,
                          const std::string& bypassList);

// A top-level window whose title holds `text` (ASCII letters compared without regard to
// case), looked for among the topmost window and the 1000 below it; its handle.
std::optional<std::uint64_t> FindWindowByTitle(const platform::TopLevelWindows& windows,
                                               const std::string& text);
