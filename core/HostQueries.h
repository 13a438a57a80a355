#pragma once

#include "platform/Host.h"
#include "service/AnswerLines.h"

#include <string>

// Small questions about the host system, answered through the platform seam.

// The Windows family name of a version: platformId 1 is the Windows 95 family, any other
// value the NT family. Versions after Vista are "Unknown".
std::string GetOSName(int platformId, int major, int minor);

// `path` ending in the folder separator; the separator alone for an empty path.
std::string AddBackslash(const std::string& path);

// The per-user application data folder ending in the separator; empty when there is none.
std::string GetAppDataFolder(const platform::Folders& folders);

// True when the folder exists or could be made (one level: the parent must exist).
bool EnsureFolder(platform::Folders& folders, const std::string& path);

// The command line of the default browser, or empty.
std::string GetDefaultBrowser(const platform::Desktop& desktop);

// Opens the address in the default browser; without one, in the system's stock browser.
// Nothing is reported either way.
void OpenURL(platform::Desktop& desktop, const std::string& url);

// "GMT +d" / "GMT -d": the local zone's offset from UTC in whole hours, taken from the
// hour fields (minutes are ignored) and the calendar dates of the two times.
std::string TimeZoneText(const platform::DateTime& local, const platform::DateTime& utc);
std::string GetTimeZoneText(const platform::Clock& clock);

bool IsStartWithWindows(const platform::Autostart& autostart, const std::string& name);
void SetStartWithWindows(platform::Autostart& autostart, bool enable, const std::string& name,
                         const std::string& command);
