#pragma once

#include "core/HidingPhase.h"
#include "core/MainView.h"

#include <optional>
#include <string_view>

// What the tray program does with each code Warden reports: one row per code, its steps
// carried out in this order: the hiding phase, the proxy switched on, the log lines, the
// unblock dialog, the message box, the status.
struct WardenMessage
{
    struct Status
    {
        DiruDOStatus kind;
        std::string_view text;
        BalloonIcon icon;
    };

    int code = 0;
    int otherCode = 0; // a second code of the row, or 0
    std::optional<HidingPhase> hidingPhase;
    bool enableProxy = false;
    std::string_view log;
    std::string_view secondLog;
    std::optional<UnblockReason> unblock;
    std::string_view box; // an error box with this text, or none
    std::optional<Status> status;
};

// The first six characters of a line, or the whole shorter line.
std::string_view wardenCode(std::string_view line);

// The row for a code, or nothing: an unknown code is only logged.
const WardenMessage* findWardenMessage(std::string_view code);
