#include "core/WardenMessages.h"

namespace {

using Status = WardenMessage::Status;
constexpr auto kOn = DiruDOStatus::On;
constexpr auto kOff = DiruDOStatus::Off;
constexpr auto kInformation = BalloonIcon::Information;
constexpr auto kError = BalloonIcon::Error;

// Looked through from the top; the first row whose code matches counts.
const WardenMessage kTable[] = {
    {"160036", "", {}, false, "Searching...", "", {}, "", {}},
    {"160032", "", {}, false, "Connecting...", "", {}, "", {}},
    {"160238", "160270", {}, false, "Identifying", "", {}, "", {}},
    {"160239", "", 0, false, "Connected", "", {}, "", {}},
    {"110033", "", {}, false, "Connection time out", "", {}, "", {}},
    {"171001", "", {}, false, "Mission failed", "", {}, "", {}},
    {"160244", "", {}, false, "Identify failed", "", {}, "", {}},
    {"160037", "", {}, false, "Disconnected from Internet", "", {}, "", {}},
    {"160207", "", {}, false, "Destination not available", "", {}, "", {}},
    {"160138", "", 3, true, "Diru DO ON", "", {}, "", Status{kOn, "Diru DO ON", kInformation}},
    {"160033",
     "",
     {},
     false,
     "Warden can not connect to the Internet",
     "Please unblock Nimbra",
     2,
     "",
     Status{kOff, "Can not connect to the Internet", kInformation}},
    {"160243",
     "",
     {},
     false,
     "SilentUpdate Error",
     "",
     {},
     "SilentUpdate Error. Please restart Nimbra.",
     Status{kOff, "SilentUpdate Error", kError}},
    {"160325", "160129", {}, false, "", "", {}, "", {}},
    {"160034",
     "",
     {},
     false,
     "Connection Failed 160034",
     "",
     {},
     "Connection Failed 160034. Please disable any firewall on the way and try again.",
     Status{kOff, "Connection Failed 160034", kError}},
    {"160199", "", {}, false, "Reconnect...", "", {}, "", {}},
};

} // namespace

std::string_view wardenCode(std::string_view line)
{
    return line.substr(0, 6);
}

const WardenMessage* findWardenMessage(std::string_view code)
{
    for (const WardenMessage& row : kTable) {
        if (row.code == code || (!row.otherCode.empty() && row.otherCode == code)) {
            return &row;
        }
    }
    return nullptr;
}
