#include "core/WardenMessages.h"

#include "warden/StatusCodes.h"

#include <string>

namespace {

namespace code = warden::code;
using Status = WardenMessage::Status;

// Each row names only the steps it has; the others keep their defaults, which GCC would
// otherwise report as missing initialisers even in designated initialisers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
// Looked through from the top; the first row whose code matches counts.
constexpr WardenMessage kTable[] = {
    {.code = code::kResolving, .log = "Searching..."},
    {.code = code::kConnecting, .log = "Connecting..."},
    {.code = code::kAuthenticating, .otherCode = code::kAuthenticatingAlso, .log = "Identifying"},
    {.code = code::kConnected, .hidingPhase = HidingPhase::NotConfirmed, .log = "Connected"},
    {.code = code::kTimedOut, .log = "Connection time out"},
    {.code = code::kFailingRepeatedly, .log = "Mission failed"},
    {.code = code::kRejected, .log = "Identify failed"},
    {.code = code::kDisconnected, .log = "Disconnected from Internet"},
    {.code = code::kDestinationFailed, .log = "Destination not available"},
    {.code = code::kReady,
     .hidingPhase = HidingPhase::On,
     .enableProxy = true,
     .log = "Diru DO ON",
     .status = Status{.kind = DiruDOStatus::On, .text = "Diru DO ON", .icon = BalloonIcon::Information}},
    {.code = code::kUnreachable,
     .log = "Warden can not connect to the Internet",
     .secondLog = "Please unblock Nimbra",
     .unblock = UnblockReason::WardenOffline,
     .status = Status{.kind = DiruDOStatus::Off,
                      .text = "Can not connect to the Internet",
                      .icon = BalloonIcon::Information}},
    {.code = code::kSetupFailed,
     .log = "SilentUpdate Error",
     .box = "SilentUpdate Error. Please restart Nimbra.",
     .status = Status{.kind = DiruDOStatus::Off, .text = "SilentUpdate Error", .icon = BalloonIcon::Error}},
    {.code = code::kPassedOver, .otherCode = code::kPassedOverAlso},
    {.code = code::kRefused,
     .log = "Connection Failed 160034",
     .box = "Connection Failed 160034. Please disable any firewall on the way and try again.",
     .status =
         Status{.kind = DiruDOStatus::Off, .text = "Connection Failed 160034", .icon = BalloonIcon::Error}},
    {.code = code::kRetrying, .log = "Reconnect..."},
};
#pragma GCC diagnostic pop

// A line's code is its first six characters, compared as text; the table's numbers match
// them as their decimal text only because every one of them has six digits.
constexpr bool sixDigits(int number)
{
    return number >= 100000 && number <= 999999;
}
static_assert([] {
    for (const WardenMessage& row : kTable) {
        if (!sixDigits(row.code) || (row.otherCode != 0 && !sixDigits(row.otherCode))) {
            return false;
        }
    }
    return true;
}());

bool matches(int rowCode, std::string_view code)
{
    return rowCode != 0 && std::to_string(rowCode) == code;
}

} // namespace

std::string_view wardenCode(std::string_view line)
{
    return line.substr(0, 6);
}

const WardenMessage* findWardenMessage(std::string_view code)
{
    for (const WardenMessage& row : kTable) {
        if (matches(row.code, code) || matches(row.otherCode, code)) {
            return &row;
        }
    }
    return nullptr;
}
