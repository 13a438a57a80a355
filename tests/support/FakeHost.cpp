#include "tests/support/FakeHost.h"

#include <filesystem>
#include <system_error>

bool FakeFolders::folderExists(const std::string& path) const
{
    std::error_code failed;
    return std::filesystem::is_directory(path, failed);
}

bool FakeFolders::createFolder(const std::string& path)
{
    // create_directory makes one level only, as the real one does.
    std::error_code failed;
    return !failCreateFolder && std::filesystem::create_directory(path, failed);
}

bool FakeAutostart::isEnabled(const std::string& name) const
{
    const auto entry = entries.find(name);
    return entry != entries.end() && !entry->second.empty();
}

void FakeAutostart::setEnabled(bool enable, const std::string& name, const std::string& command)
{
    if (enable) {
        entries[name] = command;
    } else {
        entries.erase(name);
    }
}

std::optional<std::vector<std::string>> FakeSystemProxy::activeDialUpConnections()
{
    calls.push_back("list");
    return connections;
}

bool FakeSystemProxy::setOptions(const std::optional<std::string>& connection, const Options& options)
{
    calls.push_back("options " + connection.value_or("(default)") + " " + std::to_string(options.flags) +
                    " " + options.server + " " + options.bypass.value_or("(keep)"));
    return acceptOptions;
}
