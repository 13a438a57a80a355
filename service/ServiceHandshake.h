#pragma once

#include "core/ActivityLog.h"
#include "core/ExitServers.h"
#include "core/MainView.h"
#include "core/WardenControl.h"
#include "platform/Host.h"

#include <string>
#include <vector>

// The service's path and the fixed parts of the request.
inline constexpr const char* kServicePath = "/update1.php";

// The request of one attempt: the base address, the path and the query, with the values
// exactly as the service reads them (no percent-encoding): the machine identifier, the
// version with "69" appended, the language number, and the attempt number directly
// followed by the program file's checksum as eight upper-case hex digits.
std::string serviceRequest(const std::string& baseAddress, const std::string& machineId,
                           const std::string& version, unsigned language, int attempt,
                           const std::string& checksum);

// The handshake with the service: up to three addresses asked in turn for the exit list
// and the connection values; on success the user picks an exit, which starts hiding; on
// failure the user is advised to unblock the program. It keeps nothing between runs, so
// a run may start inside another (the unblock dialog's Reconnect).
class ServiceHandshake
{
public:
    struct Settings
    {
        // Tried in this order, each "http://" and a host, without a trailing "/".
        std::vector<std::string> baseAddresses;
        // The program's own file, whose checksum the request carries.
        std::string programFile;
        std::string version;
        std::string cipherKey;
    };

    ServiceHandshake(platform::Host host, MainView& view, ActivityLog& log, ExitServers& servers,
                     WardenControl& warden, Settings settings);

    void SilentUpdate();

private:
    void failed();
    void evaluate(const std::string& text);
    void reportFailure(const std::string& text);

    platform::Host m_host;
    MainView& m_view;
    ActivityLog& m_log;
    ExitServers& m_servers;
    WardenControl& m_warden;
    Settings m_settings;
};
