#pragma once

#include <string>

// What the unblock dialog says and offers in each of its modes.
struct UnblockMessage
{
    std::string text;
    bool reconnectEnabled = false;
};

// Mode 1 follows a failed handshake and offers to run it again; mode 2 follows a Warden
// that cannot reach the Internet, where only a restart helps. Any other mode is taken as
// mode 2, so an unknown one never offers a reconnect.
UnblockMessage unblockMessage(int mode);

// The programs the firewall must let through, in the application folder (which ends in the
// separator) under their installed names, whatever the running file is called.
struct UnblockPaths
{
    std::string nimbra;
    std::string warden;
};
UnblockPaths unblockPaths(const std::string& applicationFolder);
