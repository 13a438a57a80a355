#pragma once

#include <string>
#include <vector>

// One exit address of the list the service gives.
struct TServer
{
    std::string Host;
    std::string Country;
};

// The exit-address list and the connection values Warden presents to the exits, as the
// service handshake delivers them; in memory only, never saved.
struct ExitServers
{
    std::vector<TServer> ServerList;
    // The number of valid entries, which may be fewer than ServerList holds.
    int ServerCount = 0;
    // The entry in use, set when the user confirms one.
    int ServerIndex = 0;
    std::string ExitPort;
    std::string ExitUser;
    std::string ExitKey;
};
