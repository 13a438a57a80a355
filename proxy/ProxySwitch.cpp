#include "proxy/ProxySwitch.h"

#include "platform/Files.h"
#include "proxy/SystemProxy.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// A browser's file as text: only a regular file itself (never a link, which could lead
// out of the browser's folder) of a size a browser writes.
std::optional<std::string> readBrowserFile(const std::string& path)
{
    std::error_code failed;
    if (platform::isLink(path) || fs::status(path, failed).type() != fs::file_type::regular ||
        fs::file_size(path, failed) > kMaxBrowserFileSize || failed) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        return std::nullopt;
    }
    return text.str();
}

bool isRealFolder(const std::string& path)
{
    std::error_code failed;
    return !platform::isLink(path) && fs::is_directory(path, failed);
}

// The user-data folder a profile's Preferences belongs to.
std::string userDataFolderOf(const std::string& preferencesPath)
{
    return fs::path(preferencesPath).parent_path().parent_path().string();
}

} // namespace

ProxySwitch::ProxySwitch(platform::Host host, ActivityLog& log, std::string recordFile)
    : m_host(host), m_log(log), m_record(std::move(recordFile))
{
    m_recordReadable = m_record.load();
}

void ProxySwitch::note(const std::string& line)
{
    // A log that cannot be written now keeps the line for its next write; the switch goes on.
    try {
        m_log.report(line);
    } catch (const std::exception&) {
    }
}

void ProxySwitch::saveRecord()
{
    if (!m_record.save()) {
        note("Can not write " + m_record.filePath());
    }
}

ProxySwitch::Report ProxySwitch::SetProxy(bool enable, const std::string& proxyAddress,
                                          const std::string& bypassList)
{
    Report report;
    if (enable) {
        const bool first = !m_record.desktop;
        if (first) {
            m_record.desktop = m_host.systemProxy.userSettings();
            saveRecord();
        }
        report.firefox = ::SetProxy(m_host, true, proxyAddress, bypassList);
        // A desktop that already held just what was written was left pointing here by a
        // run whose record is lost: switching off must leave it direct, not on a Warden
        // that may be gone.
        if (first && !m_record.desktop->empty() && m_host.systemProxy.userSettings() == *m_record.desktop) {
            m_record.desktop->clear();
            saveRecord();
        }
        report.browsersToRestart = enableProfiles();
        return report;
    }
    m_waiting.clear();
    m_asked.clear();
    // Direct first, so a user whose settings cannot be put back is never left on a proxy
    // that is gone; then whatever the user had before the first switch on.
    report.firefox = ::SetProxy(m_host, false, proxyAddress, bypassList);
    if (m_record.desktop && !m_record.desktop->empty()) {
        const bool restored = m_host.systemProxy.restoreSettings(*m_record.desktop);
        m_host.systemProxy.notifyRefresh();
        m_host.systemProxy.notifySettingsChanged();
        // What could not be put back stays recorded, for the next switch off or start.
        if (!restored) {
            note("Can not put back the desktop's proxy settings as they were");
        } else {
            m_record.desktop.reset();
        }
    } else {
        m_record.desktop.reset();
    }
    restoreProfiles();
    return report;
}

std::vector<std::string> ProxySwitch::preferencesFiles(const std::string& userDataFolder)
{
    std::vector<std::string> names;
    const std::string localState = userDataFolder + platform::kPathSeparator + "Local State";
    std::error_code failed;
    if (fs::symlink_status(localState, failed).type() != fs::file_type::not_found) {
        const std::optional<std::string> text = readBrowserFile(localState);
        const std::optional<std::vector<std::string>> named = text ? profileNames(*text) : std::nullopt;
        if (named) {
            names = *named;
        } else {
            note("Passed over " + localState + ": not a browser's profile list");
        }
    }
    if (names.empty()) {
        names.push_back("Default");
    }
    std::vector<std::string> files;
    for (const std::string& name : names) {
        const std::string folder = userDataFolder + platform::kPathSeparator + name;
        // A profile that is a link to a folder elsewhere is not followed.
        if (isRealFolder(folder)) {
            files.push_back(folder + platform::kPathSeparator + "Preferences");
        } else if (fs::symlink_status(folder, failed).type() != fs::file_type::not_found) {
            note("Passed over " + folder + ": not a folder");
        }
    }
    return files;
}

