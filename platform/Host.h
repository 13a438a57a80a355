#pragma once

// The one seam to the operating system. Every other part of the program reaches the
// system through these interfaces, so it runs unchanged against the fakes of the tests.
// Only standard types cross this header.

#include "platform/ChildProcess.h"
#include "platform/ChromiumBrowsers.h"
#include "platform/Http.h"
#include "platform/NetworkAdapters.h"
#include "platform/SystemProxy.h"
#include "platform/TopLevelWindows.h"

#include <string>

namespace platform {

// The folder separator that folder values end with, and the file names of the program, of
// Warden and of the help in the application folder. Windows opens the compiled help; Linux
// desktops have no viewer for it, so there the help is its first HTML page, which the
// desktop opens in the default browser.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kNimbraProgram = "nimbra.exe";
inline constexpr const char* kWardenProgram = "warden.exe";
inline constexpr const char* kHelpFile = "help.chm";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kNimbraProgram = "nimbra";
inline constexpr const char* kWardenProgram = "warden";
inline constexpr const char* kHelpFile = "help/index.html";
#endif

// A civil date and time as the system clock gives it.
struct DateTime
{
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59
    int millisecond = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual DateTime localNow() const = 0;
    virtual DateTime utcNow() const = 0;
};

// Files and folders.
class Folders
{
public:
    virtual ~Folders() = default;
    // The per-user application data folder, without a trailing separator; made when it is
    // missing; empty when the system has none.
    virtual std::string appDataFolder() const = 0;
    virtual bool folderExists(const std::string& path) const = 0;
    // Creates one level: the parent must exist.
    virtual bool createFolder(const std::string& path) = 0;
    virtual bool fileExists(const std::string& path) const = 0;
    // The folder that holds the user's Firefox profiles (and profiles.ini), ending in a
    // separator; empty when there is none.
    virtual std::string firefoxProfilesFolder() const = 0;
};

// The desktop shell: default browser, opening addresses and documents, starting programs.
class Desktop
{
public:
    virtual ~Desktop() = default;
    // The command line of the default handler of "http" addresses, or empty.
    virtual std::string defaultBrowserCommand() const = 0;
    // Lets the desktop open an address or a document with its default handler.
    virtual void shellOpen(const std::string& target) = 0;
    // Starts `program` (looked up on the search path) with one argument.
    virtual void shellOpenWith(const std::string& program, const std::string& argument) = 0;
    // Starts the program file at `path` on its own, detached from this one, which may end
    // at once: made runnable by its owner, in a session of its own, with none of this
    // program's handles. False when it could not be started.
    virtual bool startProgram(const std::string& path) = 0;
};

// The per-user entry that starts a program when the user logs on.
class Autostart
{
public:
    virtual ~Autostart() = default;
    // True when an entry `name` exists with a non-empty command.
    virtual bool isEnabled(const std::string& name) const = 0;
    // Creates or replaces the entry (enable) or removes it; a missing entry is no error.
    virtual void setEnabled(bool enable, const std::string& name, const std::string& command) = 0;
};

class SystemInfo
{
public:
    virtual ~SystemInfo() = default;
    // The operating system's name and version for the activity log.
    virtual std::string osName() const = 0;
    // The Windows language id of the system default locale (1033 for en_US).
    virtual int systemLanguageId() const = 0;
};

// All of the seam, as one value handed to the program's logic.
struct Host
{
    Clock& clock;
    Folders& folders;
    Desktop& desktop;
    Autostart& autostart;
    SystemInfo& systemInfo;
    SystemProxy& systemProxy;
    TopLevelWindows& windows;
    ChildProcesses& processes;
    NetworkAdapters& adapters;
    Http& http;
    ChromiumBrowsers& chromium;
};

// The implementation for the system the program was built for.
Host& systemHost();

} // namespace platform
