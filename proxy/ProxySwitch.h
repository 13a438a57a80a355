#pragma once

#include "core/ActivityLog.h"
#include "platform/Host.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/RestoreRecord.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

// Points the browsers at the proxy, or back: the desktop's settings, Firefox's user.js and
// the WebRTC policy of every Chromium-family profile, which those browsers would otherwise
// let send UDP around any proxy. What the user had in the desktop's proxy settings and the
// profiles' policy is recorded before it is first changed and put back at switch off.
// A profile whose browser is running is written once the browser has ended, after one
// request to restart it. What the user is to be told is returned, for the caller to show.
class ProxySwitch
{
public:
    // What one switch met that the user is to be told, in the order it was met.
    struct Report
    {
        FirefoxPrefsResult firefox = FirefoxPrefsResult::NoProfile;
        // Chromium-family browsers running at a switch on, asked once per hiding to restart.
        std::vector<std::string> browsersToRestart;
        bool operator==(const Report&) const = default;
    };

    ProxySwitch(platform::Host host, ActivityLog& log, std::string recordFile);

    // `proxyAddress` is host:port; `bypassList` sites each followed by a comma.
    Report SetProxy(bool enable, const std::string& proxyAddress, const std::string& bypassList);
    // While the proxy is on: writes the profiles whose browser has ended since they were
    // found running. Cheap when there are none.
    void writeWaitingProfiles();
    // At start: a record left by a run that did not switch off (it crashed, or a browser
    // was running at its switch off) is put back. Nothing when there was none.
    std::optional<Report> restoreEarlierRun();
    // Hiding has ended with the desktop left as it is (a lost Warden not reconnected): the
    // profiles get their policy back.
    void releaseProfiles();

    bool waitingForBrowsers() const { return !m_waiting.empty(); }

private:
    // The browsers found running, each named the first time.
    std::vector<std::string> enableProfiles();
    // Writes the policy into every profile of the folder, after recording what each had.
    void enableUserDataFolder(const std::string& userDataFolder);
    void restoreProfiles();
    // The Preferences of the profiles in a user-data folder: those named in its Local
    // State, else Default; only profiles that are real folders inside it.
    std::vector<std::string> preferencesFiles(const std::string& userDataFolder);
    void saveRecord();
    void note(const std::string& line);

    platform::Host m_host;
    ActivityLog& m_log;
    RestoreRecord m_record;
    bool m_recordReadable = true;
    // User-data folders whose browser was running at switch on, and those asked to restart.
    std::set<std::string> m_waiting;
    std::set<std::string> m_asked;
};
