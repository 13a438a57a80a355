#include "platform/windows/WindowsSystemProxy.h"

#include <cstdlib>
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

// The per-connection options the program writes, in the order they are asked for, with
// the names userSettings gives them.
constexpr DWORD kKeptOptions[] = {INTERNET_PER_CONN_FLAGS, INTERNET_PER_CONN_PROXY_SERVER,
                                  INTERNET_PER_CONN_PROXY_BYPASS};
constexpr const char* kKeptNames[] = {"flags", "server", "bypass"};

std::string settingName(const char* option, const std::optional<std::string>& connection)
{
    return connection ? std::string(option) + "@" + *connection : std::string(option);
}

// WinINet's copy of a text option, freed; an unset one is empty.
std::string takeText(char* text)
{
    std::string copy = text ? text : "";
    if (text != nullptr) {
        GlobalFree(text);
    }
    return copy;
}

bool readOptions(const std::optional<std::string>& connection, std::map<std::string, std::string>& settings)
{
    std::string name = connection.value_or("");
    INTERNET_PER_CONN_OPTIONA options[3]{};
    INTERNET_PER_CONN_OPTION_LISTA list{};
    list.dwSize = sizeof list;
    list.pszConnection = connection ? name.data() : nullptr;
    list.dwOptionCount = 3;
    list.pOptions = options;
    // The flags as the user set them (automatic detection included) where the system has
    // them so, else the flags in effect; both are written back as the latter.
    bool read = false;
    for (const DWORD flags : {DWORD{INTERNET_PER_CONN_FLAGS_UI}, DWORD{INTERNET_PER_CONN_FLAGS}}) {
        for (std::size_t i = 0; i < 3; ++i) {
            options[i] = {};
            options[i].dwOption = i == 0 ? flags : kKeptOptions[i];
        }
        DWORD size = sizeof list;
        if (InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) {
            read = true;
            break;
        }
    }
    if (!read) {
        return false;
    }
    settings[settingName(kKeptNames[0], connection)] = std::to_string(options[0].Value.dwValue);
    settings[settingName(kKeptNames[1], connection)] = takeText(options[1].Value.pszValue);
    settings[settingName(kKeptNames[2], connection)] = takeText(options[2].Value.pszValue);
    return true;
}

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

std::map<std::string, std::string> WindowsSystemProxy::userSettings()
{
    std::map<std::string, std::string> settings;
    readOptions(std::nullopt, settings);
    for (const std::string& connection : activeDialUpConnections().value_or(std::vector<std::string>{})) {
        readOptions(connection, settings);
    }
    return settings;
}

bool WindowsSystemProxy::restoreSettings(const std::map<std::string, std::string>& settings)
{
    // The options named, by connection (nothing for the default settings).
    std::map<std::optional<std::string>, std::map<DWORD, std::string>> connections;
    for (const auto& [name, value] : settings) {
        const std::size_t at = name.find('@');
        const std::string option = name.substr(0, at);
        for (std::size_t i = 0; i < 3; ++i) {
            if (option == kKeptNames[i]) {
                const std::optional<std::string> connection =
                    at == std::string::npos ? std::nullopt : std::optional(name.substr(at + 1));
                connections[connection][kKeptOptions[i]] = value;
            }
        }
    }
    bool written = true;
    for (auto& [connection, options] : connections) {
        std::string name = connection.value_or("");
        std::vector<INTERNET_PER_CONN_OPTIONA> values(options.size());
        std::size_t i = 0;
        for (auto& [option, value] : options) {
            values[i].dwOption = option;
            if (option == INTERNET_PER_CONN_FLAGS) {
                values[i].Value.dwValue = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
            } else {
                values[i].Value.pszValue = value.data();
            }
            ++i;
        }
        INTERNET_PER_CONN_OPTION_LISTA list{};
        list.dwSize = sizeof list;
        list.pszConnection = connection ? name.data() : nullptr;
        list.dwOptionCount = static_cast<DWORD>(values.size());
        list.pOptions = values.data();
        written =
            InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list) && written;
    }
    return written;
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
