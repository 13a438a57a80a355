#pragma once

#include "core/ActivityLog.h"
#include "core/ExitServers.h"
#include "core/WardenControl.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The choice of an exit address in the IP selection dialog, without the dialog.

// One line per valid entry, "Country - Host": the first ServerCount entries of ServerList,
// never more than it holds, none when ServerCount is not positive.
std::vector<std::string> ipSelectionLines(const ExitServers& servers);

// The line of the entry in use, or nothing when ServerIndex is not one of the `lineCount`
// lines shown.
std::optional<int> preselectedLine(const ExitServers& servers, std::size_t lineCount);

// The dialog's OK on `line`: makes it the entry in use, logs "Select IP: HOST", ends the
// running Warden and starts a new one for that exit. Warden's start error propagates, with
// the choice and the log line kept and the previous Warden ended. A line that is not one
// of ipSelectionLines' throws std::out_of_range before anything changes.
void chooseExit(ExitServers& servers, int line, ActivityLog& log, WardenControl& warden);
