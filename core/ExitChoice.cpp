#include "core/ExitChoice.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::size_t validCount(const ExitServers& servers)
{
    if (servers.ServerCount <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(servers.ServerCount), servers.ServerList.size());
}

} // namespace

std::vector<std::string> ipSelectionLines(const ExitServers& servers)
{
    std::vector<std::string> lines;
    const std::size_t count = validCount(servers);
    lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back(servers.ServerList[i].Country + " - " + servers.ServerList[i].Host);
    }
    return lines;
}

std::optional<int> preselectedLine(const ExitServers& servers, std::size_t lineCount)
{
    if (servers.ServerIndex < 0 || static_cast<std::size_t>(servers.ServerIndex) >= lineCount) {
        return std::nullopt;
    }
    return servers.ServerIndex;
}

void chooseExit(ExitServers& servers, int line, ActivityLog& log, WardenControl& warden)
{
    if (line < 0 || static_cast<std::size_t>(line) >= validCount(servers)) {
        throw std::out_of_range("No such IP in the list!");
    }
    servers.ServerIndex = line;
    // A copy: the boxes Sweep and DiruDO may show let other handlers run, and one of them
    // may replace the list.
    const TServer server = servers.ServerList[static_cast<std::size_t>(line)];
    log.report("Select IP: " + server.Host);
    warden.Sweep();
    warden.DiruDO(server.Host, servers.ExitPort, servers.ExitUser, servers.ExitKey);
}
