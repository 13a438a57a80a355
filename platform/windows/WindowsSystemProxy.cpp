#include "platform/windows/WindowsSystemProxy.h"

#include <cstring>
#include <ras.h>
#include <raserror.h>
#include <windows.h>
#include <wininet.h>

namespace platform {

namespace {

// Room for this many connections at first; more are made room for when the system asks.
constexpr std::size_t kFirstRoom = 10;
// Connections may come up between two calls: the list is asked for a few times at most.
constexpr int kListAttempts = 3;

} // namespace

std::optional<std::vector<std::string>> WindowsSystemProxy::activeDialUpConnections()
{
    std::vector<RASCONNA> records(kFirstRoom);
    for (int attempt = 0; attempt < kListAttempts; ++attempt) {
        records[0].dwSize = sizeof(RASCONNA);
        DWORD bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNA));
        DWORD count = 0;
        const DWORD result = RasEnumConnectionsA(records.data(), &bytes, &count);
        if (result == ERROR_BUFFER_TOO_SMALL) {
            // More connections than records: each is set, so none is left out.
            records.resize(bytes / sizeof(RASCONNA) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS || count > records.size()) {
            return std::nullopt;
        }
        std::vector<std::string> names;
        for (DWORD i = 0; i < count; ++i) {
            const RASCONNA& record = records[i];
            names.emplace_back(record.szEntryName, strnlen(record.szEntryName, sizeof record.szEntryName));
        }
        return names;
    }
    return std::nullopt;
}

bool WindowsSystemProxy::setOptions(const std::optional<std::string>& connection, const Options& options)
{
    // WinINet takes the texts as writable pointers but only reads them.
    std::string server = options.server;
    std::string bypass = options.bypass.value_or("");
    std::string name = connection.value_or("");

    INTERNET_PER_CONN_OPTIONA written[3]{};
    written[0].dwOption = INTERNET_PER_CONN_FLAGS;
    written[0].Value.dwValue = static_cast<DWORD>(options.flags);
    written[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    written[1].Value.pszValue = server.data();
    written[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    written[2].Value.pszValue = bypass.data();

    INTERNET_PER_CONN_OPTION_LISTA list{};
    list.dwSize = sizeof list;
    // Null names the default (LAN) settings.
    list.pszConnection = connection ? name.data() : nullptr;
    // Without a bypass text the stored one is left as it is.
    list.dwOptionCount = options.bypass ? 3 : 2;
    list.pOptions = written;
    return InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list);
}

// The notices concern the stored settings, so they go with no internet handle. Their
// answer changes nothing: the settings are written either way.
void WindowsSystemProxy::notifyRefresh()
{
    InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

void WindowsSystemProxy::notifySettingsChanged()
{
    InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

} // namespace platform