std::vector<std::string> ProxySwitch::enableProfiles()
{
    std::vector<std::string> asked;
    for (const platform::ChromiumBrowsers::Browser& browser : m_host.chromium.installed()) {
        if (m_host.chromium.inUse(browser.userDataFolder)) {
            m_waiting.insert(browser.userDataFolder);
            if (m_asked.insert(browser.userDataFolder).second) {
                asked.push_back(browser.name);
            }
            continue;
        }
        enableUserDataFolder(browser.userDataFolder);
    }
    return asked;
}

void ProxySwitch::enableUserDataFolder(const std::string& userDataFolder)
{
    bool recorded = false;
    std::vector<std::pair<std::string, std::string>> writes;
    for (const std::string& path : preferencesFiles(userDataFolder)) {
        const std::optional<std::string> text = readBrowserFile(path);
        const std::optional<WebRtcPolicy> had = text ? readWebRtcPolicy(*text) : std::nullopt;
        const std::optional<std::string> changed =
            had ? withWebRtcPolicy(*text, proxiedWebRtcPolicy()) : std::nullopt;
        if (!changed) {
            std::error_code failed;
            if (fs::symlink_status(path, failed).type() != fs::file_type::not_found) {
                note("Passed over " + path + ": not a browser's preferences");
            }
            continue;
        }
        // What the profile had is kept from the first switch on until it is put back.
        if (m_record.preferences.emplace(path, *had).second) {
            recorded = true;
        }
        if (*changed != *text) {
            writes.emplace_back(path, *changed);
        }
    }
    // The record is on disk before any profile changes, so a crash loses nothing.
    if (recorded) {
        saveRecord();
    }
    for (const auto& [path, text] : writes) {
        if (!platform::replaceFile(path, text)) {
            note("Can not write " + path);
        }
    }
}

void ProxySwitch::restoreProfiles()
{
    for (auto entry = m_record.preferences.begin(); entry != m_record.preferences.end();) {
        const auto& [path, earlier] = *entry;
        // A running browser would write its own copy over the file when it ends: the
        // profile is put back at a later switch off or start.
        if (m_host.chromium.inUse(userDataFolderOf(path))) {
            note("Kept " + path + " for later: its browser is running");
            ++entry;
            continue;
        }
        const std::optional<std::string> text = readBrowserFile(path);
        const std::optional<WebRtcPolicy> now = text ? readWebRtcPolicy(*text) : std::nullopt;
        // Only the program's own value is taken back: one the user set since stays.
        if (now && *now != earlier && now->value == proxiedWebRtcPolicy().value) {
            const std::optional<std::string> restored = withWebRtcPolicy(*text, earlier);
            if (!restored || !platform::replaceFile(path, *restored)) {
                note("Can not write " + path);
                ++entry;
                continue;
            }
        }
        entry = m_record.preferences.erase(entry);
    }
    saveRecord();
}

void ProxySwitch::writeWaitingProfiles()
{
    for (auto folder = m_waiting.begin(); folder != m_waiting.end();) {
        if (m_host.chromium.inUse(*folder)) {
            ++folder;
            continue;
        }
        enableUserDataFolder(*folder);
        folder = m_waiting.erase(folder);
    }
}

void ProxySwitch::releaseProfiles()
{
    m_waiting.clear();
    m_asked.clear();
    restoreProfiles();
}

std::optional<ProxySwitch::Report> ProxySwitch::restoreEarlierRun()
{
    if (!m_recordReadable) {
        note("Moved aside a damaged " + m_record.filePath());
    }
    if (m_record.empty()) {
        return std::nullopt;
    }
    note("Restoring the settings an earlier run left changed");
    if (m_record.desktop) {
        // It ended while hiding: everything goes back as at a switch off.
        return SetProxy(false, "", "");
    }
    restoreProfiles();
    return Report{};
}
