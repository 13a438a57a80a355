#pragma once

#include <cstdint>
#include <string>

// Why the unblock dialog opens, which decides its form. The values are the dialog's two
// modes as they always were.
enum class UnblockReason : std::uint8_t {
    // The handshake with the service failed: it can be run again from the dialog.
    HandshakeFailed = 1,
    // Warden cannot reach the Internet: only a restart helps.
    WardenOffline = 2,
};

// What the unblock dialog says and offers for each reason.
struct UnblockMessage
{
    std::string text;
    bool reconnectEnabled = false;
};

// A failed handshake offers to run it again; a Warden that cannot reach the Internet asks
// for a restart. Any other value is taken as the latter, so it never offers a reconnect.
UnblockMessage unblockMessage(UnblockReason reason);

// The programs the firewall must let through, in the application folder (which ends in the
// separator) under their installed names, whatever the running file is called.
struct UnblockPaths
{
    std::string nimbra;
    std::string warden;
};
UnblockPaths unblockPaths(const std::string& applicationFolder);
