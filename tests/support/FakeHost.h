#pragma once

#include "platform/Host.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Fakes of the platform seam: values the tests set, and records of what was asked of them.

class FakeClock : public platform::Clock
{
public:
    platform::DateTime local;
    platform::DateTime utc;

    platform::DateTime localNow() const override { return local; }
    platform::DateTime utcNow() const override { return utc; }
};

// Real file system operations, with the two well-known folders set by the test.
class FakeFolders : public platform::Folders
{
public:
    std::string appData;
    std::string firefoxProfiles;
    // Makes createFolder fail without touching the file system.
    bool failCreateFolder = false;
    // Files that exist for the program though not on disk (Warden beside a test program).
    std::vector<std::string> presentFiles;

    std::string appDataFolder() const override { return appData; }
    bool folderExists(const std::string& path) const override;
    bool createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) const override;
    std::string firefoxProfilesFolder() const override { return firefoxProfiles; }
};

// Records every launch and program start instead of starting anything.
class FakeDesktop : public platform::Desktop
{
public:
    struct Launch
    {
        // Empty for shellOpen, the program for shellOpenWith.
        std::string program;
        std::string target;
        bool operator==(const Launch&) const = default;
    };

    std::string browserCommand;
    std::vector<Launch> launches;
    // The program files started, in order; failStart makes every start fail (recorded all
    // the same).
    std::vector<std::string> startedPrograms;
    bool failStart = false;

    std::string defaultBrowserCommand() const override { return browserCommand; }
    void shellOpen(const std::string& target) override { launches.push_back({"", target}); }
    void shellOpenWith(const std::string& program, const std::string& argument) override
    {
        launches.push_back({program, argument});
    }
    bool startProgram(const std::string& path) override
    {
        startedPrograms.push_back(path);
        return !failStart;
    }
};

class FakeAutostart : public platform::Autostart
{
public:
    // Entry name -> command.
    std::map<std::string, std::string> entries;

    bool isEnabled(const std::string& name) const override;
    void setEnabled(bool enable, const std::string& name, const std::string& command) override;
};

class FakeSystemInfo : public platform::SystemInfo
{
public:
    std::string name = "Test OS 1.0";
    int languageId = 1033;

    std::string osName() const override { return name; }
    int systemLanguageId() const override { return languageId; }
};

// Records every call in order, one readable line each: "list", "options <connection or
// (default)> <flags> <server> <bypass or (keep)>", "refresh", "changed", "restore k=v,k=v".
// Accepted options change the settings as a desktop's would: "mode", "server", "bypass",
// and the per-scheme proxy "http" emptied while through the proxy.
class FakeSystemProxy : public platform::SystemProxy
{
public:
    // What the listing answers; nothing makes it fail.
    std::optional<std::vector<std::string>> connections = std::vector<std::string>{};
    bool acceptOptions = true;
    std::vector<std::string> calls;

    std::optional<std::vector<std::string>> activeDialUpConnections() override;
    bool setOptions(const std::optional<std::string>& connection, const Options& options) override;
    void notifyRefresh() override { calls.push_back("refresh"); }
    void notifySettingsChanged() override { calls.push_back("changed"); }

    // The user's settings as the desktop holds them.
    std::map<std::string, std::string> settings;
    std::map<std::string, std::string> userSettings() override { return settings; }
    // False (and nothing restored) while failRestore is.
    bool failRestore = false;
    bool restoreSettings(const std::map<std::string, std::string>& restored) override;
};

class FakeTopLevelWindows : public platform::TopLevelWindows
{
public:
    // Topmost first.
    std::vector<Window> windows;
    std::vector<Window> inZOrder(std::size_t limit) const override
    {
        return {windows.begin(),
                windows.begin() + static_cast<std::ptrdiff_t>(std::min(limit, windows.size()))};
    }
};

// A child played from a script: the test writes its output and ends it when it likes.
struct ChildScript
{
    std::string output; // waiting in the pipe
    bool running = true;
    bool refuseTermination = false;
    bool terminated = false;
    bool released = false;         // the object was destroyed: handles closed, reaped
    std::optional<int> descriptor; // what it offers to be watched
};

// Starts scripted children and records what was started.
class FakeChildProcesses : public platform::ChildProcesses
{
public:
    struct Start
    {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Start> starts;
    bool failStart = false;
    // The output descriptor each child offers; none by default, as on Windows.
    std::optional<int> descriptor;
    // The script of each child started, the latest last.
    std::vector<std::shared_ptr<ChildScript>> children;

    std::unique_ptr<platform::ChildProcess> start(const std::string& program,
                                                  const std::vector<std::string>& arguments) override;
    ChildScript& latest() { return *children.back(); }
};

class FakeNetworkAdapters : public platform::NetworkAdapters
{
public:
    std::vector<HardwareAddress> addresses;
    std::vector<HardwareAddress> ethernetAddresses() const override { return addresses; }
};

// Answers whole-URL fetches from a table: a URL not in it cannot be reached. Records every
// URL asked for, and runs `onFetch` (when set) as each one is asked.
class FakeHttp : public platform::Http
{
public:
    std::map<std::string, std::string> bodies;
    std::vector<std::string> fetched;
    std::function<void(const std::string& url)> onFetch;
    std::unique_ptr<platform::HttpSession> open(const std::string& agent) override;
    std::string ownProxy;
    void setOwnProxy(const std::string& address) override { ownProxy = address; }
    void setSilenceLimit(std::chrono::milliseconds) override {}
};

// Browsers the test says are installed, and the user-data folders of those it says run.
class FakeChromiumBrowsers : public platform::ChromiumBrowsers
{
public:
    std::vector<Browser> browsers;
    std::set<std::string> running;

    std::vector<Browser> installed() const override { return browsers; }
    bool inUse(const std::string& userDataFolder) const override { return running.contains(userDataFolder); }
};

// One fake of each part, handed to the logic as a platform::Host.
struct FakeHost
{
    FakeClock clock;
    FakeFolders folders;
    FakeDesktop desktop;
    FakeAutostart autostart;
    FakeSystemInfo systemInfo;
    FakeSystemProxy systemProxy;
    FakeTopLevelWindows windows;
    FakeChildProcesses processes;
    FakeNetworkAdapters adapters;
    FakeHttp http;
    FakeChromiumBrowsers chromium;
    platform::Host host()
    {
        return {clock,   folders,   desktop,  autostart, systemInfo, systemProxy,
                windows, processes, adapters, http,      chromium};
    }
};
